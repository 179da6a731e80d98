#include "breakruleeditdialog.h"

#include "ui_breakruleeditdialog.h"

#include "breakrulefields.h"
#include "breakruletargetpicker.h"
#include "ovglobals.h"
#include "vocabulary.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QPushButton>
#include <QTimer>

namespace {

// The preview walks the whole loaded month: it waits for the typing to pause.
constexpr int previewDelayMs = 200;

} // namespace

BreakRuleEditDialog::BreakRuleEditDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui_BreakRuleEditDialog), previewTimer(new QTimer(this))
{
    ui->setupUi(this);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(tr("Сохранить"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &BreakRuleEditDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &BreakRuleEditDialog::reject);
    targets = new BreakRuleTargetPicker(ui->cbType, ui->targetWidget, this);

    connect(ui->dateEdit, &QDateEdit::dateChanged, this, &BreakRuleEditDialog::setButtonEnabled);
    for (QTimeEdit* edit : {static_cast<QTimeEdit*>(ui->teFrom), static_cast<QTimeEdit*>(ui->teTo),
                            static_cast<QTimeEdit*>(ui->teBreakTime)})
        connect(edit, &QTimeEdit::timeChanged, this, &BreakRuleEditDialog::setButtonEnabled);
    connect(targets, &BreakRuleTargetPicker::targetsChanged, this, &BreakRuleEditDialog::setButtonEnabled);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    ui->previewLabel->hide();
    previewTimer->setSingleShot(true);
    previewTimer->setInterval(previewDelayMs);
    connect(previewTimer, &QTimer::timeout, this, &BreakRuleEditDialog::showPreview);
}

BreakRuleEditDialog::~BreakRuleEditDialog()
{
    delete ui;
}

void BreakRuleEditDialog::setInfo(const orvanta::ObjectInfo& info)
{
    rule = info;
    const auto time = [&info](const char* key) {
        return WorkTimeUtils::secondsToTime(info.property(QLatin1String(key)).toInt());
    };
    ui->dateEdit->setDate(QDate::fromString(info.property(QLatin1String(db::break_rule::DATE)), Qt::ISODate));
    ui->teFrom->setTime(time(db::break_rule::TIME_FROM));
    ui->teTo->setTime(time(db::break_rule::TIME_TO));
    ui->teBreakTime->setTime(time(db::break_rule::BREAK_TIME));
    targets->setTargetType(info.property(QLatin1String(db::break_rule::TYPE)).toInt());
    QList<unsigned int> checked;
    const auto links = info.children.equal_range(orvanta::INHERIT_BREAK_RULE_OBJECT);
    for (auto link = links.first; link != links.second; ++link)
        checked.append(link->child);
    targets->setChecked(checked);
    // Saving the rule unchanged would only cost a write.
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    ui->messageLabel->clear();
}

void BreakRuleEditDialog::setPreview(BreakRuleFields::Preview function)
{
    preview = std::move(function);
}

int BreakRuleEditDialog::targetType() const
{
    return targets->targetType();
}

QList<unsigned int> BreakRuleEditDialog::selectedObjects() const
{
    return targets->selectedObjects();
}

void BreakRuleEditDialog::updateModelType()
{
    targets->updateModelType();
}

int BreakRuleEditDialog::secondsOf(const QTimeEdit* edit)
{
    return WorkTimeUtils::timeToSeconds(edit->time());
}

QString BreakRuleEditDialog::validationMessage() const
{
    const QString problem =
        BreakRuleFields::problem(secondsOf(ui->teFrom), secondsOf(ui->teTo), secondsOf(ui->teBreakTime));
    if (!problem.isEmpty())
        return problem;
    if (selectedObjects().isEmpty()) {
        return targetType() == db::break_rule::TYPE_EMPLOYEES ? tr("Отметьте сотрудников, к которым применяется правило")
                                                              : tr("Отметьте подразделения, к которым применяется правило");
    }
    return QString();
}

void BreakRuleEditDialog::setButtonEnabled()
{
    const QString problem = validationMessage();
    ui->messageLabel->setText(problem);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
    previewTimer->start();
}

void BreakRuleEditDialog::showPreview()
{
    // Only what Save would write has an effect: nothing while the input is unchanged or wrong.
    const bool savable = ui->buttonBox->button(QDialogButtonBox::Ok)->isEnabled();
    const QString text = preview && savable ? preview({rule}, {editedRule()}) : QString();
    ui->previewLabel->setText(text);
    ui->previewLabel->setVisible(!text.isEmpty());
}

orvanta::ObjectInfo BreakRuleEditDialog::editedRule() const
{
    const int from = secondsOf(ui->teFrom);
    const int to = secondsOf(ui->teTo);
    const int breakTime = secondsOf(ui->teBreakTime);
    orvanta::ObjectInfo edited = rule;
    const auto set = [&edited](const char* key, const QString& value) { edited.properties.insert(QLatin1String(key), value); };
    set(db::break_rule::TIME_FROM, QString::number(from));
    set(db::break_rule::TIME_TO, QString::number(to));
    set(db::break_rule::BREAK_TIME, QString::number(breakTime));
    set(db::break_rule::DATE, ui->dateEdit->date().toString(Qt::ISODate));
    set(db::break_rule::TYPE, QString::number(targetType()));
    set(db::break_rule::NAME, BreakRuleFields::ruleName(from, to, breakTime));
    edited.children.remove(orvanta::INHERIT_BREAK_RULE_OBJECT);
    for (unsigned int id : selectedObjects()) {
        orvanta::_INHERIT_DATA link;
        link.parent = rule.uid;
        link.child = id;
        link.refType = int(orvanta::INHERIT_BREAK_RULE_OBJECT);
        edited.children.insert(orvanta::INHERIT_BREAK_RULE_OBJECT, link);
    }
    return edited;
}

orvanta::TaskInfo BreakRuleEditDialog::saveTask() const
{
    const orvanta::ObjectInfo edited = editedRule();
    QVariantList inherits;
    for (unsigned int id : selectedObjects()) {
        inherits.append(QVariantMap{{QStringLiteral("parent_id"), edited.uid},
                                    {QStringLiteral("child_id"), id},
                                    {QStringLiteral("ref_type"), unsigned(orvanta::INHERIT_BREAK_RULE_OBJECT)}});
    }
    orvanta::TaskInfo task;
    task.type = QStringLiteral("save_object");
    task.uid = edited.uid;
    task.params.insert(QStringLiteral("object_type"), edited.type);
    // The queue saves the parent it is given: the rule stays where it is.
    task.params.insert(QStringLiteral("parent"), edited.parent);
    for (auto it = edited.properties.constBegin(); it != edited.properties.constEnd(); ++it)
        task.params.insert(QStringLiteral("property-") + it.key(), it.value());
    task.params.insert(QStringLiteral("inherits"), inherits);
    const QString name = OVGlobals::objectName(edited);
    task.title = tr("Сохранение правила обеда %1").arg(name);
    task.errorText = tr("Ошибка сохранения правила обеда %1").arg(name);
    return task;
}

void BreakRuleEditDialog::accept()
{
    const QString problem = validationMessage();
    if (!problem.isEmpty()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong break rule" << rule.uid << problem;
        ui->messageLabel->setText(problem);
        return;
    }
    orvanta::TaskInfo task = saveTask();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "save break rule" << rule.uid << task.params;
    emit executeTask(task);
    QDialog::accept();
}
