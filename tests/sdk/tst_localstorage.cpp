#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovserverinterface.h"
#include "payload.h"
#include "servercommands.h"
#include "storagenotificationapplier.h"
#include "vocabulary.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace orvanta;

using StoreWrite = std::function<void(LocalStorage*)>;
Q_DECLARE_METATYPE(StoreWrite)

namespace {

const QString Job = QString::fromLatin1(JOB_DATANAME);
const QString Org = QString::fromLatin1(ORGSTRUCTURE_DATANAME);
const QString Subject = QString::fromLatin1(SUBJECT_DATANAME);

ObjectInfo object(TYPE_ID uid, const char* name = "", const char* type = db::wt::JOB, TYPE_ID parent = 0)
{
    return {uid, 0, QString::fromLatin1(type), parent, {{QLatin1String(db::common::NAME), name}}, 0, {}, {}};
}

ObjectInfo firm(TYPE_ID uid, TYPE_ID parent = 0) { return object(uid, "", db::orgstructure::FIRM, parent); }
ObjectInfo dept(TYPE_ID uid, TYPE_ID parent) { return object(uid, "", db::orgstructure::DEPARTMENT, parent); }
ObjectInfo worker(TYPE_ID uid, TYPE_ID parent) { return object(uid, "", db::orgstructure::WORKER, parent); }

constexpr int Personal = SCHEDULE_DATA::KindPersonal;
SCHEDULE_DATA schedule(int id, const char* name, TYPE_ID worker = 0, int kind = SCHEDULE_DATA::KindCycle)
{
    return {id, QString::fromUtf8(name), 1, kind, {}, {}, {}, {}, {}, worker};
}
SCHEDULE_DATA personal(int id, TYPE_ID worker, const char* name = "p") { return schedule(id, name, worker, Personal); }

StoreWrite load(QString table, QList<ObjectInfo> o) { return [=](LocalStorage* s) { s->setObjects(table, o); }; }
StoreWrite put(QString table, QList<ObjectInfo> o) { return [=](LocalStorage* s) { s->updateObjects(table, o); }; }
StoreWrite drop(QString table, QList<TYPE_ID> ids) { return [=](LocalStorage* s) { s->removeObjects(table, ids); }; }
StoreWrite both(StoreWrite first, StoreWrite second) { return [=](LocalStorage* s) { first(s); second(s); }; }
StoreWrite loadSchedules(QList<SCHEDULE_DATA> list) { return [=](LocalStorage* s) { s->setSchedules(list); }; }
StoreWrite putSchedules(QList<SCHEDULE_DATA> list) { return [=](LocalStorage* s) { s->updateSchedules(list); }; }

class PushingServer : public OVServerInterface
{
public:
    // Delivers a pushed command and gives the result the handlers left in it.
    int push(const char* name, const QByteArray& payload)
    {
        int result = -1;
        const auto connection = connect(this, &OVServerInterface::commandReceived,
                                        [&result](const Command& c) { result = c.result; });
        deliverPushed({0, 0, QLatin1String(name), payload, 0, {}});
        disconnect(connection);
        return result;
    }

protected:
    void transmit(const Command&) override {}
};

// A server notification through the applier: acknowledged when it decodes, else dropped with a warning.
StoreWrite pushed(const char* name, QByteArray payload, bool decodes = true)
{
    return [=](LocalStorage* s) {
        PushingServer server;
        StorageNotificationApplier applier(&server, s);
        if (!decodes)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("does not decode, dropped")));
        QCOMPARE(server.push(name, payload), decodes ? int(ResultSuccess) : 0);
    };
}

// What a slot reads: the jobs (looked up by id alone), the schedules, and the personal schedules of 10 and 20.
QString snapshot()
{
    const LocalStorage* store = LocalStorage::instance();
    QStringList state;
    for (TYPE_ID id : store->constObjects(Job)->keys())
        state.append(QString::number(id) + ':' + store->constObject(id).property(QLatin1String(db::common::NAME)));
    for (const SCHEDULE_DATA& s : store->schedules())
        state.append(QStringLiteral("s%1:%2").arg(s.id).arg(s.name));
    state.sort();
    for (TYPE_ID worker : {10, 20})
        for (int id : store->personalSchedules(worker))
            state.append(QStringLiteral("w%1:%2").arg(worker).arg(id));
    return state.join(' ');
}

