#include "data.h"
#include "fatalwarnings.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "ovserverinterface.h"
#include "vocabulary.h"

#include <QTest>

#include <functional>
#include <tuple>

using namespace orvanta;
using ov5sdk::Data;

using DataCall = std::function<void(Data&, const Data::Callback&)>;
// Empty when the payload decodes to the expected arguments, else what went wrong.
using PayloadCheck = std::function<QString(const QByteArray&)>;
Q_DECLARE_METATYPE(DataCall)
Q_DECLARE_METATYPE(PayloadCheck)

namespace {

// Keeps what the client transmits; the test answers when it chooses.
class RecordingConnection : public OVServerInterface
{
public:
    QList<Command> transmitted;

    void answer(const Command& request, const QByteArray& payload)
    {
        Command reply;
        reply.result = ResultSuccess;
        reply.correlationId = request.correlationId;
        reply.data = payload;
        deliverReply(reply);
    }

protected:
    void transmit(const Command& command) override { transmitted.append(command); }
};

class TestPlugin : public OVPluginInterface
{
public:
    QString pluginName() const override { return QStringLiteral("test"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return QString(); }
    QWidget* widget() override { return nullptr; }
};

// Reads the payload back with the types of the expected arguments, in their order.
template<typename... Args>
PayloadCheck decodesTo(const Args&... expected)
{
    return [=](const QByteArray& payload) {
        OVDataStream stream(payload);
        std::tuple<Args...> read;
        std::apply([&stream](auto&... values) { (stream >> ... >> values); }, read);
        if (stream.status() != QDataStream::Ok || !stream.atEnd())
            return QStringLiteral("status %1, at end %2").arg(stream.status()).arg(stream.atEnd());
        return read == std::make_tuple(expected...) ? QString() : QStringLiteral("decoded values differ");
    };
}

ObjectInfo object(TYPE_ID uid, const char* type, TYPE_ID parent)
{
    ObjectInfo result;
    result.uid = uid;
    result.type = QString::fromLatin1(type);
    result.parent = parent;
    result.properties.insert(QString::fromLatin1(db::common::NAME), QStringLiteral("Обед"));
    result.children.insert(INHERIT_BREAK_RULE_OBJECT, {uid, parent, 53, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), {}});
    return result;
}

QByteArray objectsPayload(const QString& dataname, const QList<ObjectInfo>& objects)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    stream << dataname << objects;
    return payload;
}

} // namespace

// One row of operation_data: the call on Data d with callback cb, and what its payload decodes to.
#define OPERATION_ROW(tag, operation, call, ...) \
    QTest::addRow(tag) << QStringLiteral(operation) \
                       << DataCall([=](Data& d, const Data::Callback& cb) { d.call; }) << decodesTo(__VA_ARGS__)

class tst_Data : public QObject
{
    Q_OBJECT

private slots:
    void operation_data();
    void operation();
    void operation_withoutPlugin_data() { operation_data(); }
    void operation_withoutPlugin();
    void unpackObjects_data();
    void unpackObjects();
    void unpackObjects_truncated();
};

