// Seeds the demo organisation of N employees (first argument, default 2000) into a fresh SQLite
// file, and into the PostgreSQL database a second argument names (its tables are emptied first),
// and prints how long it took. QT_LOGGING_RULES=server.storage.debug=true prints the steps.
#include "servercore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

void measure(const QString& url, int employees)
{
    ServerCore core;
    QString error;
    if (!core.open(url, &error)) {
        std::printf("open failed: %s\n", qPrintable(error));
        return;
    }
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    const bool seeded = core.seedDemo(employees, true, &error);
    // On a shared machine the wall time also counts other programs' turns; this process's CPU does not
    // (a PostgreSQL server's own work is not in it).
    const long long cpuMs = (std::clock() - cpuStart) * 1000LL / CLOCKS_PER_SEC;
    std::printf("%s: %d employees seeded in %lld ms (cpu of this process %lld ms)%s%s\n",
                qPrintable(url.section(QLatin1Char(':'), 0, 0)), employees, timer.elapsed(), cpuMs,
                seeded ? "" : ", failed: ", qPrintable(error));
}

} // namespace

int main(int argc, char** argv)
{
    // Unset, glibc reads /etc/localtime again for every local-time conversion (20 us each).
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    const int employees = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir folder;
    measure(QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("demo.sqlite")), employees);
    if (argc > 2)
        measure(QString::fromLocal8Bit(argv[2]), employees);
    return 0;
}
