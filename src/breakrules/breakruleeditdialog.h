#pragma once

#include "breakrulefields.h"
#include "objectinfo.h"
#include "taskinfo.h"

#include <QDialog>

class BreakRuleTargetPicker;
class QTimeEdit;
class QTimer;
class Ui_BreakRuleEditDialog;

/// Edits one break rule; OK hands a "save_object" task over through executeTask, nothing is
/// written here. Input that cannot be saved keeps OK disabled and says why.
class BreakRuleEditDialog : public QDialog
{
    Q_OBJECT

public:
    explicit BreakRuleEditDialog(QWidget* parent = nullptr);
    ~BreakRuleEditDialog() override;

    void setInfo(const orvanta::ObjectInfo& info);
    void setPreview(BreakRuleFields::Preview preview);
    int targetType() const;
    QList<unsigned int> selectedObjects() const;
    /// Why the input cannot be saved; empty when it can.
    QString validationMessage() const;
    /// The rule as OK saves it.
    orvanta::ObjectInfo editedRule() const;
    orvanta::TaskInfo saveTask() const;

public slots:
    void updateModelType();
    void setButtonEnabled();
    void accept() override;

signals:
    void executeTask(orvanta::TaskInfo& task);

private:
    static int secondsOf(const QTimeEdit* edit);
    void showPreview();

    Ui_BreakRuleEditDialog* ui;
    BreakRuleTargetPicker* targets;
    orvanta::ObjectInfo rule;
    BreakRuleFields::Preview preview;
    QTimer* previewTimer;
};