void tst_Data::operation_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<DataCall>("call");
    QTest::addColumn<PayloadCheck>("payload");

    const QDate from(2024, 3, 1), to(2024, 3, 31);
    const QList<uint> ids{107, 103, 105};
    const ObjectInfo rule = object(501, db::wt::BREAK_RULE, 10);
    const QList<_INHERIT_DATA> links = rule.children.values();
    SCHEDULE_DATA schedule;
    schedule.id = 4;
    schedule.cycle = {{0}, {-1}};
    schedule.shifts = {{300, {SCHEDULE_CALENDAR_INTERVAL{0, 0, 0, 9 * 3600, 21 * 3600, 0}}}};
    const QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories{{103, {103, {{0, 4, from, QDate(), 1, from}}}}};
    const _WORKER_ABSENCE_REASON_RECORD absence{0xFFFFFFFFu, 77, QDateTime(from, QTime(9, 0)),
                                                QDateTime(from, QTime(13, 0)), true, "врач", {}};
    const QHash<uint, _WORKER_ABSENCE_REASON> absences{{105, {105, {absence}}}};
    SCHEDULE_CALENDAR_DAY day;
    day.date = from;
    day.intervals = {SCHEDULE_CALENDAR_INTERVAL{0, 0, 0, 8 * 3600, 17 * 3600, 0}};
    const QList<SCHEDULE_CALENDAR_DAY> days{day};
    DbQuery query(QStringLiteral("select worker_id from balance where year = :year"));
    query.bindValue(QStringLiteral(":year"), 2024);
    const QList<_BLOB_DATA_RESQUEST> blobs{{103, QStringLiteral("PT_PHOTO"), "0123abcd"}};
    const QString client = QStringLiteral("wtplanningview:host"), queryId = QStringLiteral("balance-7");
    const QString org = QString::fromLatin1(ORGSTRUCTURE_DATANAME);

    OPERATION_ROW("getWorkerSchedules", "getWorkerSchedules", getWorkerSchedules(ids, cb), ids);
    OPERATION_ROW("getWorkerAbsenceReasons", "getWorkerAbsenceReasons", getWorkerAbsenceReasons(ids, cb), ids);
    OPERATION_ROW("getWorkerNormTime", "getWorkerNormTime", getWorkerNormTime(from, to, ids, cb), from, to, ids);
    OPERATION_ROW("getWorkerSyncTime", "getWorkerSyncTime", getWorkerSyncTime(from, to, ids, cb), from, to, ids);
    OPERATION_ROW("getWorkTimeBudgets", "getWorkTimeBudgets", getWorkTimeBudgets(ids, from, to, cb), ids, from, to);
    OPERATION_ROW("getWorkTimeHours", "getWorkTimeHours", getWorkTimeHours(ids, from, to, cb), ids, from, to);
    OPERATION_ROW("getScheduleCalendar", "getScheduleCalendar", getScheduleCalendar({4, -9}, from, to, cb),
                  QList<int>{4, -9}, from, to);
    OPERATION_ROW("getObjects", "getObjects", getObjects(org, cb), org);
    OPERATION_ROW("getBlobDataChange", "getBlobDataChange", getBlobDataChange(blobs, cb), blobs);
    OPERATION_ROW("execAsyncSql", "execAsyncSql", execAsyncSql(client, queryId, query, cb), client, queryId, query);
    OPERATION_ROW("cancelAsyncSql", "cancelAsyncSql", cancelAsyncSql(client, queryId, cb), client, queryId);
    OPERATION_ROW("addObject sends an empty link list", "addObject", addObject(rule, cb), rule,
                  QList<_INHERIT_DATA>());
    OPERATION_ROW("addObject with links", "addObject", addObject(rule, links, cb), rule, links);
    OPERATION_ROW("updateObjectEx sends an empty link list", "updateObjectEx", updateObjectEx(rule, cb), rule,
                  QList<_INHERIT_DATA>());
    OPERATION_ROW("updateObjectEx with links", "updateObjectEx", updateObjectEx(rule, links, cb), rule, links);
    OPERATION_ROW("removeObject", "removeObject", removeObject(rule, cb), rule);
    OPERATION_ROW("addSchedule", "addSchedule", addSchedule(schedule, cb), schedule);
    OPERATION_ROW("removeSchedules", "removeSchedules", removeSchedules(ids, cb), ids);
    OPERATION_ROW("setWorkerSchedules", "setWorkerSchedules", setWorkerSchedules(histories, cb), histories);
    OPERATION_ROW("updateWorkerAbsenceReason", "updateWorkerAbsenceReason", updateWorkerAbsenceReason(absences, cb),
                  absences);
    OPERATION_ROW("updateScheduleCalendar", "updateScheduleCalendar", updateScheduleCalendar(4, from, to, days, cb),
                  qint32(4), from, to, days);
    OPERATION_ROW("updateWorkerSaveTime", "updateWorkerSaveTime", updateWorkerSaveTime(from, ids, cb), from, ids);
    OPERATION_ROW("resetWorkerSyncTime", "resetWorkerSyncTime", resetWorkerSyncTime(from, ids, cb), from, ids);
}

