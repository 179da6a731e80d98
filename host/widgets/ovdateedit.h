#pragma once

#include "ovwidgets_export.h"

#include <QDateEdit>

/// Date field "dd.MM.yyyy" with a calendar pop-up that the keyboard opens too (F4, Alt+Down).
class OVWIDGETS_EXPORT OVDateEdit : public QDateEdit
{
    Q_OBJECT

public:
    explicit OVDateEdit(QWidget* parent = nullptr);
    explicit OVDateEdit(const QDate& date, QWidget* parent = nullptr);

    /// Opens the calendar pop-up as a click on the arrow would.
    void showCalendarPopup();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void setUp();
};
