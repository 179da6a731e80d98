#include "fatalwarnings.h"
#include "localobjectmodel.h"
#include "localstorage.h"
#include "vocabulary.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QPersistentModelIndex>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace orvanta;

using StoreWrite = std::function<void(LocalStorage*)>;
using Schedules = QList<SCHEDULE_DATA>;
Q_DECLARE_METATYPE(StoreWrite)

namespace {

const QString Job = QString::fromLatin1(JOB_DATANAME);
const QString Org = QString::fromLatin1(ORGSTRUCTURE_DATANAME);
const QString Subject = QString::fromLatin1(SUBJECT_DATANAME);
const char* const Firm = db::orgstructure::FIRM;
const char* const Dept = db::orgstructure::DEPARTMENT;
const char* const Worker = db::orgstructure::WORKER;

ObjectInfo object(TYPE_ID uid, const char* type = db::wt::JOB, TYPE_ID parent = 0, const char* name = "")
{
    ObjectInfo result;
    result.uid = uid;
    result.type = QString::fromLatin1(type);
    result.parent = parent;
    result.properties.insert(QString::fromLatin1(db::common::NAME), QString::fromUtf8(name));
    return result;
}

SCHEDULE_DATA schedule(int id, const char* name, int kind = SCHEDULE_DATA::KindCycle, TYPE_ID worker = 0)
{
    SCHEDULE_DATA result;
    result.id = id;
    result.name = QString::fromUtf8(name);
    result.kind = kind;
    result.worker = worker;
    return result;
}

SCHEDULE_DATA personal(int id, TYPE_ID worker)
{
    return schedule(id, "personal", SCHEDULE_DATA::KindPersonal, worker);
}

QString joined(const QList<uint>& ids)
{
    QStringList parts;
    for (uint id : ids)
        parts.append(QString::number(id));
    return parts.join(QLatin1Char(','));
}

// What a slot reads: the job table and the schedules, by id.
QString snapshot(const LocalStorage* store)
{
    QStringList parts;
    const OBJECT_HASH* jobs = store->constObjects(Job);
    QList<TYPE_ID> jobIds = jobs ? jobs->keys() : QList<TYPE_ID>();
    std::sort(jobIds.begin(), jobIds.end());
    for (TYPE_ID id : qAsConst(jobIds))
        parts.append(QStringLiteral("%1:%2").arg(id).arg(jobs->value(id).property(QLatin1String(db::common::NAME))));
    QList<int> scheduleIds = store->schedules().keys();
    std::sort(scheduleIds.begin(), scheduleIds.end());
    for (int id : qAsConst(scheduleIds))
        parts.append(QStringLiteral("s%1:%2").arg(id).arg(store->schedules().constValue(id).name));
    return parts.join(QLatin1Char(' '));
}

// "id T{children},..." in model order; T is the first letter of the type after "OT_".
QString describeTree(const QAbstractItemModel* model, const QModelIndex& parent = QModelIndex())
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        const QString type = index.siblingAtColumn(1).data().toString();
        QString text = index.data().toString() + QLatin1Char(' ') + type.mid(3, 1);
        if (model->rowCount(index) > 0)
            text += QLatin1Char('{') + describeTree(model, index) + QLatin1Char('}');
        rows.append(text);
    }
    return rows.join(QLatin1Char(','));
}

void collectRows(const QAbstractItemModel* model, const QModelIndex& parent, QHash<uint, QPersistentModelIndex>& rows)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        rows.insert(index.data(Qt::UserRole).toUInt(), index);
        collectRows(model, index, rows);
    }
}

void loadFixture(LocalStorage* store)
{
    store->setObjects(Org, {object(1, Firm), object(10, Dept, 1), object(11, Dept, 10), object(12, Dept, 1)});
    store->setObjects(Subject, {object(100, Worker, 10), object(101, Worker, 11), object(102, Worker, 999),
                                object(103, Worker, 12)});
    store->setObjects(Job, {object(3, db::wt::JOB, 1), object(1), object(2)});
}

} // namespace

// Old-style string connections, as plug-ins may make them.
class QueuedReceiver : public QObject
{
    Q_OBJECT
public:
    QStringList received;
public slots:
    void objects(const QString& dataname, const QList<orvanta::TYPE_ID>& ids)
    {
        received.append(dataname + joined(ids));
    }
    void schedules(const QList<uint>& ids) { received.append(joined(ids)); }
};

