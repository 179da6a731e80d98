// Login and the full load of the local store through ClientSession, with the demo organisation of
// 2,000 employees (first argument to change it): on the embedded server, then over TCP to a
// TcpCommandServer in this process. SQLite by default; "--db postgresql://..." seeds and uses
// that database instead (its tables are emptied first). "--server HOST:PORT" measures only a
// running ovserver, as a planner on another process sees it.
#include "clientsession.h"
#include "embeddedserverconnection.h"
#include "localstorage.h"
#include "servercore.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr double LimitMs = 1000;
constexpr int Runs = 5;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// One login and load into a store emptied first; the time in ms, or -1 on a failure.
double loadOnce(OVServerInterface* server)
{
    orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    store->reset();
    ClientSession session(server, store);
    QEventLoop loop;
    bool succeeded = false;
    QObject::connect(&session, &ClientSession::finished, &loop, [&](bool success, const QString& message) {
        succeeded = success;
        if (!success)
            out() << "login failed: " << message << Qt::endl;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    if (!session.start(QStringLiteral("planner"), QStringLiteral("planner2026")))
        return -1;
    loop.exec();
    return succeeded ? timer.nsecsElapsed() / 1e6 : -1;
}

bool measure(const QString& what, OVServerInterface* server)
{
    QList<double> times;
    for (int i = 0; i < Runs; ++i) {
        const double ms = loadOnce(server);
        if (ms < 0) {
            out() << what << ": FAILED" << Qt::endl;
            return false;
        }
        times.append(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = times.at(times.size() / 2);
    out() << qSetFieldWidth(52) << Qt::left << what << qSetFieldWidth(0) << QString::number(median, 'f', 1)
          << " ms (best " << QString::number(times.first(), 'f', 1) << " ms)"
          << "  (limit " << LimitMs << " ms" << (median <= LimitMs ? ", ok)" : ", OVER)") << Qt::endl;
    return true;
}

bool measureEmbedded(const QString& url, int employees)
{
    EmbeddedServerConnection embedded;
    QElapsedTimer timer;
    timer.start();
    if (!embedded.start(url, employees, true)) {
        out() << "embedded server failed: " << embedded.errorString() << Qt::endl;
        return false;
    }
    out() << "demo of " << employees << " employees seeded in " << timer.elapsed() << " ms" << Qt::endl;
    return measure(QStringLiteral("login + store load, embedded"), &embedded);
}

bool measureTcp(const QString& url)
{
    ServerCore core;
    QString error;
    if (!core.open(url, &error)) {
        out() << "cannot open " << url << ": " << error << Qt::endl;
        return false;
    }
    TcpCommandServer server(&core);
    if (!server.listen(QHostAddress(QHostAddress::LocalHost), 0)) {
        out() << "cannot listen: " << server.errorString() << Qt::endl;
        return false;
    }
    TcpServerConnection connection;
    if (!connection.connectToServer(QStringLiteral("127.0.0.1"), server.serverPort())) {
        out() << "cannot connect: " << connection.errorString() << Qt::endl;
        return false;
    }
    return measure(QStringLiteral("login + store load, TCP in process"), &connection);
}

} // namespace

int main(int argc, char** argv)
{
    // Unset, glibc reads /etc/localtime again for every local-time conversion (20 us each).
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const int serverOption = arguments.indexOf(QStringLiteral("--server"));
    if (serverOption > 0 && serverOption + 1 < arguments.size()) {
        const QString address = arguments.at(serverOption + 1);
        TcpServerConnection connection;
        if (!connection.connectToServer(address.section(QLatin1Char(':'), 0, 0),
                                        quint16(address.section(QLatin1Char(':'), 1).toUInt()))) {
            out() << "cannot connect: " << connection.errorString() << Qt::endl;
            return 1;
        }
        return measure(QStringLiteral("login + store load, ovserver ") + address, &connection) ? 0 : 1;
    }
    const int dbOption = arguments.indexOf(QStringLiteral("--db"));
    QTemporaryDir folder;
    QString url = QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("demo.sqlite"));
    if (dbOption > 0 && dbOption + 1 < arguments.size()) {
        url = arguments.at(dbOption + 1);
        arguments.erase(arguments.begin() + dbOption, arguments.begin() + dbOption + 2);
    }
    const int employees = arguments.size() > 1 ? arguments.at(1).toInt() : 2000;
    out() << url.section(QLatin1Char(':'), 0, 0) << ", " << employees << " employees" << Qt::endl;
    return measureEmbedded(url, employees) && measureTcp(url) ? 0 : 1;
}
