#include "worktimechoicemenus.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "scheduleutil.h"
#include "vocabulary.h"
#include "worktimeutils.h"

#include <QMenu>

#include <algorithm>

using namespace orvanta;

namespace {

constexpr int scheduleIconSize = 32;
constexpr int maxReasonTextLength = 40;
constexpr int personalScheduleKind = SCHEDULE_DATA::KindPersonal;

QString key(const char* name)
{
    return QLatin1String(name);
}

QString hhmm(int seconds)
{
    return WorkTimeUtils::secondsToTime(seconds).toString(QStringLiteral("hh:mm"));
}

bool isFlagSet(const ObjectInfo& object, const char* property)
{
    return object.property(key(property)).toInt() != 0;
}

// Entries of a submenu: label, data, and the key they are ordered by.
struct MenuEntry
{
    QString text;
    QVariant data;
    QString sortKey;
    QIcon icon;
    QString toolTip;
};

void sortEntries(QList<MenuEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const MenuEntry& a, const MenuEntry& b) { return a.sortKey < b.sortKey; });
}

void addEntries(QMenu* menu, const QList<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        QAction* action = menu->addAction(entry.icon, entry.text);
        action->setData(entry.data);
        if (!entry.toolTip.isEmpty())
            action->setToolTip(entry.toolTip);
    }
}

QIcon colourIcon(const QString& colourName)
{
    QPixmap pixmap(scheduleIconSize, scheduleIconSize);
    const QColor colour(colourName);
    pixmap.fill(colour.isValid() ? colour : QColor(Qt::transparent));
    return QIcon(pixmap);
}

} // namespace

QMenu* WorkTimeChoiceMenus::shiftMenu(QWidget* parent)
{
    auto* menu = new QMenu(tr("Выбрать смену"), parent);
    menu->addAction(tr("Выходной"))->setData(0);

    const LocalStorage* store = LocalStorage::instance();
    const OBJECT_HASH* shifts = store->constObjects(key(SCHEDULE_SHIFT_DATANAME));
    const OBJECT_HASH* intervals = store->constObjects(key(SHIFT_INTERVAL_DATANAME));
    QList<MenuEntry> entries;
    if (shifts) {
        for (const ObjectInfo& shift : *shifts) {
            if (isFlagSet(shift, db::shift::HIDDEN))
                continue;
            const QList<ObjectInfo> sorted = ScheduleUtil::sortedShiftIntervals(shift, intervals);
            const int start = sorted.isEmpty() ? 0 : sorted.first().property(key(db::shift_interval::START)).toInt();
            const int finish = sorted.isEmpty() ? 0 : sorted.last().property(key(db::shift_interval::FINISH)).toInt();
            const QString label =
                QStringLiteral("%1 (%2-%3)").arg(OVGlobals::objectName(shift), hhmm(start), hhmm(finish));
            entries.append({label, shift.uid, label, QIcon(), QString()});
        }
    }
    if (!entries.isEmpty())
        menu->addSeparator();
    sortEntries(entries);
    addEntries(menu, entries);
    return menu;
}

QMenu* WorkTimeChoiceMenus::scheduleMenu(const QString& title, QWidget* parent)
{
    QList<MenuEntry> entries;
    for (const SCHEDULE_DATA& schedule : LocalStorage::instance()->schedules()) {
        if (schedule.active != 1 || schedule.kind == personalScheduleKind)
            continue;
        entries.append({schedule.name, schedule.id, schedule.name.toLower(), colourIcon(schedule.color), QString()});
    }
    sortEntries(entries);
    auto* menu = new QMenu(title, parent);
    menu->addAction(tr("<Не задан>"))->setData(0);
    menu->addSeparator();
    addEntries(menu, entries);
    return menu;
}

QMenu* WorkTimeChoiceMenus::absenceReasonMenu(QWidget* parent)
{
    auto* menu = new QMenu(tr("Причина отсутствия"), parent);
    menu->setToolTipsVisible(true);
    QList<MenuEntry> entries;
    if (const OBJECT_HASH* reasons = LocalStorage::instance()->constObjects(key(REASON_DATANAME))) {
        for (const ObjectInfo& reason : *reasons) {
            if (!isFlagSet(reason, db::reason::ALLOW_PLANNING))
                continue;
            const QString text = QStringLiteral("%1 %2").arg(reason.property(key(db::reason::MARK)),
                                                             reason.property(key(db::reason::NAME)));
            const QString label = text.size() > maxReasonTextLength
                ? text.left(maxReasonTextLength).trimmed() + QStringLiteral("...")
                : text;
            entries.append({label, reason.uid, text.toLower(), QIcon(), text});
        }
    }
    sortEntries(entries);
    addEntries(menu, entries);
    return menu;
}