class tst_LocalStorage : public QObject
{
    Q_OBJECT

private slots:
    void init() { LocalStorage::instance()->reset(); }
    void signals_seeAppliedChange_data();
    void signals_seeAppliedChange();
    void signals_queue();
    void personalSchedules_data();
    void personalSchedules();
    void lookups();
    void model_isCurrentInsideStoreSignals();
    void model_followsStore_data();
    void model_followsStore();
    void model_loadsLargeOrganisation();
};

void tst_LocalStorage::signals_seeAppliedChange_data()
{
    QTest::addColumn<StoreWrite>("change");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char* tag, const StoreWrite& change, const QStringList& expected) {
        QTest::addRow("%s", tag) << change << expected;
    };
    row("load replaces the table", [](LocalStorage* s) { s->setObjects(Job, {object(3, db::wt::JOB, 0, "c")}); },
        {"dataChanged job 3: 3:c s5:old"});
    row("update inserts", [](LocalStorage* s) { s->updateObjects(Job, {object(4, db::wt::JOB, 0, "d")}); },
        {"dataChanged job 4: 1:a 2:b 4:d s5:old"});
    row("update names an object twice",
        [](LocalStorage* s) {
            s->updateObjects(Job, {object(2, db::wt::JOB, 0, "x"), object(2, db::wt::JOB, 0, "y")});
        },
        {"dataChanged job 2: 1:a 2:y s5:old"});
    row("remove reports only removed ids", [](LocalStorage* s) { s->removeObjects(Job, {2, 99}); },
        {"dataRemoved job 2: 1:a s5:old"});
    row("remove unknown id", [](LocalStorage* s) { s->removeObjects(Job, {99}); }, {});
    row("remove from unknown table", [](LocalStorage* s) { s->removeObjects(Subject, {1}); }, {});
    row("update schedule", [](LocalStorage* s) { s->updateSchedules({schedule(5, "new")}); },
        {"scheduleChanged 5: 1:a 2:b s5:new"});
    row("remove schedules", [](LocalStorage* s) { s->removeSchedules({77, 5}); },
        {"scheduleBeforeRemove 5: 1:a 2:b s5:old", "scheduleRemoved 5: 1:a 2:b"});
    row("remove unknown schedule", [](LocalStorage* s) { s->removeSchedules({77}); }, {});
}

void tst_LocalStorage::signals_seeAppliedChange()
{
    QFETCH(StoreWrite, change);
    QFETCH(QStringList, expected);

    LocalStorage* store = LocalStorage::instance();
    store->setObjects(Job, {object(1, db::wt::JOB, 0, "a"), object(2, db::wt::JOB, 0, "b")});
    store->setSchedules({schedule(5, "old")});

    QObject context;
    QStringList emitted;
    const auto record = [&](const char* signal, const QString& dataname, const QList<uint>& ids) {
        QString line = QLatin1String(signal);
        if (!dataname.isEmpty())
            line += QLatin1Char(' ') + dataname;
        emitted.append(line + QLatin1Char(' ') + joined(ids) + QLatin1String(": ") + snapshot(store));
    };
    connect(store, &LocalStorage::dataChanged, &context,
            [&](auto& name, auto& ids) { record("dataChanged", name, ids); });
    connect(store, &LocalStorage::dataRemoved, &context,
            [&](auto& name, auto& ids) { record("dataRemoved", name, ids); });
    connect(store, &LocalStorage::scheduleChanged, &context, [&](auto& ids) { record("scheduleChanged", {}, ids); });
    connect(store, &LocalStorage::scheduleBeforeRemove, &context,
            [&](auto& ids) { record("scheduleBeforeRemove", {}, ids); });
    connect(store, &LocalStorage::scheduleRemoved, &context, [&](auto& ids) { record("scheduleRemoved", {}, ids); });

    change(store);
    QCOMPARE(emitted, expected);
}