// "idT{children},..." in model order; T is the first letter of the type after "OT_".
QString describeTree(const QAbstractItemModel* model, const QModelIndex& parent = QModelIndex())
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        rows.append(index.data().toString() + index.siblingAtColumn(1).data().toString().mid(3, 1));
        if (model->rowCount(index) > 0)
            rows.last() += QLatin1Char('{') + describeTree(model, index) + QLatin1Char('}');
    }
    return rows.join(QLatin1Char(','));
}

} // namespace

// Connects every change signal of the store by signature, as plug-ins do (queued only works when the
// store registered the argument types), and notes "signal [dataname] ids: what a slot reads now".
class Recorder : public QObject
{
    Q_OBJECT
public:
    QStringList seen;
    QSet<TYPE_ID> removed;
    std::function<QString()> state = snapshot;

    explicit Recorder(Qt::ConnectionType type = Qt::DirectConnection)
    {
        for (const char* signal : {SIGNAL(dataChanged(QString, QList<orvanta::TYPE_ID>)),
                                   SIGNAL(dataRemoved(QString, QList<orvanta::TYPE_ID>)),
                                   SIGNAL(scheduleChanged(QList<uint>)), SIGNAL(scheduleBeforeRemove(QList<uint>)),
                                   SIGNAL(scheduleRemoved(QList<uint>))})
            connect(LocalStorage::instance(), signal, this,
                    signal[1] == 'd' ? SLOT(objects(QString, QList<orvanta::TYPE_ID>)) : SLOT(schedules(QList<uint>)),
                    type);
    }

    void record(const QString& dataname, const QList<uint>& ids)
    {
        const QString signal = sender()->metaObject()->method(senderSignalIndex()).name();
        if (signal == QLatin1String("dataRemoved"))
            removed += QSet<TYPE_ID>(ids.cbegin(), ids.cend());
        seen.append(signal + dataname + ' ');
        QDebug(&seen.last()).nospace().noquote() << ids << ": " << state();
    }

public slots:
    void objects(const QString& dataname, const QList<orvanta::TYPE_ID>& ids) { record(' ' + dataname, ids); }
    void schedules(const QList<uint>& ids) { record(QString(), ids); }
};

class tst_LocalStorage : public QObject
{
    Q_OBJECT

private slots:
    void init() { LocalStorage::instance()->reset(); }

    void signals_seeAppliedChange_data()
    {
        QTest::addColumn<StoreWrite>("change");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* tag, StoreWrite write, QStringList seen) { QTest::newRow(tag) << write << seen; };
        row("load replaces the table", load(Job, {object(3, "c")}), {"dataChanged job (3): 3:c s5:old w10:5"});
        row("update names an object twice", put(Job, {object(2, "x"), object(4, "y"), object(2, "z")}),
            {"dataChanged job (2, 4): 1:a 2:z 4:y s5:old w10:5"});
        row("remove reports only removed ids", drop(Job, {2, 99}), {"dataRemoved job (2): 1:a s5:old w10:5"});
        row("remove unknown id", drop(Job, {99}), {});
        row("remove from unknown table", drop(Subject, {1}), {});
        row("schedules loaded", loadSchedules({personal(8, 10), personal(2, 10), schedule(3, "c", 10)}),
            {"scheduleChanged (8, 2, 3): 1:a 2:b s2:p s3:c s8:p w10:2 w10:8"});
        row("schedules added, personal sorted", putSchedules({personal(7, 10), personal(3, 10), personal(4, 20)}),
            {"scheduleChanged (7, 3, 4): 1:a 2:b s3:p s4:p s5:old s7:p w10:3 w10:5 w10:7 w20:4"});
        row("schedule changes owner", putSchedules({personal(5, 20)}), {"scheduleChanged (5): 1:a 2:b s5:p w20:5"});
        row("schedule named twice rejoins the personal ones", putSchedules({schedule(5, "c", 10), personal(5, 10)}),
            {"scheduleChanged (5): 1:a 2:b s5:p w10:5"});
        row("remove schedules", [](LocalStorage* s) { s->removeSchedules({77, 5}); },
            {"scheduleBeforeRemove (5): 1:a 2:b s5:old w10:5", "scheduleRemoved (5): 1:a 2:b"});
        row("remove unknown schedule", [](LocalStorage* s) { s->removeSchedules({77}); }, {});

