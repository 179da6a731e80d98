#include "authdata.h"
#include "clientsession.h"
#include "connectionkeeper.h"
#include "data.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovplugininterface.h"
#include "payload.h"
#include "servercore.h"
#include "storagenotificationapplier.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"
#include "vocabulary.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvanta;

// The test is also the plug-in whose data service must follow the login.
class tst_ConnectionKeeper : public QObject, public OVPluginInterface
{
    Q_OBJECT

    QString pluginName() const override { return QStringLiteral("test"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return {}; }
    QWidget* widget() override { return nullptr; }

    QTemporaryDir m_folder;
    std::unique_ptr<ServerCore> m_core;
    std::unique_ptr<TcpCommandServer> m_tcp;

    // The first value of the reply to another client of the server.
    template<typename T>
    T ask(const char* name, const QByteArray& data, const QByteArray& session)
    {
        OVDataStream stream(m_core->handle({0, 1, QLatin1String(name), data, 1, session}, 99).data);
        T value{};
        stream >> value;
        return value;
    }

    bool startServer(quint16 port)
    {
        m_core = std::make_unique<ServerCore>();
        m_tcp = std::make_unique<TcpCommandServer>(m_core.get());
        return m_core->open(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("restart.sqlite")))
            && m_core->seedDemo(6, false) && m_tcp->listen(QHostAddress::LocalHost, port);
    }

private slots:
    // ovserver killed and started again on the same port and database: the planner comes back by
    // itself, learns what changed meanwhile, and uses only the new session from then on.
    void comesBackAfterServerRestart()
    {
        QVERIFY(startServer(0));
        const quint16 port = m_tcp->serverPort();
        TcpServerConnection client;
        QVERIFY(client.connectToServer(QStringLiteral("127.0.0.1"), port));
        ClientSession login(&client, LocalStorage::instance());
        QSignalSpy loggedIn(&login, &ClientSession::finished);
        login.start(QStringLiteral("planner"), QStringLiteral("planner2026"));
        QVERIFY(loggedIn.wait(10000) && loggedIn.first().first().toBool());
        ConnectionKeeper keeper(&client, LocalStorage::instance(), QStringLiteral("planner"), QStringLiteral("planner2026"));
        StorageNotificationApplier applier(&client, LocalStorage::instance());
        init(&client, QStringLiteral("test"));
        ov5sdk::Data data(this, AuthData::sessionId());
        int result = 0;
        const auto noteResult = [&result](Command& reply) { result = reply.result; };

        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("connection lost")));
        m_tcp.reset();
        data.getObjects(QLatin1String(JOB_DATANAME), noteResult);
        QTRY_COMPARE(result, int(ResultNotConnected));

        // The restarted server has forgotten the old session, so only the new one is answered;
        // and a job was added meanwhile.
        QVERIFY(startServer(port));
        ask<int>("auth.logout", {}, AuthData::sessionId());
        const auto other = ask<QByteArray>("auth.login", ovtest::pack(QStringLiteral("planner"), QStringLiteral("planner2026")), {});
        const QByteArray addJob = ovtest::pack(ObjectInfo{0, 0, QLatin1String(db::wt::JOB), 0, {}, 0, {}, {}}, QList<_INHERIT_DATA>());
        const TYPE_ID addedMeanwhile = ask<qint32>("data.addObject", addJob, other);
        QSignalSpy changed(LocalStorage::instance(), &LocalStorage::dataChanged);
        // Nothing runs the event loop since the server started, so the keeper cannot be done yet.
        QVERIFY(QSignalSpy(&keeper, &ConnectionKeeper::restored).wait(5000));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(1).value<QList<TYPE_ID>>(), QList<TYPE_ID>{addedMeanwhile});

        data.getObjects(QLatin1String(JOB_DATANAME), noteResult);
        QTRY_COMPARE(result, int(ResultSuccess));
        const TYPE_ID pushed = ask<qint32>("data.addObject", addJob, other);
        QTRY_VERIFY(LocalStorage::instance()->constObject(pushed, QLatin1String(JOB_DATANAME)).isValid());
    }
};

OV_TEST_GUILESS_MAIN(tst_ConnectionKeeper)
#include "tst_connectionkeeper.moc"