void tst_LocalStorage::signals_queue()
{
    LocalStorage* store = LocalStorage::instance();
    QueuedReceiver receiver;
    const char* objectSlot = SLOT(objects(QString, QList<orvanta::TYPE_ID>));
    QVERIFY(connect(store, SIGNAL(dataChanged(QString, QList<orvanta::TYPE_ID>)), &receiver, objectSlot,
                    Qt::QueuedConnection));
    QVERIFY(connect(store, SIGNAL(dataRemoved(QString, QList<orvanta::TYPE_ID>)), &receiver, objectSlot,
                    Qt::QueuedConnection));
    for (const char* signal : {SIGNAL(scheduleChanged(QList<uint>)), SIGNAL(scheduleBeforeRemove(QList<uint>)),
                               SIGNAL(scheduleRemoved(QList<uint>))})
        QVERIFY(connect(store, signal, &receiver, SLOT(schedules(QList<uint>)), Qt::QueuedConnection));

    store->updateObjects(Job, {object(1)});
    store->removeObjects(Job, {1});
    store->updateSchedules({schedule(5, "s")});
    store->removeSchedules({5});
    QVERIFY(receiver.received.isEmpty());
    QTRY_COMPARE(receiver.received, (QStringList{"job1", "job1", "5", "5", "5"}));
}

void tst_LocalStorage::personalSchedules_data()
{
    QTest::addColumn<Schedules>("load");
    QTest::addColumn<Schedules>("updates");
    QTest::addColumn<QList<int>>("removals");
    QTest::addColumn<QList<int>>("ofWorker10");
    QTest::addColumn<QList<int>>("ofWorker20");

    const SCHEDULE_DATA cycle3 = schedule(3, "cycle", SCHEDULE_DATA::KindCycle, 10);
    QTest::addRow("load, ascending") << Schedules{personal(8, 10), personal(2, 10), cycle3} << Schedules()
                                     << QList<int>() << QList<int>{2, 8} << QList<int>();
    QTest::addRow("updates, ascending") << Schedules() << Schedules{personal(7, 10), personal(3, 10), personal(4, 20)}
                                        << QList<int>() << QList<int>{3, 7} << QList<int>{4};
    QTest::addRow("calendar kind") << Schedules() << Schedules{schedule(3, "c", SCHEDULE_DATA::KindCalendar, 10)}
                                   << QList<int>() << QList<int>() << QList<int>();
    QTest::addRow("owner changes") << Schedules{personal(3, 10)} << Schedules{personal(3, 20)} << QList<int>()
                                   << QList<int>() << QList<int>{3};
    QTest::addRow("kind leaves personal") << Schedules{personal(3, 10)} << Schedules{cycle3} << QList<int>()
                                          << QList<int>() << QList<int>();
    QTest::addRow("kind becomes personal") << Schedules{cycle3} << Schedules{personal(3, 10)} << QList<int>()
                                           << QList<int>{3} << QList<int>();
    QTest::addRow("removal") << Schedules{personal(3, 10), personal(4, 10)} << Schedules() << QList<int>{3}
                             << QList<int>{4} << QList<int>();
}

void tst_LocalStorage::personalSchedules()
{
    QFETCH(Schedules, load);
    QFETCH(Schedules, updates);
    QFETCH(QList<int>, removals);
    QFETCH(QList<int>, ofWorker10);
    QFETCH(QList<int>, ofWorker20);

    LocalStorage* store = LocalStorage::instance();
    // An earlier load, which every row's own load must replace.
    store->setSchedules({personal(9, 10), personal(1, 20)});
    store->setSchedules(load);
    for (const SCHEDULE_DATA& update : qAsConst(updates))
        store->updateSchedules({update});
    store->removeSchedules(removals);

    QCOMPARE(store->personalSchedules(10), ofWorker10);
    QCOMPARE(store->personalSchedules(20), ofWorker20);
}