void tst_Data::operation()
{
    QFETCH(QString, operation);
    QFETCH(DataCall, call);
    QFETCH(PayloadCheck, payload);

    RecordingConnection connection;
    TestPlugin plugin;
    plugin.init(&connection, QStringLiteral("wtplanningview"));
    Data data(&plugin, "session-token");
    QList<Command> replies;
    call(data, [&replies](Command& reply) { replies.append(reply); });

    QCOMPARE(connection.transmitted.size(), 1);
    const Command request = connection.transmitted.first();
    QCOMPARE(request.name, QStringLiteral("data.") + operation);
    QCOMPARE(request.session, QByteArray("session-token"));
    QCOMPARE(payload(request.data), QString());
    QVERIFY(replies.isEmpty());

    connection.answer(request, "reply");
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().data, QByteArray("reply"));
}

void tst_Data::operation_withoutPlugin()
{
    QFETCH(QString, operation);
    QFETCH(DataCall, call);

    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no plug-in to send through")));
    Data data(nullptr, "session-token");
    QList<Command> replies;
    call(data, [&replies](Command& reply) { replies.append(reply); });

    QVERIFY(replies.isEmpty());
    QTRY_COMPARE(replies.size(), 1);
    QCOMPARE(replies.first().result, int(ResultNotConnected));
    QCOMPARE(replies.first().name, QStringLiteral("data.") + operation);
    QCoreApplication::processEvents();
    QCOMPARE(replies.size(), 1);
}

void tst_Data::unpackObjects_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<QList<ObjectInfo>>("objects");

    const QList<ObjectInfo> objects{object(10, db::orgstructure::DEPARTMENT, 1),
                                    object(11, db::orgstructure::DEPARTMENT, 10)};
    QByteArray hugeCount, oddStringLength;
    OVDataStream hugeStream(&hugeCount, QIODevice::WriteOnly);
    hugeStream << QStringLiteral("job") << quint32(0x7fffffff) << objects.first();
    OVDataStream oddStream(&oddStringLength, QIODevice::WriteOnly);
    oddStream << quint32(3) << quint8('a') << quint16(0) << quint32(0);

    QTest::addRow("two objects") << objectsPayload(QStringLiteral("job"), objects) << true << objects;
    QTest::addRow("no objects") << objectsPayload(QStringLiteral("job"), {}) << true << QList<ObjectInfo>();
    QTest::addRow("count beyond the payload") << hugeCount << false << QList<ObjectInfo>();
    QTest::addRow("odd string length") << oddStringLength << false << QList<ObjectInfo>();
    QTest::addRow("empty payload") << QByteArray() << false << QList<ObjectInfo>();
}

void tst_Data::unpackObjects()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, decodes);
    QFETCH(QList<ObjectInfo>, objects);

    if (!decodes)
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("objects payload does not decode")));
    OVHash<uint, ObjectInfo> out{{42, ObjectInfo()}};
    QString dataname;
    QCOMPARE(Data::unpackObjects(out, dataname, payload), decodes);
    QCOMPARE(out.size(), objects.size());
    QCOMPARE(dataname, decodes ? QStringLiteral("job") : QString());
    for (const ObjectInfo& expected : qAsConst(objects))
        QCOMPARE(out.value(expected.uid), expected);
}

void tst_Data::unpackObjects_truncated()
{
    const QByteArray payload = objectsPayload(
        QString::fromLatin1(SUBJECT_DATANAME),
        {object(100, db::orgstructure::WORKER, 10), object(101, db::orgstructure::WORKER, 10)});
    for (int length = 0; length < payload.size(); ++length) {
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("objects payload does not decode")));
        OVHash<uint, ObjectInfo> out{{42, ObjectInfo()}};
        QString dataname;
        QVERIFY2(!Data::unpackObjects(out, dataname, payload.left(length)), qPrintable(QString::number(length)));
        QVERIFY2(out.isEmpty(), qPrintable(QString::number(length)));
    }
}

OV_TEST_GUILESS_MAIN(tst_Data)

#include "tst_data.moc"
