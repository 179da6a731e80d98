#include "planningreportreader.h"

#include "asyncsqlcatalogue.h"
#include "dbquery.h"
#include "objectstore.h"
#include "ovglobals.h"
#include "planningreportschedules.h"
#include "productioncalendarstore.h"
#include "serverlogging.h"
#include "vocabulary.h"
#include "workerdatastore.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <functional>
#include <iterator>

#include <algorithm>

using namespace orvanta;
using Row = PlanningReportData::Row;
using Reason = PlanningReportData::Reason;

namespace {

// A long loop asks whether to go on this often: rarely enough to cost nothing, often enough to stop soon.
constexpr int ItemsPerCheck = 256;

QString key(const char* name)
{
    return QLatin1String(name);
}

QDate propertyDate(const ObjectInfo& object, const char* property)
{
    return QDate::fromString(object.property(key(property)), Qt::ISODate);
}

bool planningDisabled(const ObjectInfo& employee)
{
    return employee.property(key(db::subject::DISABLE_PLANNING)).toInt() != 0;
}

// A link without a start or a finish is open on that side.
bool overlaps(const _INHERIT_DATA& link, const QDate& from, const QDate& to)
{
    const QDate begin = link.start.date();
    const QDate end = link.finish.date();
    return (!end.isValid() || end >= from) && (!begin.isValid() || begin <= to);
}

// The history starts earlier than begin and ends no sooner than the day before: the employment goes on from it.
bool extendsBackwards(const _INHERIT_DATA& link, const QDate& begin)
{
    const QDate start = link.start.date();
    const QDate end = link.finish.date();
    return begin.isValid() && start.isValid() && start < begin && (!end.isValid() || end >= begin.addDays(-1));
}

QList<_INHERIT_DATA> sortedByBegin(QList<_INHERIT_DATA> links)
{
    std::stable_sort(links.begin(), links.end(),
                     [](const _INHERIT_DATA& a, const _INHERIT_DATA& b) { return a.start < b.start; });
    return links;
}

Reason reasonOf(const ObjectInfo& object)
{
    Reason reason;
    reason.order = object.property(key(db::reason::ORDER)).toInt();
    reason.calcNormMethod = object.property(key(db::reason::CALC_NORM_METHOD)).toInt();
    reason.mark = object.property(key(db::reason::MARK));
    return reason;
}

QPair<QDate, QDate> tripRange(const ObjectInfo& trip)
{
    return {propertyDate(trip, db::attached_worker::DATE_BEGIN), propertyDate(trip, db::attached_worker::DATE_END)};
}

// The employee's row for an employment from begin to end (either open when invalid) in the job.
Row employeeRow(const ObjectInfo& employee, const QString& job, const QDate& begin, const QDate& end)
{
    Row row;
    row.uid = employee.uid;
    row.name = OVGlobals::objectName(employee);
    row.number = employee.property(key(db::subject::WORKERNUM));
    row.jobUid = job.toUInt();
    row.emplStart = row.emplContStart = begin;
    row.emplFinish = end;
    return row;
}

QString firstNonEmpty(const QString& preferred, const QString& fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}

} // namespace

PlanningReportReader::PlanningReportReader(const QSqlDatabase& db, SqlDialect dialect) : m_db(db), m_dialect(dialect) {}

bool PlanningReportReader::read(const PlanningReportQuery& query, PlanningReportData* out, const Progress& progress,
                                QString* error)
{
    *out = PlanningReportData();
    out->start = query.start;
    out->finish = query.finish;
    out->departments = query.departments;
    m_data = out;
    m_progress = &progress;
    m_percent = 0;
    m_rowIndex.clear();
    m_requested.clear();
    m_employees.clear();
    m_histories.clear();
    m_trips.clear();
    m_departments.clear();
    error->clear();
    // A list of lambdas, not an array of member pointers: the undefined-behaviour sanitizer misreads
    // indexing such an array as out of bounds.
    const std::function<bool(QString*)> steps[] = {
        [this](QString* e) { return readRelated(e); },  [this](QString* e) { return buildRows(e); },
        [this](QString* e) { return readDays(e); },     [this](QString* e) { return readReasons(e); },
        [this](QString* e) { return readAbsences(e); }, [this](QString* e) { return readNormAndSync(e); },
        [this](QString* e) { return readJobs(e); },     [this](QString* e) { return readBalance(e); },
        [this](QString* e) { return readDayKinds(e); }};
    constexpr int stepCount = int(std::size(steps));
    if (!readObjects(query.ids, error) || !progress(5))
        return false;
    for (int done = 0; done < stepCount; ++done) {
        m_percent = 5 + 35 * done / stepCount;
        if (!steps[done](error) || !progress(5 + 35 * (done + 1) / stepCount))
            return false;
    }
    return true;
}

