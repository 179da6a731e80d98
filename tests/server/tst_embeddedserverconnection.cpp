#include "authdata.h"
#include "clientsession.h"
#include "data.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "storagenotificationapplier.h"
#include "vocabulary.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using namespace orvanta;

namespace {

constexpr int DemoEmployees = 6;

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

// Logs in and loads the store; the finished() arguments.
QVariantList logIn(OVServerInterface* server, const QString& login, const QString& password)
{
    ClientSession session(server, LocalStorage::instance());
    QSignalSpy finished(&session, &ClientSession::finished);
    session.start(login, password);
    if (!finished.wait(10000))
        return {};
    return finished.constFirst();
}

} // namespace

class tst_EmbeddedServerConnection : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

    QString databaseUrl(const char* name) const
    {
        return QStringLiteral("sqlite:") + m_folder.filePath(QString::fromLatin1(name));
    }

private slots:
    void cleanup()
    {
        AuthData::clear();
        LocalStorage::instance()->reset();
    }

    void logInAndLoad_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("hasRoles");
        QTest::addRow("planner") << "planner" << "planner2026" << QString() << true;
        QTest::addRow("wrong password") << "planner" << "planner2025" << "Неверное имя пользователя или пароль" << false;
        QTest::addRow("unknown login") << "nobody" << "planner2026" << "Неверное имя пользователя или пароль" << false;
    }

    void logInAndLoad()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(bool, hasRoles);
        EmbeddedServerConnection server;
        QVERIFY2(server.start(databaseUrl("login.sqlite"), DemoEmployees, false), qPrintable(server.errorString()));

        QCOMPARE(logIn(&server, login, password), (QVariantList{message.isEmpty(), message}));
        QCOMPARE(!AuthData::roles().isEmpty(), hasRoles);
        const OBJECT_HASH* organisation = LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME));
        QCOMPARE(organisation && !organisation->isEmpty(), hasRoles);
        QCOMPARE(!LocalStorage::instance()->schedules().isEmpty(), hasRoles);
    }

    void replyComesBeforeTheNotificationOnTheCallersThread()
    {
        EmbeddedServerConnection server;
        QVERIFY(server.start(databaseUrl("write.sqlite"), DemoEmployees, false));
        QCOMPARE(logIn(&server, QStringLiteral("planner"), QStringLiteral("planner2026")).value(0).toBool(), true);
        StorageNotificationApplier applier(&server, LocalStorage::instance());

        QStringList events;
        connect(LocalStorage::instance(), &LocalStorage::dataChanged, this, [&events](const QString& dataname) {
            events.append(QStringLiteral("changed ") + dataname);
        });
        ObjectInfo job;
        job.type = QLatin1String(db::wt::JOB);
        job.properties.insert(QLatin1String(db::common::NAME), QStringLiteral("Бариста"));
        Command request{0, 1, ov5sdk::Data::commandName(ov5sdk::Data::AddObject), pack(job, QList<_INHERIT_DATA>()), 0, {}};
        QThread* callbackThread = nullptr;
        server.send(request, [&](Command& reply) {
            callbackThread = QThread::currentThread();
            events.append(QStringLiteral("reply %1").arg(reply.result));
        });
        QVERIFY(events.isEmpty()); // never answered inside send()
        QTRY_COMPARE(events.size(), 2);
        QCOMPARE(events, (QStringList{"reply 1", "changed job"}));
        QCOMPARE(callbackThread, QThread::currentThread());
        LocalStorage::instance()->disconnect(this);
    }

    void seededOnceUnlessReset()
    {
        const QString url = databaseUrl("reseed.sqlite");
        QVariantList countOf; // employees after each start
        for (bool reset : {false, false, true}) {
            EmbeddedServerConnection server;
            QVERIFY(server.start(url, reset ? DemoEmployees * 3 : DemoEmployees, reset));
            QCOMPARE(logIn(&server, QStringLiteral("viewer"), QStringLiteral("viewer2026")).value(0).toBool(), true);
            const OBJECT_HASH* employees = LocalStorage::instance()->constObjects(QLatin1String(SUBJECT_DATANAME));
            countOf.append(employees ? employees->size() : 0);
        }
        // The second start keeps the first organisation; only the reset one is the bigger one asked for.
        QCOMPARE(countOf.at(1), countOf.at(0));
        QVERIFY(countOf.at(2).toInt() > countOf.at(0).toInt());
    }

    void databaseThatCannotOpen_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("storageWarning");
        QTest::addRow("unknown kind of database") << "oracle://planner@/db" << QString();
        QTest::addRow("a folder, not a file") << QStringLiteral("sqlite:") + m_folder.path() << "cannot open database";
    }

    void databaseThatCannotOpen()
    {
        QFETCH(QString, url);
        QFETCH(QString, storageWarning);
        EmbeddedServerConnection server;
        if (!storageWarning.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(storageWarning));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("embedded server did not start")));
        QVERIFY(!server.start(url, DemoEmployees, false));
        QVERIFY(!server.errorString().isEmpty());
        QVERIFY(!server.isStarted());
        QCOMPARE(logIn(&server, QStringLiteral("planner"), QStringLiteral("planner2026")),
                 (QVariantList{false, QStringLiteral("Нет соединения с сервером")}));
    }

    void destroyedWithRequestsInFlight()
    {
        auto server = std::make_unique<EmbeddedServerConnection>();
        QVERIFY(server->start(databaseUrl("shutdown.sqlite"), DemoEmployees, false));
        int answered = 0;
        for (int i = 0; i < 20; ++i)
            server->send({0, 1, QLatin1String(ServerCommands::Login), pack(QStringLiteral("hr"), QStringLiteral("hr2026")), 0, {}},
                         [&answered](Command&) { ++answered; });
        server.reset();
        QTest::qWait(50);
        QCOMPARE(answered, 0);
    }
};

OV_TEST_GUILESS_MAIN(tst_EmbeddedServerConnection)
#include "tst_embeddedserverconnection.moc"
