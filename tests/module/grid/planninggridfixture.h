#pragma once

#include "authdata.h"
#include "employeeinfo.h"
#include "organisationbuilder.h"
#include "worktimeitemdelegate.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "worktimetableview.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QVariantMap>

// The planning grid of a shop in July 2024, as the planning window sets it up. Ivanov, Petrov (employed from
// the 5th) and Sidorov (on a trip to the warehouse on the 15th-17th) follow a five-day week of 08:00-17:00
// with the lunch hour inside, Pavlov a personal schedule; Gostev from the warehouse is attached to the shop on
// the 10th-20th.
struct PlanningGridFixture
{
    ovtest::OrganisationBuilder org;
    orvanta::TYPE_ID shop = 0, warehouse = 0;
    orvanta::TYPE_ID ivanov = 0, petrov = 0, sidorov = 0, pavlov = 0, gostev = 0;
    orvanta::TYPE_ID vacation = 0, doctor = 0, sickLeave = 0;
    orvanta::TYPE_ID morning = 0, night = 0, retired = 0;
    int week = 0, fullDays = 0, personal = 0;
    WorkTimePlanningModel model;
    WorkTimePlanningProxy proxy;
    WorkTimeItemDelegate delegate;

    static QDate july(int day) { return QDate(2024, 7, day); }
    static QTime hm(int hour, int minute = 0) { return QTime(hour, minute); }
    static int seconds(int hour, int minute = 0) { return hour * 3600 + minute * 60; }

