#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovserverinterface.h"
#include "payload.h"
#include "servercommands.h"
#include "storagenotificationapplier.h"

#include <QTest>

using namespace orvanta;
using ovtest::pack;

namespace {

class PushingServer : public OVServerInterface
{
public:
    // Delivers a pushed command and gives the result the handlers left in it.
    int push(const QString& name, const QByteArray& payload)
    {
        int result = -1;
        const auto connection = connect(this, &OVServerInterface::commandReceived,
                                        [&result](const Command& c) { result = c.result; });
        deliverPushed({0, 0, name, payload, 0, {}});
        disconnect(connection);
        return result;
    }

protected:
    void transmit(const Command&) override {}
};

ObjectInfo job(TYPE_ID uid, const char* name)
{
    return {uid, 0, QStringLiteral("OT_JOB"), 0, {{QStringLiteral("PT_NAME"), QString::fromUtf8(name)}}, 0, {}, {}};
}

SCHEDULE_DATA schedule(int id, const char* name)
{
    SCHEDULE_DATA s;
    s.id = id;
    s.name = QString::fromUtf8(name);
    return s;
}

// The jobs and schedules of the store, sorted.
QString storeState()
{
    const LocalStorage* store = LocalStorage::instance();
    QStringList state;
    for (const ObjectInfo& object : *store->constObjects(QStringLiteral("job")))
        state.append(QString::number(object.uid) + ':' + object.property(QStringLiteral("PT_NAME")));
    for (const SCHEDULE_DATA& s : store->schedules())
        state.append(QStringLiteral("s%1:%2").arg(s.id).arg(s.name));
    state.sort();
    return state.join(' ');
}

const char* const Initial = "5:Кассир 6:Повар s7:5/2 s8:2/2";

} // namespace

class tst_StorageNotificationApplier : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        LocalStorage* store = LocalStorage::instance();
        store->reset();
        store->setObjects(QStringLiteral("job"), {job(5, "Кассир"), job(6, "Повар")});
        store->setSchedules({schedule(7, "5/2"), schedule(8, "2/2")});
    }

    void applies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("state"); // empty: the payload is dropped, unacknowledged
        const QString jobs = QStringLiteral("job");
        const QByteArray changed = pack(jobs, QList<ObjectInfo>{job(6, "Старший повар"), job(9, "Мойщик")});
        QTest::addRow("objects changed") << ServerCommands::DataChanged << changed
                                         << "5:Кассир 6:Старший повар 9:Мойщик s7:5/2 s8:2/2";
        QTest::addRow("objects removed, unknown id ignored")
            << ServerCommands::DataRemoved << pack(jobs, QList<quint32>{5, 404}) << "6:Повар s7:5/2 s8:2/2";
        QTest::addRow("schedule changed") << ServerCommands::ScheduleChanged << pack(QList<SCHEDULE_DATA>{schedule(8, "3/3")})
                                          << "5:Кассир 6:Повар s7:5/2 s8:3/3";
        QTest::addRow("before remove only checks") << ServerCommands::ScheduleBeforeRemove << pack(QList<quint32>{7})
                                                   << QString::fromUtf8(Initial);
        QTest::addRow("schedule removed") << ServerCommands::ScheduleRemoved << pack(QList<quint32>{7})
                                          << "5:Кассир 6:Повар s8:2/2";
        QTest::addRow("object list cut short") << ServerCommands::DataChanged << changed.left(changed.size() - 3)
                                               << QString();
        QTest::addRow("bytes after the ids")
            << ServerCommands::DataRemoved << pack(jobs, QList<quint32>{5}) + 'x' << QString();
        QTest::addRow("huge count, no elements") << ServerCommands::ScheduleChanged << QByteArray("\x7f\xff\xff\xff", 4)
                                                 << QString();
        QTest::addRow("empty removal payload") << ServerCommands::ScheduleRemoved << QByteArray() << QString();
        QTest::addRow("before remove cut short")
            << ServerCommands::ScheduleBeforeRemove << QByteArray("\0\0\0\2\0", 5) << QString();
    }

    void applies()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, payload);
        QFETCH(QString, state);
        PushingServer server;
        StorageNotificationApplier applier(&server, LocalStorage::instance());
        if (state.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("does not decode, dropped")));
        QCOMPARE(server.push(name, payload), int(state.isEmpty() ? 0 : ResultSuccess));
        QCOMPARE(storeState(), state.isEmpty() ? QString::fromUtf8(Initial) : state);
    }

    void destroyedApplierLetsGo()
    {
        PushingServer server;
        {
            StorageNotificationApplier applier(&server, LocalStorage::instance());
        }
        QCOMPARE(server.push(ServerCommands::DataRemoved, pack(QStringLiteral("job"), QList<quint32>{5})), 0);
        QCOMPARE(storeState(), QString::fromUtf8(Initial));
    }
};

OV_TEST_GUILESS_MAIN(tst_StorageNotificationApplier)
#include "tst_storagenotificationapplier.moc"
