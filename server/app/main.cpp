#include "demoorganisationgenerator.h"
#include "servercore.h"
#include "tcpcommandserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

namespace {

void printError(const QString& message)
{
    std::fprintf(stderr, "ovserver: %s\n", qPrintable(message));
}

// "HOST:PORT"; the host may also be "localhost" or "*" (every address).
bool parseListen(const QString& text, QHostAddress* address, quint16* port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    const QString host = text.left(colon);
    bool portOk = false;
    const uint portNumber = text.mid(colon + 1).toUInt(&portOk);
    if (!portOk || portNumber > 65535)
        return false;
    if (host == QLatin1String("localhost"))
        *address = QHostAddress(QHostAddress::LocalHost);
    else if (host == QLatin1String("*"))
        *address = QHostAddress(QHostAddress::Any);
    else if (!address->setAddress(host))
        return false;
    *port = quint16(portNumber);
    return true;
}

// A whole number from 1 to maximum in option's value; false with the message printed.
bool readLimit(const QCommandLineParser& parser, const QCommandLineOption& option, qint64 maximum, qint64* out)
{
    bool ok = false;
    *out = parser.value(option).toLongLong(&ok);
    if (ok && *out >= 1 && *out <= maximum)
        return true;
    printError(QStringLiteral("--%1 wants a number from 1 to %2, got \"%3\"")
                   .arg(option.names().constFirst())
                   .arg(maximum)
                   .arg(parser.value(option)));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // Unset, glibc reads /etc/localtime again for every local-time conversion.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ovserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The planning server: storage and commands over TCP."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listenOption(QStringLiteral("listen"), QStringLiteral("Address and port to listen on."),
                                          QStringLiteral("HOST:PORT"), QStringLiteral("127.0.0.1:7010"));
    const QCommandLineOption dbOption(QStringLiteral("db"),
                                      QStringLiteral("Database: sqlite:PATH or postgresql://user@/dbname?host=/socket/dir."),
                                      QStringLiteral("URL"));
    const QCommandLineOption demoSizeOption(QStringLiteral("demo-size"),
                                            QStringLiteral("Employees of the demo organisation seeded into an empty database."),
                                            QStringLiteral("N"), QString::number(DemoOrganisationGenerator::DefaultEmployees));
    const QCommandLineOption resetDemoOption(QStringLiteral("reset-demo"),
                                             QStringLiteral("Empty the database and seed the demo organisation again."));
    const TcpCommandServer::Limits defaults;
    const QCommandLineOption connectionsOption(QStringLiteral("max-connections"),
                                               QStringLiteral("Clients connected at once; more are refused."),
                                               QStringLiteral("N"), QString::number(defaults.connections));
    const QCommandLineOption loginFrameOption(QStringLiteral("login-frame-limit"),
                                              QStringLiteral("Largest request in bytes before a client logs in."),
                                              QStringLiteral("BYTES"), QString::number(defaults.loginFrameSize));
    const QCommandLineOption frameOption(QStringLiteral("frame-limit"),
                                         QStringLiteral("Largest request in bytes of a logged-in client."),
                                         QStringLiteral("BYTES"), QString::number(defaults.frameSize));
    const QCommandLineOption loginTimeoutOption(
        QStringLiteral("login-timeout"), QStringLiteral("Seconds a client may stay connected without logging in."),
        QStringLiteral("SECONDS"), QString::number(defaults.loginTimeoutMs / 1000));
    parser.addOptions({listenOption, dbOption, demoSizeOption, resetDemoOption, connectionsOption, loginFrameOption,
                       frameOption, loginTimeoutOption});
    parser.process(app);

    QHostAddress address;
    quint16 port = 0;
    if (!parseListen(parser.value(listenOption), &address, &port)) {
        printError(QStringLiteral("--listen wants HOST:PORT, got \"%1\"").arg(parser.value(listenOption)));
        return 2;
    }
    if (!parser.isSet(dbOption)) {
        printError(QStringLiteral("--db is required (sqlite:PATH or postgresql://...)"));
        return 2;
    }
    bool sizeOk = false;
    const int demoSize = parser.value(demoSizeOption).toInt(&sizeOk);
    if (!sizeOk || demoSize <= 0) {
        printError(QStringLiteral("--demo-size wants a positive number, got \"%1\"").arg(parser.value(demoSizeOption)));
        return 2;
    }

    qint64 connections = 0;
    qint64 frameSize = 0;
    qint64 loginFrameSize = 0;
    qint64 loginTimeout = 0;
    if (!readLimit(parser, connectionsOption, 100000, &connections)
        || !readLimit(parser, frameOption, CommandFrame::MaxContentSize, &frameSize)
        || !readLimit(parser, loginFrameOption, frameSize, &loginFrameSize)
        || !readLimit(parser, loginTimeoutOption, 24 * 3600, &loginTimeout))
        return 2;

    // Bound before the database is touched: a taken port fails fast and seeds nothing. Clients
    // that connect meanwhile wait in the queue until the event loop runs.
    ServerCore core;
    TcpCommandServer server(&core);
    server.setLimits({quint32(loginFrameSize), quint32(frameSize), int(connections), int(loginTimeout * 1000)});
    if (!server.listen(address, port)) {
        printError(QStringLiteral("cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(server.errorString()));
        return 1;
    }
    QString error;
    const QString databaseUrl = parser.value(dbOption);
    if (!core.open(databaseUrl, &error)) {
        printError(QStringLiteral("cannot open the database %1: %2").arg(databaseUrl, error));
        return 1;
    }
    if (!core.seedDemo(demoSize, parser.isSet(resetDemoOption), &error)) {
        printError(QStringLiteral("cannot seed the demo organisation: %1").arg(error));
        return 1;
    }
    std::printf("ovserver: listening on %s:%u, database %s\n", qPrintable(server.serverAddress().toString()),
                unsigned(server.serverPort()), qPrintable(databaseUrl));
    std::fflush(stdout);
    return app.exec();
}
