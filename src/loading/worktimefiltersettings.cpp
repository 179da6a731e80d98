#include "worktimefiltersettings.h"

#include "settings.h"
#include "workerhistorypanelwidget.h"
#include "worktimefilterdialog.h"
#include "worktimeperiodwidget.h"
#include "wtplanninglogging.h"

#include <QDateTime>
#include <QStringList>

namespace {

constexpr char kAppliedPeriodKey[] = "wtplanningview/applied/period";

} // namespace

void WorkTimeFilterSettings::restore(WorkTimeFilterDialog* dialog)
{
    read({"wtplanningview/periodpanel/period", "wtplanningview/periodpanel/start", "wtplanningview/periodpanel/finish",
          "wtplanningview/employeepanel/checked"},
         dialog);
}

void WorkTimeFilterSettings::save(const WorkTimeFilterDialog& dialog)
{
    write({"wtplanningview/periodpanel/period", "wtplanningview/periodpanel/start", "wtplanningview/periodpanel/finish",
           "wtplanningview/employeepanel/checked"},
          dialog);
}

bool WorkTimeFilterSettings::restoreApplied(WorkTimeFilterDialog* dialog)
{
    if (!Settings::value(QLatin1String(kAppliedPeriodKey)).isValid())
        return false;
    read({kAppliedPeriodKey, "wtplanningview/applied/start", "wtplanningview/applied/finish",
          "wtplanningview/applied/checked"},
         dialog);
    return true;
}

void WorkTimeFilterSettings::saveApplied(const WorkTimeFilterDialog& dialog)
{
    write({kAppliedPeriodKey, "wtplanningview/applied/start", "wtplanningview/applied/finish",
           "wtplanningview/applied/checked"},
          dialog);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "applied filter kept" << dialog.periodWidget()->period();
}

void WorkTimeFilterSettings::read(const Keys& keys, WorkTimeFilterDialog* dialog)
{
    WorkTimePeriodWidget* period = dialog->periodWidget();
    const auto choice = WorkTimePeriodWidget::Period(
        Settings::value(QLatin1String(keys.period), int(WorkTimePeriodWidget::CurrentMonth)).toInt());
    period->setPeriod(choice);
    if (choice == WorkTimePeriodWidget::Custom) {
        const QDateTime now = QDateTime::currentDateTime();
        period->setStartFinish(Settings::value(QLatin1String(keys.start), now).toDateTime(),
                               Settings::value(QLatin1String(keys.finish), now).toDateTime());
    }
    QList<orvanta::TYPE_ID> checked;
    const QStringList ids =
        Settings::value(QLatin1String(keys.checked)).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& id : ids)
        checked.append(id.toUInt());
    dialog->workerWidget()->setChecked(checked);
}

void WorkTimeFilterSettings::write(const Keys& keys, const WorkTimeFilterDialog& dialog)
{
    const WorkTimePeriodWidget* period = dialog.periodWidget();
    Settings::setValue(QLatin1String(keys.period), int(period->period()));
    Settings::setValue(QLatin1String(keys.start), period->dateStart());
    Settings::setValue(QLatin1String(keys.finish), period->dateFinish());
    QStringList ids;
    const QList<orvanta::TYPE_ID> checked = dialog.workerWidget()->checked();
    for (orvanta::TYPE_ID id : checked)
        ids.append(QString::number(id));
    Settings::setValue(QLatin1String(keys.checked), ids.join(QLatin1Char(',')));
}
