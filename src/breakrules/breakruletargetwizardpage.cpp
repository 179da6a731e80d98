#include "breakruletargetwizardpage.h"

#include "breakruletargetpicker.h"
#include "vocabulary.h"
#include "workerhistorypanelwidget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

BreakRuleTargetWizardPage::BreakRuleTargetWizardPage(QWidget* parent)
    : OVWizardPage(parent)
    , m_typeBox(new QComboBox(this))
    , m_targetWidget(new WorkerHistoryPanelWidget(this))
    , m_previewLabel(new QLabel(this))
    , m_previewTimer(new QTimer(this))
{
    setTitle(tr("Назначение"));
    m_typeBox->setObjectName(QStringLiteral("cbType"));
    m_targetWidget->setObjectName(QStringLiteral("targetWidget"));
    m_previewLabel->setObjectName(QStringLiteral("previewLabel"));
    m_previewLabel->setWordWrap(true);
    m_previewLabel->hide();
    auto* form = new QFormLayout;
    form->addRow(tr("Применить к"), m_typeBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_targetWidget, 1);
    layout->addWidget(m_previewLabel);

    m_picker = new BreakRuleTargetPicker(m_typeBox, m_targetWidget, this);
    QMetaObject::invokeMethod(m_targetWidget, "startSearch", Qt::QueuedConnection);
    connect(m_picker, &BreakRuleTargetPicker::targetsChanged, this, &OVWizardPage::updateComplete);
    // The preview walks the whole loaded month: it waits for the clicking to pause.
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(200);
    connect(m_previewTimer, &QTimer::timeout, this, &BreakRuleTargetWizardPage::updatePreview);
    connect(m_picker, &BreakRuleTargetPicker::targetsChanged, m_previewTimer, qOverload<>(&QTimer::start));
}

int BreakRuleTargetWizardPage::targetType() const
{
    return m_picker->targetType();
}

QList<unsigned int> BreakRuleTargetWizardPage::selectedObjects() const
{
    return m_picker->selectedObjects();
}

void BreakRuleTargetWizardPage::updateModelType()
{
    m_picker->updateModelType();
}

bool BreakRuleTargetWizardPage::isComplete() const
{
    return !selectedObjects().isEmpty();
}

bool BreakRuleTargetWizardPage::validatePage()
{
    if (selectedObjects().isEmpty())
        return false;
    emit readyTask();
    return true;
}

void BreakRuleTargetWizardPage::setPreview(BreakRuleFields::Preview preview,
                                           std::function<QList<orvanta::ObjectInfo>()> rules)
{
    m_preview = std::move(preview);
    m_rules = std::move(rules);
    updatePreview();
}

void BreakRuleTargetWizardPage::updatePreview()
{
    const QList<unsigned int> targets = selectedObjects();
    QString text;
    if (m_preview && m_rules && !targets.isEmpty()) {
        QList<orvanta::ObjectInfo> rules = m_rules();
        for (orvanta::ObjectInfo& rule : rules) {
            rule.properties.insert(QLatin1String(db::break_rule::TYPE), QString::number(targetType()));
            for (unsigned int id : targets) {
                orvanta::_INHERIT_DATA link;
                link.child = id;
                link.refType = int(orvanta::INHERIT_BREAK_RULE_OBJECT);
                rule.children.insert(orvanta::INHERIT_BREAK_RULE_OBJECT, link);
            }
        }
        text = m_preview({}, rules);
    }
    m_previewLabel->setText(text);
    m_previewLabel->setVisible(!text.isEmpty());
}