// The named objects, and the employees of the named histories and trips.
bool PlanningReportReader::readObjects(const QList<TYPE_ID>& ids, QString* error)
{
    ObjectStore store(m_db);
    if (!store.objectsByIds(ids, &m_requested, error))
        return false;
    QList<TYPE_ID> owners;
    for (const ObjectInfo& history : m_requested.value(key(WORKER_HISTORY_DATANAME))) {
        const auto link = history.parents.constFind(INHERIT_WORKER_HISTORY);
        if (link != history.parents.cend())
            owners.append(link->parent);
    }
    for (const ObjectInfo& trip : m_requested.value(key(ATTACHED_WORKER_DATANAME))) {
        const auto link = trip.children.constFind(INHERIT_ATTACHED_WORKER);
        if (link != trip.children.cend())
            owners.append(link->child);
    }
    QHash<QString, QList<ObjectInfo>> found;
    if (!store.objectsByIds(owners, &found, error))
        return false;
    for (const QList<ObjectInfo>& list : {m_requested.value(key(SUBJECT_DATANAME)), found.value(key(SUBJECT_DATANAME))}) {
        for (const ObjectInfo& employee : list)
            m_employees.insert(employee.uid, employee);
    }
    return true;
}

// The histories and trips of the employees.
bool PlanningReportReader::readRelated(QString* error)
{
    QList<TYPE_ID> ids;
    for (const ObjectInfo& employee : qAsConst(m_employees)) {
        for (const _INHERIT_DATA& link : employee.children.values(INHERIT_WORKER_HISTORY))
            ids.append(link.child);
        for (const _INHERIT_DATA& link : employee.parents.values(INHERIT_ATTACHED_WORKER))
            ids.append(link.parent);
    }
    QHash<QString, QList<ObjectInfo>> related;
    if (!ObjectStore(m_db).objectsByIds(ids, &related, error))
        return false;
    for (const ObjectInfo& history : related.value(key(WORKER_HISTORY_DATANAME)))
        m_histories.insert(history.uid, history);
    for (const ObjectInfo& trip : related.value(key(ATTACHED_WORKER_DATANAME)))
        m_trips.insert(trip.uid, trip);
    return true;
}

// The rows as the grid selects them: the named employees, the named histories by their start, the trips.
bool PlanningReportReader::buildRows(QString*)
{
    for (const ObjectInfo& employee : m_requested.value(key(SUBJECT_DATANAME))) {
        for (const _INHERIT_DATA& link : employee.parents.values(INHERIT_PARENT_CHILD))
            m_departments.insert(link.parent);
        addEmployeeRow(employee);
    }
    QList<ObjectInfo> histories = m_requested.value(key(WORKER_HISTORY_DATANAME));
    std::stable_sort(histories.begin(), histories.end(), [](const ObjectInfo& a, const ObjectInfo& b) {
        return a.parents.value(INHERIT_WORKER_HISTORY_DEPARTMENT).start
            < b.parents.value(INHERIT_WORKER_HISTORY_DEPARTMENT).start;
    });
    for (const ObjectInfo& history : qAsConst(histories))
        addHistoryRow(history);
    for (int row = 0; row < m_data->rows.size(); ++row) {
        if (!keepGoing(row))
            return false;
        extendStart(m_data->rows[row]);
        extendContinuousStart(m_data->rows[row]);
        readTrips(m_data->rows[row]);
    }
    addTripRows(m_requested.value(key(ATTACHED_WORKER_DATANAME)));
    return true;
}

void PlanningReportReader::addEmployeeRow(const ObjectInfo& employee)
{
    const QDate begin = propertyDate(employee, db::subject::DATE_BEGIN);
    const QDate end = propertyDate(employee, db::subject::DATE_END);
    if (planningDisabled(employee) || (begin.isValid() && begin > m_data->finish)
        || (end.isValid() && end < m_data->start)) {
        qCDebug(lcServerCore) << Q_FUNC_INFO << "employee not planned in the month" << employee.uid;
        return;
    }
    appendRow(employeeRow(employee, employee.property(key(db::subject::JOBLINK)), begin, end));
}

void PlanningReportReader::addHistoryRow(const ObjectInfo& history)
{
    const auto owner = history.parents.constFind(INHERIT_WORKER_HISTORY);
    const auto department = history.parents.constFind(INHERIT_WORKER_HISTORY_DEPARTMENT);
    if (owner == history.parents.cend() || department == history.parents.cend())
        return;
    const ObjectInfo employee = m_employees.value(owner->parent);
    if (!employee.isValid() || planningDisabled(employee) || !overlaps(*department, m_data->start, m_data->finish))
        return;
    m_departments.insert(department->parent);
    if (rowOf(employee.uid, Row::Employee))
        return;
    appendRow(employeeRow(employee, history.property(key(db::worker_history::JOBLINK)), department->start.date(),
                          department->finish.date()));
}

