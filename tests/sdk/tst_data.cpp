#include "data.h"
#include "fatalwarnings.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "ovserverinterface.h"
#include "payload.h"
#include "vocabulary.h"

#include <QTest>

#include <functional>
#include <tuple>

using namespace orvanta;
using ov5sdk::Data;

using DataCall = std::function<void(Data&, const Data::Callback&)>;
// True when the payload decodes to exactly the expected arguments.
using PayloadCheck = std::function<bool(const QByteArray&)>;
Q_DECLARE_METATYPE(DataCall)
Q_DECLARE_METATYPE(PayloadCheck)

namespace {

// The plug-in and its server connection at once: keeps what is transmitted, the test answers.
class Harness : public OVServerInterface, public OVPluginInterface
{
public:
    QList<Command> transmitted;
    using OVServerInterface::deliverReply;
    QString pluginName() const override { return QStringLiteral("test"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return QString(); }
    QWidget* widget() override { return nullptr; }

protected:
    void transmit(const Command& command) override { transmitted.append(command); }
};

// Reads the payload back with the types of the expected arguments, in their order.
template<typename... Args>
PayloadCheck decodesTo(const Args&... expected)
{
    return [=](const QByteArray& payload) {
        OVDataStream stream(payload);
        std::tuple<Args...> read;
        std::apply([&stream](auto&... values) { (stream >> ... >> values); }, read);
        return stream.status() == QDataStream::Ok && stream.atEnd() && read == std::make_tuple(expected...);
    };
}

} // namespace

// One row of operation_data: the tag's first word is the operation, call runs on Data d with callback cb,
// and the payload must decode to the remaining arguments.
#define OPERATION_ROW(tag, call, ...) \
    QTest::newRow(tag) << DataCall([=](Data& d, const Data::Callback& cb) { d.call; }) << decodesTo(__VA_ARGS__)

class tst_Data : public QObject
{
    Q_OBJECT

private slots:
    void operation_data()
    {
        QTest::addColumn<DataCall>("call");
        QTest::addColumn<PayloadCheck>("payload");

        const QDate from(2024, 3, 1), to(2024, 3, 31);
        const QList<uint> ids{107, 103, 105};
        const ObjectInfo rule{501, 0, db::wt::BREAK_RULE, 10, {{QLatin1String(db::common::NAME), "Обед"}}, 0, {}, {}};
        const QList<_INHERIT_DATA> links{{501, 10, INHERIT_BREAK_RULE_OBJECT, QDateTime(from, {}), {}}}, none;
        const SCHEDULE_DATA schedule{4, "Сутки", 1, 1, {}, from, {}, {{0}, {-1}}, {{300, {}}}, 0};
        const QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories{{103, {103, {{0, 4, from, QDate(), 1, from}}}}};
        const QHash<uint, _WORKER_ABSENCE_REASON> absences{{105, {105, {{77, 3, {}, {}, true, "врач", {}}}}}};
        const QList<SCHEDULE_CALENDAR_DAY> days{{0, from, 300, 8 * 3600, 17 * 3600, 0, 0, 0, {}}};
        const DbQuery query(QStringLiteral("select worker_id from balance"));
        const QList<_BLOB_DATA_RESQUEST> blobs{{103, QStringLiteral("PT_PHOTO"), "0123abcd"}};
        const QString client = QStringLiteral("wtplanningview:host"), queryId = QStringLiteral("balance-7");

        OPERATION_ROW("getWorkerSchedules", getWorkerSchedules(ids, cb), ids);
        OPERATION_ROW("getWorkerAbsenceReasons", getWorkerAbsenceReasons(ids, cb), ids);
        OPERATION_ROW("getWorkerNormTime", getWorkerNormTime(from, to, ids, cb), from, to, ids);
        OPERATION_ROW("getWorkerSyncTime", getWorkerSyncTime(from, to, ids, cb), from, to, ids);
        OPERATION_ROW("getWorkTimeBudgets", getWorkTimeBudgets(ids, from, to, cb), ids, from, to);
        OPERATION_ROW("getWorkTimeHours", getWorkTimeHours(ids, from, to, cb), ids, from, to);
        OPERATION_ROW("getScheduleCalendar", getScheduleCalendar({4, -9}, from, to, cb), QList<int>{4, -9}, from, to);
        OPERATION_ROW("getObjects", getObjects(client, cb), client);
        OPERATION_ROW("getBlobDataChange", getBlobDataChange(blobs, cb), blobs);
        OPERATION_ROW("execAsyncSql", execAsyncSql(client, queryId, query, cb), client, queryId, query);
        OPERATION_ROW("cancelAsyncSql", cancelAsyncSql(client, queryId, cb), client, queryId);
        OPERATION_ROW("addObject sends an empty link list", addObject(rule, cb), rule, none);
        OPERATION_ROW("addObject with links", addObject(rule, links, cb), rule, links);
        OPERATION_ROW("updateObjectEx sends an empty link list", updateObjectEx(rule, cb), rule, none);
        OPERATION_ROW("updateObjectEx with links", updateObjectEx(rule, links, cb), rule, links);
        OPERATION_ROW("removeObject", removeObject(rule, cb), rule);
        OPERATION_ROW("addSchedule", addSchedule(schedule, cb), schedule);
        OPERATION_ROW("removeSchedules", removeSchedules(ids, cb), ids);
        OPERATION_ROW("setWorkerSchedules", setWorkerSchedules(histories, cb), histories);
        OPERATION_ROW("updateWorkerAbsenceReason", updateWorkerAbsenceReason(absences, cb), absences);
        OPERATION_ROW("updateScheduleCalendar", updateScheduleCalendar(4, from, to, days, cb), qint32(4), from, to, days);
        OPERATION_ROW("updateWorkerSaveTime", updateWorkerSaveTime(from, ids, cb), from, ids);
        OPERATION_ROW("resetWorkerSyncTime", resetWorkerSyncTime(from, ids, cb), from, ids);
    }

