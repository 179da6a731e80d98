#include "data.h"
#include "payload.h"
#include "servercommands.h"
#include "servercore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

using ov5sdk::Data;

namespace {

const char* const Reads[] = {Data::GetWorkerSchedules, Data::GetWorkerAbsenceReasons, Data::GetWorkerNormTime,
                             Data::GetWorkerSyncTime, Data::GetWorkTimeBudgets, Data::GetWorkTimeHours,
                             Data::GetScheduleCalendar, Data::GetObjects, Data::GetBlobDataChange,
                             Data::ExecAsyncSql, Data::CancelAsyncSql};
const char* const Writes[] = {Data::AddObject, Data::UpdateObjectEx, Data::RemoveObject, Data::AddSchedule,
                              Data::RemoveSchedules, Data::SetWorkerSchedules, Data::UpdateWorkerAbsenceReason,
                              Data::UpdateScheduleCalendar, Data::UpdateWorkerSaveTime, Data::ResetWorkerSyncTime};
constexpr int ReadCount = sizeof(Reads) / sizeof(Reads[0]);
constexpr int OperationCount = ReadCount + sizeof(Writes) / sizeof(Writes[0]);
// The demo's users, each on its own connection (1, 2, 3).
const char* const Users[] = {"planner", "viewer", "hr"};
constexpr quint64 Viewer = 2;

struct Server
{
    QTemporaryDir folder;
    ServerCore core;
    QByteArray sessions[3];
    QList<QPair<QString, quint64>> pushed; // name, connection
};
Server* server = nullptr;

void fail(const char* what, const QString& operation, quint64 connection, int result)
{
    std::fprintf(stderr, "%s: %s as %s gave %d\n", what, qPrintable(operation), Users[connection - 1], result);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    server = new Server;
    QString error;
    if (!server->core.open(QStringLiteral("sqlite:") + server->folder.filePath(QStringLiteral("fuzz.sqlite")), &error)
        || !server->core.seedDemo(6, true, &error)) {
        std::fprintf(stderr, "no server: %s\n", qPrintable(error));
        std::abort();
    }
    QObject::connect(&server->core, &ServerCore::pushed,
                     [](const Command& command, quint64 connection) { server->pushed.append({command.name, connection}); });
    for (quint64 connection = 1; connection <= 3; ++connection) {
        const QString login = QLatin1String(Users[connection - 1]);
        const Command reply = server->core.handle(
            {0, 0, QLatin1String(ServerCommands::Login), ovtest::pack(login, login + QStringLiteral("2026")), 1, {}}, connection);
        OVDataStream welcome(reply.data);
        welcome >> server->sessions[connection - 1];
        if (reply.result != ResultSuccess)
            fail("no session", reply.name, connection, reply.result);
    }
    return 0;
}

// The first byte picks the user, the second the operation, the rest is the payload. Every request
// is answered once, with its own correlation id; the viewer never changes anything; a query
// accepted for later is answered once, on its connection.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const quint64 connection = data[0] % 3 + 1;
    const int index = data[1] % OperationCount;
    const char* operation = index < ReadCount ? Reads[index] : Writes[index - ReadCount];
    Command request{0, 0, Data::commandName(operation), QByteArray(reinterpret_cast<const char*>(data) + 2, int(size - 2)),
                    quint64(size), server->sessions[connection - 1]};
    server->pushed.clear();
    const Command reply = server->core.handle(request, connection);
    if (reply.correlationId != request.correlationId || reply.name != request.name)
        fail("reply to another request", request.name, connection, reply.result);
    if (connection == Viewer && index >= ReadCount && reply.result == ResultSuccess)
        fail("a write accepted", request.name, connection, reply.result);
    if (qstrcmp(operation, Data::ExecAsyncSql) == 0 && reply.result == ResultSuccess) {
        QElapsedTimer waited;
        waited.start();
        while (server->pushed.isEmpty() && waited.elapsed() < 5000)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (server->pushed.size() != 1 || server->pushed.first().second != connection
            || !server->pushed.first().first.startsWith(QLatin1String(ServerCommands::AsyncResultPrefix)))
            fail("not one answer to a query", request.name, connection, int(server->pushed.size()));
    } else if (connection == Viewer && !server->pushed.isEmpty()) {
        fail("a notification after a viewer's request", request.name, connection, reply.result);
    }
    return 0;
}