void tst_LocalStorage::lookups()
{
    LocalStorage* store = LocalStorage::instance();
    QVERIFY(!store->constObjects(Job));
    store->setObjects(Job, {object(1, db::wt::JOB, 0, "driver"), object(3), object(4)});
    store->setObjects(Subject, {object(2, Worker, 0, "Иванов")});
    store->removeObjects(Job, {3});
    store->setObjects(Job, {object(1, db::wt::JOB, 0, "driver")});
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("object without id skipped")));
    store->updateObjects(Job, {object(0)});

    QCOMPARE(store->constObject(1, Job).property(QLatin1String(db::common::NAME)), QStringLiteral("driver"));
    QCOMPARE(store->constObject(2).property(QLatin1String(db::common::NAME)), QStringLiteral("Иванов"));
    QVERIFY(!store->constObject(2, Job).isValid());
    QVERIFY(!store->constObject(3).isValid()); // removed
    QVERIFY(!store->constObject(4).isValid()); // dropped by the reload
    QVERIFY(!store->constObject(1, QStringLiteral("nothing")).isValid());
    QCOMPARE(store->constObjects(Job)->keys(), QList<TYPE_ID>{1});
    QCOMPARE(store->datanames(), (QStringList{Job, Subject}));

    QVERIFY(store->blobMd5(100, "PT_PHOTO").isEmpty());
    store->setBlob(100, "PT_PHOTO", "abc");
    QCOMPARE(store->blob(100, "PT_PHOTO"), QByteArray("abc"));
    QCOMPARE(store->blobMd5(100, "PT_PHOTO"), QByteArray("900150983cd24fb0d6963f7d28e17f72"));
    store->setBlob(100, "PT_PHOTO", "abd");
    QCOMPARE(store->blobMd5(100, "PT_PHOTO"), QByteArray("4911e516e5aa21d327512e0c8b197616"));
    QVERIFY(store->blobMd5(100, "PT_OTHER").isEmpty());
    store->setBlob(100, "PT_PHOTO", QByteArray());
    QVERIFY(store->blobMd5(100, "PT_PHOTO").isEmpty());
}

void tst_LocalStorage::model_isCurrentInsideStoreSignals()
{
    LocalStorage* store = LocalStorage::instance();
    loadFixture(store);
    QObject context;
    QStringList seen;
    // Connected before the organisation model exists (no earlier test asks for it), so the
    // store must bring the model up to date itself before it emits.
    const auto record = [&](const QString&, const QList<TYPE_ID>& ids) {
        const QModelIndex row = static_cast<LocalObjectModel*>(store->model(Org))->indexOf(ids.value(0));
        seen.append(row.isValid() ? QString("under " + row.parent().data().toString()) : QStringLiteral("gone"));
    };
    connect(store, &LocalStorage::dataChanged, &context, record);
    connect(store, &LocalStorage::dataRemoved, &context, record);
    QAbstractItemModel* model = store->model(Org);
    QCOMPARE(store->model(Org), model);
    QVERIFY(store->model(Job) != model);

    store->updateObjects(Subject, {object(101, Worker, 12)});
    store->removeObjects(Subject, {101});
    QCOMPARE(seen, (QStringList{"under 12", "gone"}));
}

void tst_LocalStorage::model_followsStore_data()
{
    QTest::addColumn<QString>("dataname");
    QTest::addColumn<StoreWrite>("change");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("resets");

    const auto row = [](const char* tag, const QString& dataname, const StoreWrite& change, const char* expected,
                        int resets = 0) {
        QTest::addRow("%s", tag) << dataname << change << QString::fromLatin1(expected) << resets;
    };
    const auto update = [](const QString& dataname, const ObjectInfo& object) {
        return [=](LocalStorage* s) { s->updateObjects(dataname, {object}); };
    };
    row("org: load", Org, [](LocalStorage*) {}, "1 F{10 D{11 D{101 W},100 W},12 D{103 W}},102 W");
    row("org: employee added", Org, update(Subject, object(104, Worker, 11)),
        "1 F{10 D{11 D{101 W,104 W},100 W},12 D{103 W}},102 W");
    row("org: employee moved", Org, update(Subject, object(100, Worker, 12)),
        "1 F{10 D{11 D{101 W}},12 D{100 W,103 W}},102 W");
    row("org: department moved with its employees", Org, update(Org, object(11, Dept, 12)),
        "1 F{10 D{100 W},12 D{11 D{101 W},103 W}},102 W");
    row("org: department moved to the top", Org, update(Org, object(11, Dept, 0)),
        "1 F{10 D{100 W},12 D{103 W}},11 D{101 W},102 W");
    row("org: department removed, employees wait at the top", Org, [](LocalStorage* s) { s->removeObjects(Org, {11}); },
        "1 F{10 D{100 W},12 D{103 W}},101 W,102 W");
    row("org: removed department returns", Org,
        [](LocalStorage* s) {
            s->removeObjects(Org, {11});
            s->updateObjects(Org, {object(11, Dept, 10)});
        },
        "1 F{10 D{11 D{101 W},100 W},12 D{103 W}},102 W");
    row("org: missing parent arrives", Org, update(Org, object(999, Dept, 1)),
        "1 F{10 D{11 D{101 W},100 W},12 D{103 W},999 D{102 W}}");
    row("org: parent cycle keeps the department at the top", Org, update(Org, object(10, Dept, 11)),
        "1 F{12 D{103 W}},10 D{11 D{101 W},100 W},102 W");
    row("org: cycle broken again", Org,
        [](LocalStorage* s) {
            s->updateObjects(Org, {object(10, Dept, 11)});
            s->updateObjects(Org, {object(11, Dept, 1)});
        },
        "1 F{11 D{10 D{100 W},101 W},12 D{103 W}},102 W");
    row("org: type changes", Org, update(Org, object(12, Firm, 1)), "1 F{10 D{11 D{101 W},100 W},12 F{103 W}},102 W");
    row("org: employee removed", Org, [](LocalStorage* s) { s->removeObjects(Subject, {103, 555}); },
        "1 F{10 D{11 D{101 W},100 W},12 D},102 W");
    row("org: other tables ignored", Org, update(Job, object(50, db::wt::JOB, 10)),
        "1 F{10 D{11 D{101 W},100 W},12 D{103 W}},102 W");
    row("org: departments reloaded", Org,
        [](LocalStorage* s) { s->setObjects(Org, {object(1, Firm), object(12, Dept, 1)}); },
        "1 F{12 D{103 W}},100 W,101 W,102 W", 1);
    row("job: flat, parents ignored", Job, update(Job, object(1, db::wt::JOB, 3)), "1 J,2 J,3 J");
    row("job: added in id order", Job, [](LocalStorage* s) { s->updateObjects(Job, {object(5), object(4)}); },
        "1 J,2 J,3 J,4 J,5 J");
    row("job: removed", Job, [](LocalStorage* s) { s->removeObjects(Job, {2}); }, "1 J,3 J");
    row("job: reloaded", Job, [](LocalStorage* s) { s->setObjects(Job, {object(7)}); }, "7 J", 1);
}