    void operation()
    {
        QFETCH(DataCall, call);
        QFETCH(PayloadCheck, payload);
        const QString name = QLatin1String("data.") + QString::fromLatin1(QTest::currentDataTag()).section(' ', 0, 0);
        Harness harness;
        harness.init(&harness, QStringLiteral("wtplanningview"));
        QList<Command> replies;
        const Data::Callback callback = [&replies](Command& reply) { replies.append(reply); };
        Data data(&harness, "session-token");
        call(data, callback);

        QCOMPARE(harness.transmitted.size(), 1);
        const Command request = harness.transmitted.first();
        QCOMPARE(request.name, name);
        QCOMPARE(request.session, QByteArray("session-token"));
        QVERIFY(payload(request.data));
        harness.deliverReply(request);
        QCOMPARE(replies.size(), 1);

        // Without a plug-in: a not-connected reply, exactly once and never inside the call.
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no plug-in to send through")));
        Data offline(nullptr, "session-token");
        call(offline, callback);
        QCOMPARE(replies.size(), 1);
        QTRY_VERIFY(replies.size() > 1);
        QCoreApplication::processEvents();
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies.last().name + ' ' + QString::number(replies.last().result), name + " 503");
    }

    void unpackObjects()
    {
        const ObjectInfo first{10, 0, db::orgstructure::DEPARTMENT, 1, {}, 0, {}, {}};
        const ObjectInfo second{11, 0, db::orgstructure::WORKER, 10, {}, 0, {}, {}};
        const QByteArray payload = ovtest::pack(QStringLiteral("job"), QList<ObjectInfo>{first, second});
        // Whole, the payload decodes; cut short anywhere, or announcing more objects than it holds, it must not.
        QList<QByteArray> candidates{payload, ovtest::pack(QStringLiteral("job"), quint32(0x7fffffff), first)};
        for (int length = 0; length < payload.size(); ++length)
            candidates.append(payload.left(length));
        for (const QByteArray& candidate : qAsConst(candidates)) {
            const bool whole = candidate == payload;
            if (!whole)
                ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("objects payload does not decode")));
            OBJECT_HASH out{{42, ObjectInfo()}};
            QString dataname;
            QVERIFY2(Data::unpackObjects(out, dataname, candidate) == whole, qPrintable(QString::number(candidate.size())));
            QCOMPARE(out, (whole ? OBJECT_HASH{{10, first}, {11, second}} : OBJECT_HASH()));
            QCOMPARE(dataname, whole ? QStringLiteral("job") : QString());
        }
    }
};

OV_TEST_GUILESS_MAIN(tst_Data)

#include "tst_data.moc"
