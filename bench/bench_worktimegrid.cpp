#include "authdata.h"
#include "employeeinfo.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "ovicontheme.h"
#include "salesplan.h"
#include "vocabulary.h"
#include "worktimeheaderview.h"
#include "worktimeitemdelegate.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "worktimetableview.h"
#include "worktimeutils.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextStream>

#include <algorithm>

// Renders the planning grid (2,000 employees over July 2024, frozen columns and both headers) offscreen at
// 1920x1080 and, in the same run, a plain QTableView over a QStandardItemModel with the same texts and sizes
// painted by the default delegate, in the normal and in the compact mode. Prints the median of 30 frames of
// each and their ratio, checks that scrolling a page needs no schedule lookup, and with --png DIR writes
// pictures of the grid.

using namespace orvanta;
using ovtest::OrganisationBuilder;

namespace {

constexpr int employeeCount = 2000;
constexpr int frames = 30;
const QSize screen(1920, 1080);
const QDate first(2024, 7, 1);
const QDate last(2024, 7, 31);

QDateTime at(const QDate& date, const QTime& time = QTime(0, 0))
{
    return QDateTime(date, time);
}

QString personName(int n)
{
    static const QStringList surnames{QStringLiteral("Иванов"),  QStringLiteral("Петрова"), QStringLiteral("Сидоров"),
                                      QStringLiteral("Кузнецова"), QStringLiteral("Смирнов"), QStringLiteral("Волкова"),
                                      QStringLiteral("Фёдоров"), QStringLiteral("Морозова"), QStringLiteral("Лебедев"),
                                      QStringLiteral("Соколова"), QStringLiteral("Новиков"), QStringLiteral("Егорова")};
    static const QString initials = QStringLiteral("АБВГДЕИКЛМНОПРСТ");
    return QStringLiteral("%1 %2.%3. %4")
        .arg(surnames.at(n % surnames.size()), initials.at(n % initials.size()),
             initials.at((n / 7) % initials.size()))
        .arg(n);
}

struct Grid
{
    OrganisationBuilder org;
    WorkTimePlanningModel model;
    WorkTimePlanningProxy proxy;
    WorkTimeItemDelegate delegate;
    TYPE_ID firstEmployee = 0;

    Grid()
    {
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        const TYPE_ID shop = org.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID warehouse = org.department(QStringLiteral("Склад"), firm);
        org.breakRule(QStringLiteral("Обед"), 4 * 3600, 13 * 3600, 3600, QDate(2024, 1, 1), {shop});
        const QList<TYPE_ID> jobs{org.job(QStringLiteral("Продавец-консультант")), org.job(QStringLiteral("Кассир")),
                                  org.job(QStringLiteral("Старший смены"))};
        const TYPE_ID vacation = org.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"), 3,
                                                   OrganisationBuilder::CountsAsAbsence, 0, QStringLiteral("#E5484D"));
        const TYPE_ID doctor = org.absenceReason(QStringLiteral("Врач"), QStringLiteral("Д"), 1,
                                                 OrganisationBuilder::CountsAsWork, 0, QStringLiteral("#8E4EC6"));
        const TYPE_ID sick = org.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 5,
                                               OrganisationBuilder::CountsTowardsNorm, 1, QStringLiteral("#F38300"));
        org.shift(QStringLiteral("Утро"), {{QTime(8, 0), QTime(14, 0)}});
        org.shift(QStringLiteral("Вечер"), {{QTime(14, 0), QTime(22, 0)}});
        const QList<QList<OrganisationBuilder::TimeRange>> shifts{
            {{QTime(8, 0), QTime(12, 0)}, {QTime(13, 0), QTime(17, 0)}}, {{QTime(20, 0), QTime(8, 0)}}};
        const QList<int> schedules{
            org.cycleSchedule(QStringLiteral("Пятидневка"), QDate(2024, 1, 1), {0, 0, 0, 0, 0, -1, -1}, shifts),
            org.cycleSchedule(QStringLiteral("Два через два"), QDate(2024, 1, 1), {0, 0, -1, -1}, shifts),
            org.cycleSchedule(QStringLiteral("Сутки через двое"), QDate(2024, 1, 3), {1, -1, -1}, shifts)};