// Trips of employees without a row of their own make one row per employee: the person's name, number and job
// come from the trip, which keeps them also for an employee the user cannot see.
void PlanningReportReader::addTripRows(const QList<ObjectInfo>& trips)
{
    for (const ObjectInfo& trip : trips) {
        const auto employee = trip.children.constFind(INHERIT_ATTACHED_WORKER);
        const auto department = trip.children.constFind(INHERIT_ATTACHED_WORKER_DEPARTMENT);
        if (employee == trip.children.cend() || department == trip.children.cend()
            || !overlaps(*department, m_data->start, m_data->finish) || rowOf(employee->child, Row::Employee))
            continue;
        Row* row = rowOf(employee->child, Row::Trip);
        if (!row) {
            const ObjectInfo person = m_employees.value(employee->child);
            Row added;
            added.kind = Row::Trip;
            added.uid = employee->child;
            added.name = firstNonEmpty(trip.property(key(db::attached_worker::NAME)).trimmed(), OVGlobals::objectName(person));
            added.number = firstNonEmpty(trip.property(key(db::attached_worker::WORKERNUM)),
                                         person.property(key(db::subject::WORKERNUM)));
            added.jobUid = firstNonEmpty(trip.property(key(db::attached_worker::JOBLINK)),
                                         person.property(key(db::subject::JOBLINK)))
                               .toUInt();
            row = appendRow(added);
        }
        row->trips.append(tripRange(trip));
    }
}

// The report's departments are those its employees and histories belong to. A history in one of them that goes on
// into a row's employment moves its start back: the grid shows an employee transferred between two departments
// it holds in one row from the first day in either.
void PlanningReportReader::extendStart(Row& row) const
{
    const ObjectInfo employee = m_employees.value(row.uid);
    for (const _INHERIT_DATA& link : sortedByBegin(employee.children.values(INHERIT_WORKER_HISTORY))) {
        const ObjectInfo history = m_histories.value(link.child);
        const auto department = history.parents.constFind(INHERIT_WORKER_HISTORY_DEPARTMENT);
        if (department != history.parents.cend() && m_departments.contains(department->parent)
            && overlaps(*department, m_data->start, m_data->finish) && extendsBackwards(*department, row.emplStart))
            row.emplStart = department->start.date();
    }
}

void PlanningReportReader::extendContinuousStart(Row& row) const
{
    const ObjectInfo employee = m_employees.value(row.uid);
    for (const _INHERIT_DATA& link : sortedByBegin(employee.children.values(INHERIT_WORKER_HISTORY))) {
        if (m_histories.contains(link.child) && extendsBackwards(link, row.emplContStart))
            row.emplContStart = link.start.date();
    }
}

// Every trip of the employee in the month, to whichever department: those days are worked elsewhere.
void PlanningReportReader::readTrips(Row& row) const
{
    const ObjectInfo employee = m_employees.value(row.uid);
    for (const _INHERIT_DATA& link : employee.parents.values(INHERIT_ATTACHED_WORKER)) {
        const auto trip = m_trips.constFind(link.parent);
        if (trip != m_trips.cend() && overlaps(link, m_data->start, m_data->finish))
            row.trips.append(tripRange(*trip));
    }
}

bool PlanningReportReader::readDays(QString* error)
{
    PlanningReportSchedules schedules(m_db, m_dialect);
    if (!schedules.load(rowUids(), m_data->start, m_data->finish, error))
        return false;
    for (Row& row : m_data->rows)
        row.days = schedules.days(row.uid);
    return true;
}

bool PlanningReportReader::readReasons(QString* error)
{
    return forEachObject(
        REASON_DATANAME, [this](const ObjectInfo& reason) { m_data->reasons.insert(reason.uid, reasonOf(reason)); }, error);
}

bool PlanningReportReader::readAbsences(QString* error)
{
    QHash<uint, _WORKER_ABSENCE_REASON> absences;
    QHash<uint, QDateTime> changeTimes;
    if (!WorkerDataStore(m_db, m_dialect).absences(rowUids(), &absences, &changeTimes, error))
        return false;
    for (Row& row : m_data->rows) {
        row.absences = absences.value(row.uid).records;
        // A record without its entry moment counts as entered when it starts.
        for (_WORKER_ABSENCE_REASON_RECORD& record : row.absences)
            record.changeTime = changeTimes.value(record.id, record.start);
    }
    return true;
}