void tst_LocalStorage::model_followsStore()
{
    QFETCH(QString, dataname);
    QFETCH(StoreWrite, change);
    QFETCH(QString, expected);
    QFETCH(int, resets);

    LocalStorage* store = LocalStorage::instance();
    QAbstractItemModel* model = store->model(dataname);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    loadFixture(store);
    QHash<uint, QPersistentModelIndex> rowsBefore;
    collectRows(model, QModelIndex(), rowsBefore);
    QSignalSpy modelResets(model, &QAbstractItemModel::modelReset);
    QSet<uint> removed;
    QObject context;
    connect(store, &LocalStorage::dataRemoved, &context,
            [&](auto&, auto& ids) { removed += QSet<uint>(ids.cbegin(), ids.cend()); });

    change(store);
    QCOMPARE(describeTree(model), expected);
    QCOMPARE(modelResets.count(), resets);
    // Single changes must move the views' persistent indexes along; only removed rows lose theirs.
    for (auto it = rowsBefore.constBegin(); resets == 0 && it != rowsBefore.constEnd(); ++it) {
        QCOMPARE(it->isValid(), !removed.contains(it.key()));
        QVERIFY(!it->isValid() || it->data(Qt::UserRole).toUInt() == it.key());
    }
}

void tst_LocalStorage::model_loadsLargeOrganisation()
{
    QList<ObjectInfo> departments{object(1, Firm)};
    QList<ObjectInfo> employees;
    for (TYPE_ID department = 1000; department < 1100; ++department) {
        departments.append(object(department, Dept, 1));
        for (TYPE_ID employee = 0; employee < 100; ++employee)
            employees.append(object(department * 100 + employee, Worker, department));
    }
    LocalStorage* store = LocalStorage::instance();
    QAbstractItemModel* model = store->model(Org);

    QElapsedTimer timer;
    timer.start();
    store->setObjects(Org, departments);
    store->setObjects(Subject, employees);
    const qint64 loadMs = timer.restart();
    store->updateObjects(Org, {object(1000, Dept, 1099)});
    qInfo("loaded %d employees under %d departments in %lld ms; moved one department in %lld ms",
          int(employees.size()), int(departments.size() - 1), loadMs, timer.elapsed());

    const QModelIndex firm = model->index(0, 0);
    QCOMPARE(model->rowCount(firm), 99);
    QCOMPARE(model->index(98, 0, firm).data().toUInt(), 1099u);
    QCOMPARE(model->rowCount(model->index(98, 0, firm)), 101);
}

OV_TEST_GUILESS_MAIN(tst_LocalStorage)

#include "tst_localstorage.moc"