        QList<EmployeeInfo> employees;
        WorkTimePlanningModel::ScheduleHistoryHash histories;
        WorkTimePlanningModel::AbsenceReasonHash absences;
        QList<unsigned int> attached;
        for (int n = 0; n < employeeCount; ++n) {
            EmployeeInfo info;
            info.name = personName(n);
            info.jobUid = jobs.at(n % jobs.size());
            info.number = QString::number(1000 + n);
            info.uid = org.employee(info.name, shop, info.number, info.jobUid);
            info.department = shop;
            if (n % 40 == 7)
                info.emplStart = info.emplContStart = first.addDays(9);
            employees.append(info);
            if (n % 60 == 3)
                org.attachedWorker(info.uid, warehouse, first.addDays(14), first.addDays(17));

            WORKER_SCHEDULE_HISTORY_V2 history;
            history.uid = info.uid;
            _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
            record.id = TYPE_ID(n + 1);
            record.schedule = TYPE_ID(schedules.at(n % 7 == 0 ? 2 : n % 5 == 0 ? 1 : 0));
            history.records.append(record);
            histories.insert(info.uid, history);

            _WORKER_ABSENCE_REASON reasons;
            reasons.uid = info.uid;
            if (n % 9 == 1)
                reasons.records.append(OrganisationBuilder::absenceRecord(
                    vacation, at(first.addDays(n % 20)), at(first.addDays(n % 20 + 4)), false, TYPE_ID(n * 3 + 1)));
            if (n % 6 == 2)
                reasons.records.append(OrganisationBuilder::absenceRecord(
                    doctor, at(first.addDays(n % 25), QTime(14, 0)), at(first.addDays(n % 25), QTime(17, 0)), true,
                    TYPE_ID(n * 3 + 2)));
            if (n % 23 == 5)
                reasons.records.append(OrganisationBuilder::absenceRecord(
                    sick, at(first.addDays(3)), at(first.addDays(6)), false, TYPE_ID(n * 3 + 3)));
            if (!reasons.records.isEmpty())
                absences.insert(info.uid, reasons);
        }
        const TYPE_ID guest = org.employee(QStringLiteral("Гостева А.А."), warehouse, QStringLiteral("77"));
        org.attachedWorker(guest, shop, first.addDays(9), first.addDays(19));
        attached.append(guest);
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 guestRecord;
        guestRecord.schedule = TYPE_ID(schedules.first());
        histories.insert(guest, WORKER_SCHEDULE_HISTORY_V2{guest, {guestRecord}});
        firstEmployee = employees.first().uid;

        model.refreshModel(first, last, employees, attached, {shop});
        model.setScheduleHistory(histories);
        model.setAbsenceReasons(absences);
        QList<SALES_PLAN> plan;
        for (QDate date = first; date <= last; date = date.addDays(1))
            plan.append(SALES_PLAN{date.day(), date, qint64(shop), 150000 + 7919 * date.day() % 60000});
        model.setSalesPlan(plan);
        // The weekends of the production calendar, and its holiday-free July.
        QHash<QDate, int> calendar;
        for (QDate date = first; date <= last; date = date.addDays(1))
            calendar.insert(date, date.dayOfWeek() >= Qt::Saturday ? wt::DayOff : wt::WorkingDay);
        model.setDayKinds(calendar);
        proxy.setSourceModel(&model);
    }

    void setUpView(WorkTimeTableView& view)
    {
        view.setFrameShape(QFrame::NoFrame);
        view.setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
        view.setAlternatingRowColors(true);
        view.setIconSize(QSize(24, 24));
        view.setShowGrid(false);
        view.verticalHeader()->hide();
        view.setModel(&proxy);
        view.setItemDelegate(&delegate);
        view.sortByColumn(WorkTimePlanningModel::NameColumn, Qt::AscendingOrder);
        view.resizeColumnsToContents();
        view.resize(screen);
        view.show();
    }
};

// The plain table in the grid's present sizes: its columns, hidden ones too, its rows and its header.
void matchSizes(const QAbstractItemModel& source, const QTableView& sized, QTableView& table)
{
    table.verticalHeader()->setMinimumSectionSize(1);
    table.verticalHeader()->setDefaultSectionSize(sized.rowHeight(0));
    table.horizontalHeader()->setFixedHeight(sized.horizontalHeader()->height());
    for (int column = 0; column < source.columnCount(); ++column) {
        table.setColumnHidden(column, sized.isColumnHidden(column));
        table.setColumnWidth(column, sized.columnWidth(column));
    }
}

// The same table as texts only, in the same sizes, for the default delegate.
void fillPlainTable(const QAbstractItemModel& source, const QTableView& sized, QStandardItemModel& plain,
                    QTableView& table)
{
    plain.setRowCount(source.rowCount());
    plain.setColumnCount(source.columnCount());
    for (int column = 0; column < source.columnCount(); ++column)
        plain.setHorizontalHeaderItem(column,
                                      new QStandardItem(source.headerData(column, Qt::Horizontal).toString()));
    for (int row = 0; row < source.rowCount(); ++row) {
        for (int column = 0; column < source.columnCount(); ++column)
            plain.setItem(row, column, new QStandardItem(source.index(row, column).data().toString()));
    }
    table.setModel(&plain);
    table.setFrameShape(QFrame::NoFrame);
    table.setAlternatingRowColors(true);
    table.setIconSize(QSize(24, 24));
    table.setShowGrid(false);
    table.verticalHeader()->hide();
    matchSizes(source, sized, table);
    table.resize(screen);
    table.show();
}

double renderMs(QWidget& widget, QImage& image)
{
    QElapsedTimer timer;
    timer.start();
    widget.render(&image);
    return timer.nsecsElapsed() / 1e6;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void savePng(QWidget& widget, const QString& path)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    widget.render(&image);
    image.save(path);
}

