#include "breakrulewizard.h"

#include "breakruleprogresswizardpage.h"
#include "breakrulesettingswizardpage.h"
#include "breakruletargetwizardpage.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

BreakRuleWizard::BreakRuleWizard(QWidget* parent)
    : PageListWizard(parent)
    , m_settingsPage(new BreakRuleSettingsWizardPage)
    , m_targetPage(new BreakRuleTargetWizardPage)
    , m_progressPage(new BreakRuleProgressWizardPage)
{
    setWindowTitle(tr("Добавление обеденного перерыва"));
    m_settingsPage->setObjectName(QStringLiteral("settingsPage"));
    m_targetPage->setObjectName(QStringLiteral("targetPage"));
    m_progressPage->setObjectName(QStringLiteral("progressPage"));
    addPage(m_settingsPage);
    addPage(m_targetPage);
    addPage(m_progressPage);
    resize(760, 560);
    connect(m_targetPage, &BreakRuleTargetWizardPage::readyTask, this, &BreakRuleWizard::prepareTask);
    connect(m_progressPage, &BreakRuleProgressWizardPage::executeTask, this, &BreakRuleWizard::executeTask);
    // Leaving the target page saves: its Next button says so.
    connect(this, &QWizard::currentIdChanged, this, [this] {
        const bool saving = currentPage() == m_targetPage;
        setButtonText(QWizard::NextButton, saving ? tr("Сохранить") : tr("Далее >"));
        // The rules may have changed on the page before.
        if (saving)
            m_targetPage->updatePreview();
    });
}

void BreakRuleWizard::setPreview(BreakRuleFields::Preview preview)
{
    m_targetPage->setPreview(std::move(preview), [this] { return m_settingsPage->breakRules(); });
}

QList<orvanta::TaskInfo> BreakRuleWizard::buildTasks() const
{
    QVariantList inherits;
    for (unsigned int id : m_targetPage->selectedObjects()) {
        inherits.append(QVariantMap{{QStringLiteral("child_id"), id},
                                    {QStringLiteral("ref_type"), unsigned(orvanta::INHERIT_BREAK_RULE_OBJECT)}});
    }
    const QString typeKey = QStringLiteral("property-%1").arg(QLatin1String(db::break_rule::TYPE));
    QList<orvanta::TaskInfo> tasks;
    for (const orvanta::ObjectInfo& rule : m_settingsPage->breakRules()) {
        orvanta::TaskInfo task;
        task.type = QStringLiteral("save_object");
        task.uid = 0;
        task.params.insert(QStringLiteral("object_type"), rule.type);
        task.params.insert(typeKey, QString::number(m_targetPage->targetType()));
        for (auto it = rule.properties.constBegin(); it != rule.properties.constEnd(); ++it)
            task.params.insert(QStringLiteral("property-%1").arg(it.key()), it.value());
        task.params.insert(QStringLiteral("inherits"), inherits);
        // A rule without an id has no display name yet.
        const QString name = rule.property(QLatin1String(db::break_rule::NAME));
        task.title = tr("Сохранение правила обеда %1").arg(name);
        task.errorText = tr("Ошибка сохранения правила обеда %1").arg(name);
        tasks.append(task);
    }
    return tasks;
}

void BreakRuleWizard::prepareTask()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "prepare task";
    for (const orvanta::TaskInfo& task : buildTasks())
        m_progressPage->addTask(task);
}