    PlanningGridFixture()
    {
        const orvanta::TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        shop = org.department(QStringLiteral("Магазин"), firm);
        warehouse = org.department(QStringLiteral("Склад"), firm);
        const orvanta::TYPE_ID cashier = org.job(QStringLiteral("Кассир"));
        ivanov = org.employee(QStringLiteral("Иванов"), shop, QStringLiteral("101"), cashier);
        petrov = org.employee(QStringLiteral("Петров"), shop);
        sidorov = org.employee(QStringLiteral("Сидоров"), shop);
        pavlov = org.employee(QStringLiteral("Павлов"), shop);
        gostev = org.employee(QStringLiteral("Гостев"), warehouse);
        org.attachedWorker(sidorov, warehouse, july(15), july(17));
        org.attachedWorker(gostev, shop, july(10), july(20));
        org.breakRule(QStringLiteral("Обед"), seconds(4), seconds(24), 3600, QDate(2024, 1, 1), {shop});
        vacation = org.absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"), 3,
                                     ovtest::OrganisationBuilder::CountsAsAbsence, 0, QStringLiteral("#AA0000"));
        doctor = org.absenceReason(QStringLiteral("Врач"), QStringLiteral("Д"), 1,
                                   ovtest::OrganisationBuilder::CountsAsWork, 0, QStringLiteral("#00AA00"));
        sickLeave = org.absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 2,
                                      ovtest::OrganisationBuilder::CountsAsAbsence, 0, QStringLiteral("#0000AA"),
                                      false);
        morning = org.shift(QStringLiteral("Утро"), {{hm(8), hm(14)}});
        night = org.shift(QStringLiteral("Ночь"), {{hm(22), hm(2)}, {hm(3), hm(6)}});
        retired = org.shift(QStringLiteral("Старая"), {{hm(9), hm(10)}}, true);
        week = org.cycleSchedule(QStringLiteral("Пятидневка"), july(1), {0, 0, 0, 0, 0, -1, -1},
                                 {{{hm(8), hm(12)}, {hm(13), hm(17)}}});
        fullDays = org.cycleSchedule(QStringLiteral("Сутки"), july(1), {0, -1, -1}, {{{hm(8), hm(8)}}});
        personal = org.personalSchedule(pavlov, july(1));

        load(model);
        proxy.setSourceModel(&model);
    }

    /// Puts the shop's July grid into a model.
    void load(WorkTimePlanningModel& into) const
    {
        into.refreshModel(july(1), july(31),
                          {employee(ivanov, QStringLiteral("Иванов")), employee(petrov, QStringLiteral("Петров"), july(5)),
                           employee(sidorov, QStringLiteral("Сидоров")), employee(pavlov, QStringLiteral("Павлов"))},
                          {gostev}, {shop});
        WorkTimePlanningModel::ScheduleHistoryHash histories;
        for (orvanta::TYPE_ID uid : {ivanov, petrov, sidorov, gostev})
            histories.insert(uid, follows(uid, week));
        histories.insert(pavlov, follows(pavlov, personal));
        into.setScheduleHistory(histories);
    }

    /// Ivanov's vacation on the 3rd and his visits to the doctor (work time) on the 4th 14:00-18:00 and on Sunday
    /// the 7th 10:00-12:00.
    void addAbsences()
    {
        const auto at = [](int day, int hour) { return QDateTime(july(day), hm(hour)); };
        using B = ovtest::OrganisationBuilder;
        model.setAbsenceReasons({{ivanov, {ivanov, {B::absenceRecord(vacation, at(3, 0), at(3, 0), false, 1),
                                                    B::absenceRecord(doctor, at(4, 14), at(4, 18), true, 2),
                                                    B::absenceRecord(doctor, at(7, 10), at(7, 12), true, 3)}}}});
    }

    /// The grid as the planning window configures it.
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
    }

    static EmployeeInfo employee(orvanta::TYPE_ID uid, const QString& name, const QDate& start = QDate())
    {
        EmployeeInfo info;
        info.uid = uid;
        info.name = name;
        info.emplStart = start;
        info.emplContStart = start;
        return info;
    }

    static orvanta::WORKER_SCHEDULE_HISTORY_V2 follows(orvanta::TYPE_ID uid, int schedule)
    {
        orvanta::WORKER_SCHEDULE_HISTORY_V2 history;
        history.uid = uid;
        orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
        record.id = uid;
        record.schedule = orvanta::TYPE_ID(schedule);
        history.records.append(record);
        return history;
    }

    static QVariantMap interval(int start, int finish)
    {
        return {{QStringLiteral("time_start"), start}, {QStringLiteral("time_finish"), finish}};
    }

    /// The proxy's cell of the employee's row (Gostev's attached row for him) on a July day; day 0 is the name, -1
    /// the first column.
    QModelIndex cell(orvanta::TYPE_ID uid, int day) const
    {
        const int column =
            day > 0 ? model.dateToColumn(july(day)) : day == 0 ? int(WorkTimePlanningModel::NameColumn) : 0;
        return proxy.mapFromSource(model.index(model.objectIdToRow(uid), column));
    }

    /// The proxy's cell "who:day", e.g. "ivanov:2", as cell() takes them.
    QModelIndex at(const QString& cell) const
    {
        return this->cell(byName(cell.section(QLatin1Char(':'), 0, 0)), cell.section(QLatin1Char(':'), 1).toInt());
    }

    orvanta::TYPE_ID byName(const QString& name) const
    {
        const QStringList names{"ivanov", "petrov", "sidorov", "pavlov", "gostev"};
        return QList<orvanta::TYPE_ID>{ivanov, petrov, sidorov, pavlov, gostev}.value(names.indexOf(name));
    }
};

// The grid in a shown, active window, with every right of the planning screen.
struct ShownPlanningGrid
{
    static QStringList allRoles()
    {
        return {QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"), QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SET"),
                QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_CREATE"), QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_DELETE")};
    }

    PlanningGridFixture grid;
    // Every edit made through the grid also runs past the model checks.
    QAbstractItemModelTester tester{&grid.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest};
    WorkTimeTableView view;

    ShownPlanningGrid()
    {
        AuthData::setRoles(allRoles());
        grid.setUpView(view);
        view.resize(1000, 500);
        view.show();
        QApplication::setActiveWindow(&view);
    }

    QModelIndex at(const QString& cell) const { return grid.at(cell); }

    QString text(const QString& cell) const { return at(cell).data(Qt::DisplayRole).toString(); }

    /// Selects the cells; the last one becomes current.
    void select(const QStringList& cells)
    {
        view.selectionModel()->clearSelection();
        for (const QString& cell : cells)
            view.selectionModel()->setCurrentIndex(at(cell), QItemSelectionModel::Select);
    }
};