bool PlanningReportReader::readNormAndSync(QString* error)
{
    WorkerDataStore store(m_db, m_dialect);
    QList<WORKER_NORM_TIME> norms;
    QList<WORKER_SYNC_TIME> syncs;
    QHash<qint64, QDateTime> normCalcTimes;
    if (!store.normTime(m_data->start, m_data->finish, rowUids(), &norms, error)
        || !store.syncTime(m_data->start, m_data->finish, rowUids(), &syncs, &normCalcTimes, error))
        return false;
    QHash<TYPE_ID, QHash<QDate, int>> normByUid;
    for (const WORKER_NORM_TIME& norm : qAsConst(norms))
        normByUid[norm.worker].insert(norm.date, norm.time);
    // The records come by worker and date: the last one of the month stands.
    QHash<TYPE_ID, WORKER_SYNC_TIME> syncByUid;
    for (WORKER_SYNC_TIME& sync : syncs) {
        sync.normCalcTime = normCalcTimes.value(sync.key, sync.date.startOfDay());
        syncByUid.insert(sync.worker, sync);
    }
    for (Row& row : m_data->rows) {
        row.norm = normByUid.value(row.uid);
        row.sync = syncByUid.value(row.uid);
    }
    return true;
}

bool PlanningReportReader::readJobs(QString* error)
{
    return forEachObject(
        JOB_DATANAME, [this](const ObjectInfo& job) { m_data->jobNames.insert(job.uid, OVGlobals::objectName(job)); }, error);
}

bool PlanningReportReader::forEachObject(const char* dataname, const std::function<void(const ObjectInfo&)>& take,
                                         QString* error)
{
    QList<ObjectInfo> objects;
    if (!ObjectStore(m_db).objects(key(dataname), &objects, error))
        return false;
    for (const ObjectInfo& object : qAsConst(objects))
        take(object);
    return true;
}

// The grid's own balance query: from the start of the year to the end of the month before.
bool PlanningReportReader::readBalance(QString* error)
{
    const QList<TYPE_ID> uids = rowUids();
    if (uids.isEmpty())
        return true;
    QStringList ids;
    for (const TYPE_ID uid : uids)
        ids.append(QString::number(uid));
    DbQuery balance(AsyncSqlCatalogue::planningBalanceText());
    balance.bindValue(QStringLiteral(":start"), QDate(m_data->start.year(), 1, 1));
    balance.bindValue(QStringLiteral(":finish"), m_data->start.addDays(-1));
    balance.bindValue(QStringLiteral(":workers"), QString(QLatin1Char('{') + ids.join(QLatin1Char(',')) + QLatin1Char('}')));
    AsyncSqlCatalogue::Statement statement;
    if (!AsyncSqlCatalogue::resolve(balance, m_dialect, &statement, error))
        return false;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    bool ok = query.prepare(statement.sql);
    for (const QVariant& value : qAsConst(statement.values))
        query.addBindValue(value);
    if (!ok || !query.exec()) {
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "balance query failed" << query.lastError().text();
        *error = query.lastError().text();
        return false;
    }
    while (query.next())
        m_data->brought.insert(TYPE_ID(query.value(0).toLongLong()), {query.value(1).toInt(), query.value(2).toInt()});
    return true;
}

bool PlanningReportReader::readDayKinds(QString* error)
{
    return ProductionCalendarStore(m_db).days(m_data->start, m_data->finish, &m_data->dayKinds, error);
}

QList<TYPE_ID> PlanningReportReader::rowUids() const
{
    QList<TYPE_ID> uids;
    QSet<TYPE_ID> seen;
    for (const Row& row : m_data->rows) {
        if (!seen.contains(row.uid)) {
            seen.insert(row.uid);
            uids.append(row.uid);
        }
    }
    return uids;
}

PlanningReportData::Row* PlanningReportReader::rowOf(TYPE_ID uid, Row::Kind kind)
{
    const int index = m_rowIndex.value({uid, int(kind)}, -1);
    return index < 0 ? nullptr : &m_data->rows[index];
}

PlanningReportData::Row* PlanningReportReader::appendRow(const Row& row)
{
    const QPair<TYPE_ID, int> key{row.uid, int(row.kind)};
    if (!m_rowIndex.contains(key))
        m_rowIndex.insert(key, m_data->rows.size());
    m_data->rows.append(row);
    return &m_data->rows.last();
}

bool PlanningReportReader::keepGoing(int item) const
{
    return item % ItemsPerCheck != 0 || (*m_progress)(m_percent);
}
