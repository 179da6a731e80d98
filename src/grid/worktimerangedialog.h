#pragma once

#include <QDialog>
#include <QTime>

class OVTimeEdit;

/// Asks for one shift start and finish, applied by the grid to several day cells at once.
class WorkTimeRangeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit WorkTimeRangeDialog(QWidget* parent = nullptr);

    void setStart(const QTime& time);
    QTime start() const;
    void setFinish(const QTime& time);
    QTime finish() const;

public slots:
    /// Runs the dialog with the start field focused.
    int exec() override;

private:
    OVTimeEdit* m_start = nullptr;
    OVTimeEdit* m_finish = nullptr;
};