        using namespace ServerCommands;
        using ovtest::pack;
        const QByteArray changed = pack(Job, QList<ObjectInfo>{object(2, "x"), object(9, "y")});
        row("pushed: changed", pushed(DataChanged, changed), {"dataChanged job (2, 9): 1:a 2:x 9:y s5:old w10:5"});
        row("pushed: objects removed", pushed(DataRemoved, pack(Job, QList<quint32>{1, 404})),
            {"dataRemoved job (1): 2:b s5:old w10:5"});
        row("pushed: schedule changed", pushed(ScheduleChanged, pack(QList<SCHEDULE_DATA>{schedule(8, "n")})),
            {"scheduleChanged (8): 1:a 2:b s5:old s8:n w10:5"});
        row("pushed: before remove only checked", pushed(ScheduleBeforeRemove, pack(QList<quint32>{5})), {});
        row("pushed: schedule removed", pushed(ScheduleRemoved, pack(QList<quint32>{5})),
            {"scheduleBeforeRemove (5): 1:a 2:b s5:old w10:5", "scheduleRemoved (5): 1:a 2:b"});
        row("pushed: object list cut short", pushed(DataChanged, changed.left(changed.size() - 3), false), {});
        row("pushed: bytes after the ids", pushed(DataRemoved, pack(Job, QList<quint32>{1}) + 'x', false), {});
        row("pushed: huge count, no elements", pushed(ScheduleChanged, QByteArray("\x7f\xff\xff\xff", 4), false), {});
        row("pushed: empty removal", pushed(ScheduleRemoved, QByteArray(), false), {});
        row("pushed: before remove cut short", pushed(ScheduleBeforeRemove, QByteArray("\0\0\0\2\0", 5), false), {});
        row("pushed after the applier is gone", [](LocalStorage* s) {
                PushingServer server;
                { StorageNotificationApplier applier(&server, s); }
                QCOMPARE(server.push(DataRemoved, pack(Job, QList<quint32>{1})), 0);
            }, {});
    }

    void signals_seeAppliedChange()
    {
        QFETCH(StoreWrite, change);
        QFETCH(QStringList, expected);
        LocalStorage* store = LocalStorage::instance();
        both(loadSchedules({personal(5, 10, "old")}), load(Job, {object(1, "a"), object(2, "b")}))(store);
        Recorder direct, queued(Qt::QueuedConnection);

        change(store);
        QCOMPARE(direct.seen, expected);
        QTRY_COMPARE(queued.seen.size(), expected.size());
    }

    void lookups()
    {
        LocalStorage* store = LocalStorage::instance();
        for (const QString& table : {Subject, Org, Job})
            store->setObjects(table, {object(1), object(2)});
        QCOMPARE(store->datanames(), (QStringList{Job, Org, Subject}));
        Recorder recorder;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("object without id skipped")));
        store->updateObjects(Job, {object(0)});
        QVERIFY(recorder.seen.isEmpty());
        // A changed object's row is repainted, whole.
        QAbstractItemModel* jobs = store->model(Job);
        QSignalSpy repainted(jobs, &QAbstractItemModel::dataChanged);
        store->updateObjects(Job, {object(2, "b")});
        QCOMPARE(repainted.count(), 1);
        QCOMPARE(repainted.first().value(1).toModelIndex(), jobs->index(1, 1));

        store->setBlob(100, "PT_PHOTO", "abc");
        store->setBlob(100, "PT_PHOTO", "abd");
        QCOMPARE(store->blob(100, "PT_PHOTO"), QByteArray("abd"));
        QCOMPARE(store->blobMd5(100, "PT_PHOTO"), QByteArray("4911e516e5aa21d327512e0c8b197616"));
        store->setBlob(100, "PT_PHOTO", QByteArray());
        QVERIFY(store->blobMd5(100, "PT_PHOTO").isEmpty());
    }

    void model_followsStore_data()
    {
        QTest::addColumn<StoreWrite>("change");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("reset");
        // Rows tagged "job:" watch the flat job model, the others the organisation tree; the first row creates it.
        auto row = [](const char* tag, StoreWrite change, QString expected, bool reset = false) {
            QTest::newRow(tag) << change << expected << reset;
        };
        row("department moved with its employees", put(Org, {dept(11, 12)}), "1F{10D{100W},12D{11D{101W}}},102W");
        row("employee added", put(Subject, {worker(104, 11)}), "1F{10D{11D{101W,104W},100W},12D},102W");
        row("department removed, employees wait at the top", drop(Org, {11}), "1F{10D{100W},12D},101W,102W");
        row("department returns", both(drop(Org, {11}), put(Org, {dept(11, 10)})), "1F{10D{11D{101W},100W},12D},102W");
        row("missing parent arrives", put(Org, {dept(999, 1)}), "1F{10D{11D{101W},100W},12D,999D{102W}}");
        row("parent cycle: department at the top", put(Org, {dept(10, 11)}), "1F{12D},10D{11D{101W},100W},102W");
        row("cycle broken", both(put(Org, {dept(10, 11)}), put(Org, {dept(11, 1)})),
            "1F{11D{10D{100W},101W},12D},102W");
        row("type changes", put(Org, {firm(12, 1)}), "1F{10D{11D{101W},100W},12F},102W");
        row("other tables ignored", put(Job, {object(50, "", db::wt::JOB, 10)}), "1F{10D{11D{101W},100W},12D},102W");
        row("departments reloaded", load(Org, {firm(1), dept(12, 1)}), "1F{12D},100W,101W,102W", true);
        row("job: flat, parents ignored", put(Job, {object(1, "", db::wt::JOB, 3)}), "1J,2J,3J");
        row("job: added in id order, removed", both(put(Job, {object(5), object(4)}), drop(Job, {2})), "1J,3J,4J,5J");
        row("job: reloaded", load(Job, {object(7)}), "7J", true);
    }

    void model_followsStore()
    {
        QFETCH(StoreWrite, change);
        QFETCH(QString, expected);
        QFETCH(bool, reset);
        LocalStorage* store = LocalStorage::instance();
        const QString dataname = QString::fromLatin1(QTest::currentDataTag()).startsWith("job:") ? Job : Org;
        // Connected before the model may exist: the store must bring it up to date itself before it emits.
        Recorder recorder;
        recorder.state = [&] { return describeTree(store->model(dataname)); };
        QAbstractItemModel* model = store->model(dataname);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        load(Org, {firm(1), dept(10, 1), dept(11, 10), dept(12, 1)})(store);
        load(Subject, {worker(100, 10), worker(101, 11), worker(102, 999)})(store);
        load(Job, {object(3, "", db::wt::JOB, 1), object(1), object(2)})(store);
        const auto all =
            model->match(model->index(0, 0), Qt::UserRole, "*", -1, Qt::MatchWildcard | Qt::MatchRecursive);
        const QList<QPersistentModelIndex> rows(all.cbegin(), all.cend());
        QVariantList ids;
        for (const QModelIndex& index : all)
            ids.append(index.data(Qt::UserRole));

        change(store);
        QCOMPARE(describeTree(model), expected);
        QCOMPARE(recorder.seen.last().section(": ", 1), expected);
        // A load resets the model; single changes move the persistent indexes along, only removed rows lose theirs.
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].data(Qt::UserRole),
                     reset || recorder.removed.contains(ids[i].toUInt()) ? QVariant() : ids[i]);
    }
};

OV_TEST_GUILESS_MAIN(tst_LocalStorage)

#include "tst_localstorage.moc"
