#include "worktimerangedialog.h"

#include "ovtimeedit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

WorkTimeRangeDialog::WorkTimeRangeDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Редактирование"));
    m_start = new OVTimeEdit(this);
    m_start->setObjectName(QStringLiteral("teStart"));
    m_finish = new OVTimeEdit(this);
    m_finish->setObjectName(QStringLiteral("teFinish"));

    auto* form = new QFormLayout;
    form->addRow(tr("Начало смены"), m_start);
    form->addRow(tr("Окончание смены"), m_finish);

    auto* buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttonBox);
}

void WorkTimeRangeDialog::setStart(const QTime& time)
{
    m_start->setTime(time);
}

QTime WorkTimeRangeDialog::start() const
{
    return m_start->time();
}

void WorkTimeRangeDialog::setFinish(const QTime& time)
{
    m_finish->setTime(time);
}

QTime WorkTimeRangeDialog::finish() const
{
    return m_finish->time();
}

int WorkTimeRangeDialog::exec()
{
    m_start->setFocus();
    return QDialog::exec();
}
