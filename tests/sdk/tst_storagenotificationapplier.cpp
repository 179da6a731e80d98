#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovserverinterface.h"
#include "servercommands.h"
#include "storagenotificationapplier.h"

#include <QTest>

using namespace orvanta;

namespace {

class PushingServer : public OVServerInterface
{
public:
    using OVServerInterface::deliverPushed;

protected:
    void transmit(const Command&) override {}
};

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

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

QString idsText(const QList<uint>& ids)
{
    QStringList parts;
    for (uint id : ids)
        parts.append(QString::number(id));
    return parts.join(',');
}

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

    void appliesThenSignals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("expected");
        const QString jobs = QStringLiteral("job");
        QTest::addRow("object changed")
            << ServerCommands::DataChanged << pack(jobs, QList<ObjectInfo>{job(6, "Старший повар"), job(9, "Мойщик")})
            << QStringList{"changed job 6,9 Старший повар"};
        QTest::addRow("objects removed, unknown id ignored")
            << ServerCommands::DataRemoved << pack(jobs, QList<quint32>{5, 404}) << QStringList{"removed job 5"};
        QTest::addRow("schedule changed") << ServerCommands::ScheduleChanged
                                          << pack(QList<SCHEDULE_DATA>{schedule(8, "3/3")}) << QStringList{"schedules 8 3/3"};
        QTest::addRow("before remove only checks")
            << ServerCommands::ScheduleBeforeRemove << pack(QList<quint32>{7}) << QStringList{};
        QTest::addRow("schedule removed: store announces it itself")
            << ServerCommands::ScheduleRemoved << pack(QList<quint32>{7})
            << QStringList{"before 7 known 1", "gone 7 known 0"};
    }

    void appliesThenSignals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, expected);
        PushingServer server;
        StorageNotificationApplier applier(&server, LocalStorage::instance());
        QStringList log;
        watch(&log);
        int result = 0;
        connect(&server, &OVServerInterface::commandReceived, this, [&result](const Command& c) { result = c.result; });
        server.deliverPushed({0, 0, name, payload, 0, {}});
        QCOMPARE(log, expected);
        QCOMPARE(result, int(ResultSuccess));
    }

    void malformedPayloadIsDropped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("payload");
        const QByteArray changed = pack(QStringLiteral("job"), QList<ObjectInfo>{job(5, "Бармен")});
        QTest::addRow("object list cut short") << ServerCommands::DataChanged << changed.left(changed.size() - 3);
        QTest::addRow("bytes after the ids") << ServerCommands::DataRemoved << pack(QStringLiteral("job"), QList<quint32>{5}) + 'x';
        QTest::addRow("huge count, no elements") << ServerCommands::ScheduleChanged << QByteArray("\x7f\xff\xff\xff", 4);
        QTest::addRow("empty removal payload") << ServerCommands::ScheduleRemoved << QByteArray();
        QTest::addRow("before remove cut short") << ServerCommands::ScheduleBeforeRemove << QByteArray("\0\0\0\2\0", 5);
    }

    void malformedPayloadIsDropped()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, payload);
        PushingServer server;
        StorageNotificationApplier applier(&server, LocalStorage::instance());
        QStringList log;
        watch(&log);
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("does not decode, dropped")));
        int result = -1;
        connect(&server, &OVServerInterface::commandReceived, this, [&result](const Command& c) { result = c.result; });
        server.deliverPushed({0, 0, name, payload, 0, {}});
        QCOMPARE(log, QStringList());
        QCOMPARE(result, 0);
        QCOMPARE(LocalStorage::instance()->constObject(5).property(QStringLiteral("PT_NAME")), QStringLiteral("Кассир"));
        QCOMPARE(LocalStorage::instance()->schedules().size(), 2);
    }

    void destroyedApplierLetsGo()
    {
        PushingServer server;
        {
            StorageNotificationApplier applier(&server, LocalStorage::instance());
        }
        QStringList log;
        watch(&log);
        server.deliverPushed({0, 0, ServerCommands::DataRemoved, pack(QStringLiteral("job"), QList<quint32>{5}), 0, {}});
        QCOMPARE(log, QStringList());
    }

private:
    // Every store signal as text, with what a slot reads at that moment; disconnected at cleanup.
    void watch(QStringList* log)
    {
        LocalStorage* store = LocalStorage::instance();
        const auto name = [store](TYPE_ID id) { return store->constObject(id).property(QStringLiteral("PT_NAME")); };
        const auto known = [store](uint id) { return int(store->schedules().contains(int(id))); };
        connect(store, &LocalStorage::dataChanged, this, [=](const QString& dataname, const QList<TYPE_ID>& ids) {
            log->append(QStringLiteral("changed %1 %2 %3").arg(dataname, idsText(ids), name(ids.value(0))));
        });
        connect(store, &LocalStorage::dataRemoved, this, [=](const QString& dataname, const QList<TYPE_ID>& ids) {
            log->append(QStringLiteral("removed %1 %2").arg(dataname, idsText(ids)));
        });
        connect(store, &LocalStorage::scheduleChanged, this, [=](const QList<uint>& ids) {
            log->append(QStringLiteral("schedules %1 %2").arg(idsText(ids), store->schedules().value(int(ids.value(0))).name));
        });
        connect(store, &LocalStorage::scheduleBeforeRemove, this, [=](const QList<uint>& ids) {
            log->append(QStringLiteral("before %1 known %2").arg(idsText(ids)).arg(known(ids.value(0))));
        });
        connect(store, &LocalStorage::scheduleRemoved, this, [=](const QList<uint>& ids) {
            log->append(QStringLiteral("gone %1 known %2").arg(idsText(ids)).arg(known(ids.value(0))));
        });
    }

private slots:
    void cleanup() { LocalStorage::instance()->disconnect(this); }
};

OV_TEST_GUILESS_MAIN(tst_StorageNotificationApplier)
#include "tst_storagenotificationapplier.moc"