// The grid with its menu opened from the keyboard on the current cell, composed into one picture.
void saveMenuPng(WorkTimeTableView& view, const QString& path)
{
    QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
    QApplication::sendEvent(&view, &menuKey);
    QMenu* menu = view.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    if (!menu)
        return;
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    view.render(&image);
    QPainter painter(&image);
    menu->render(&painter, view.mapFromGlobal(menu->geometry().topLeft()));
    painter.end();
    image.save(path);
    menu->close();
}

void writePngs(Grid& grid, WorkTimeTableView& view, const QString& directory)
{
    view.resize(1400, 700);
    view.horizontalScrollBar()->setValue(0);
    view.verticalScrollBar()->setValue(0);
    savePng(view, directory + QStringLiteral("/grid-month.png"));
    view.setCompact(true);
    view.resize(screen);
    savePng(view, directory + QStringLiteral("/grid-compact.png"));
    view.setCompact(false);
    view.resize(1400, 700);

    const QModelIndex name = view.model()->index(2, WorkTimePlanningModel::NameColumn);
    grid.model.setShiftForDate(name.data(WorkTimePlanningModel::UidRole).toUInt(), first.addDays(1), 0);
    QItemSelectionModel* selection = view.selectionModel();
    const QModelIndex from = view.model()->index(3, WorkTimePlanningModel::FirstDateColumn + 7);
    const QModelIndex to = view.model()->index(5, WorkTimePlanningModel::FirstDateColumn + 10);
    selection->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
    selection->setCurrentIndex(to, QItemSelectionModel::NoUpdate);
    savePng(view, directory + QStringLiteral("/grid-selection.png"));
    saveMenuPng(view, directory + QStringLiteral("/grid-menu.png"));

    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    savePng(view, directory + QStringLiteral("/grid-scrolled.png"));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // The planner's font on a 1920x1080 desktop; offscreen Qt would take a larger one and show fewer cells.
    QFont font = QApplication::font();
    font.setPixelSize(13);
    QApplication::setFont(font);
    OVIconTheme::install();
    AuthData::setRoles({QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"), QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SET"),
                        QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_CREATE")});
    QTextStream out(stdout);

    Grid grid;
    WorkTimeTableView view;
    grid.setUpView(view);
    QStandardItemModel plainModel;
    QTableView plain;
    fillPlainTable(grid.proxy, view, plainModel, plain);
    QApplication::processEvents();
    out << QStringLiteral("rows %1, columns %2, visible %3x%4 px\n")
               .arg(grid.model.rowCount())
               .arg(grid.model.columnCount())
               .arg(screen.width())
               .arg(screen.height());

    QImage image(screen, QImage::Format_ARGB32_Premultiplied);
    bool withinLimit = true;
    for (bool compact : {false, true}) {
        view.setCompact(compact);
        matchSizes(grid.proxy, view, plain);
        QApplication::processEvents();
        renderMs(view, image);
        renderMs(plain, image);
        QVector<double> ours;
        QVector<double> theirs;
        for (int frame = 0; frame < frames; ++frame) {
            ours.append(renderMs(view, image));
            theirs.append(renderMs(plain, image));
        }
        const double ratio = median(ours) / median(theirs);
        withinLimit = withinLimit && ratio <= 1.5;
        const int firstDay = WorkTimePlanningModel::FirstDateColumn;
        out << QStringLiteral("%1 mode: days of %2 px, rows of %3 px, %4 rows on screen\n")
                   .arg(compact ? QStringLiteral("compact") : QStringLiteral("normal"))
                   .arg(view.columnWidth(firstDay))
                   .arg(view.rowHeight(0))
                   .arg(view.viewport()->height() / view.rowHeight(0));
        out << QStringLiteral("  grid frame median:  %1 ms\n").arg(median(ours), 0, 'f', 2);
        out << QStringLiteral("  plain frame median: %1 ms\n").arg(median(theirs), 0, 'f', 2);
        out << QStringLiteral("  ratio grid/plain:   %1 (limit 1.5, aim 1.0) %2\n")
                   .arg(ratio, 0, 'f', 2)
                   .arg(ratio <= 1.5 ? QStringLiteral("ok") : QStringLiteral("OVER LIMIT"));
    }
    view.setCompact(false);

    const quint64 lookupsBefore = WorkTimeUtils::lookupCount();
    QScrollBar* rows = view.verticalScrollBar();
    rows->setValue(rows->value() + rows->pageStep());
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->pageStep());
    QApplication::processEvents();
    const double scrolledMs = renderMs(view, image);
    const quint64 lookups = WorkTimeUtils::lookupCount() - lookupsBefore;
    out << QStringLiteral("page scroll + frame: %1 ms, schedule/break-rule lookups: %2\n")
               .arg(scrolledMs, 0, 'f', 2)
               .arg(lookups);

    const int png = QCoreApplication::arguments().indexOf(QStringLiteral("--png"));
    if (png > 0 && png + 1 < argc)
        writePngs(grid, view, QCoreApplication::arguments().at(png + 1));
    return lookups == 0 && withinLimit ? 0 : 1;
}
