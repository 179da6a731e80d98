// A server restart as the planner over TCP lives it: the server (core and TCP) goes away and a new
// one starts on the same port and SQLite database; the ConnectionKeeper brings the client back.
// Figures: from the socket being connected again to the store refreshed (login again and the
// refresh of every table), and from the new server listening to that point (with the retry wait).
// Demo organisation of DemoOrganisationGenerator::DefaultEmployees (the planner's demo); the first
// argument changes it.
#include "clientsession.h"
#include "connectionkeeper.h"
#include "demoorganisationgenerator.h"
#include "localstorage.h"
#include "servercore.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

constexpr int Runs = 7;
constexpr int WaitMs = 10000;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Runs the event loop until done() holds or WaitMs pass; whether it holds.
template<typename Done>
bool waitFor(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < WaitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

QString median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return QString::number(times.at(times.size() / 2), 'f', 1) + QStringLiteral(" ms (best ")
        + QString::number(times.first(), 'f', 1) + QStringLiteral(" ms, worst ") + QString::number(times.last(), 'f', 1)
        + QStringLiteral(" ms)");
}

struct Server
{
    ServerCore core;
    TcpCommandServer tcp{&core};
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    // Every run loses the connection on purpose.
    QLoggingCategory::setFilterRules(QStringLiteral("host.sdk.warning=false"));
    const int employees = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : DemoOrganisationGenerator::DefaultEmployees;
    QTemporaryDir folder;
    const QString url = QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("demo.sqlite"));

    auto server = std::make_unique<Server>();
    QString error;
    if (!server->core.open(url, &error) || !server->core.seedDemo(employees, true, &error)
        || !server->tcp.listen(QHostAddress(QHostAddress::LocalHost), 0)) {
        out() << "server failed: " << error << server->tcp.errorString() << Qt::endl;
        return 1;
    }
    const quint16 port = server->tcp.serverPort();
    TcpServerConnection connection;
    orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    ClientSession first(&connection, store);
    bool loaded = false;
    QObject::connect(&first, &ClientSession::finished, [&loaded](bool success) { loaded = success; });
    if (!connection.connectToServer(QStringLiteral("127.0.0.1"), port)
        || !first.start(QStringLiteral("planner"), QStringLiteral("planner2026")) || !waitFor([&] { return loaded; })) {
        out() << "first login failed" << Qt::endl;
        return 1;
    }

    ConnectionKeeper keeper(&connection, store, QStringLiteral("planner"), QStringLiteral("planner2026"));
    QElapsedTimer sinceListening, sinceConnected;
    bool restored = false;
    QObject::connect(&connection, &TcpServerConnection::reconnected, [&sinceConnected] { sinceConnected.start(); });
    QObject::connect(&keeper, &ConnectionKeeper::restored, [&restored] { restored = true; });
    QList<double> loginAgain, outage;
    for (int run = 0; run < Runs; ++run) {
        server.reset();
        if (!waitFor([&] { return !connection.isConnected(); }))
            return 1;
        server = std::make_unique<Server>();
        if (!server->core.open(url, &error) || !server->tcp.listen(QHostAddress(QHostAddress::LocalHost), port)) {
            out() << "restart failed: " << error << server->tcp.errorString() << Qt::endl;
            return 1;
        }
        sinceListening.start();
        restored = false;
        if (!waitFor([&] { return restored; })) {
            out() << "not restored within " << WaitMs << " ms" << Qt::endl;
            return 1;
        }
        loginAgain.append(sinceConnected.nsecsElapsed() / 1e6);
        outage.append(sinceListening.nsecsElapsed() / 1e6);
    }
    out() << "sqlite, " << employees << " employees, " << store->schedules().size() << " schedules, " << Runs
          << " restarts" << Qt::endl;
    out() << "connected again -> logged in, store refreshed: " << median(loginAgain) << Qt::endl;
    out() << "server listening -> restored (retry wait included): " << median(outage) << Qt::endl;
    return 0;
}
