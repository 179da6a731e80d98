// Seeds the demo organisation into a fresh SQLite file (and PostgreSQL when OV_TEST_PG_URL is
// set, through a database named by the second argument) and prints how long it took.
#include "servercore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

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
    const bool seeded = core.seedDemo(employees, true, &error);
    std::printf("%s: %d employees seeded in %lld ms%s%s\n", qPrintable(url.section(QLatin1Char(':'), 0, 0)), employees,
                timer.elapsed(), seeded ? "" : ", failed: ", qPrintable(error));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int employees = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir folder;
    measure(QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("demo.sqlite")), employees);
    if (argc > 2)
        measure(QString::fromLocal8Bit(argv[2]), employees);
    return 0;
}
