// The planning report on the demo organisation of 2,000 employees (first argument to change it): every
// employee, this month. The server core makes it on its pool while a second client's requests go on being
// answered on the core's thread. Prints the generation time, the progress steps the client saw, the worst reply
// time of the other client and, when the painting library is built, the time to write the report as xlsx and
// to draw one preview page. "--xml FILE" keeps the document.
#include "createquery.h"
#include "createresult.h"
#include "data.h"
#include "demoids.h"
#include "ovdatastream.h"
#include "payload.h"
#include "servercommands.h"
#include "servercore.h"

#ifdef BENCH_REPORT_PAINTING
#include "redocument.h"
#include "repagelayout.h"
#include "repainter.h"
#include "rexlsxpainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#endif

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 GenerationLimitMs = 3000;
constexpr qint64 ReplyLimitMs = 100;
constexpr int ProgressStepLimit = 10;
constexpr qint64 XlsxLimitMs = 3000;
constexpr qint64 PreviewLimitMs = 50;
// The other client asks this often; the report's client asks for its progress on every turn of the event loop,
// so that no step of it goes unseen.
constexpr int TickMs = 5;
constexpr int GiveUpMs = 120000;
const QString Client = QStringLiteral("bench-report");

template<typename... Values>
void unpack(const QByteArray& payload, Values&... values)
{
    OVDataStream stream(payload);
    (stream >> ... >> values);
}

const char* verdict(qint64 value, qint64 limit)
{
    return value <= limit ? "ok" : "OVER LIMIT";
}

struct Generation
{
    bool done = false;
    qint32 status = 0;
    qint64 ms = 0;
    QList<int> progress{0};
    int otherRequests = 0;
    double worstReplyMs = 0;
    QByteArray xml;
};

class ReportBench
{
public:
    bool open(const QString& url, int employees)
    {
        QString error;
        QElapsedTimer seeding;
        seeding.start();
        if (!m_core.open(url, &error) || !m_core.seedDemo(employees, true, &error)) {
            std::printf("no demo database: %s\n", qPrintable(error));
            return false;
        }
        std::printf("demo of %d employees seeded in %lld ms\n", employees, seeding.elapsed());
        for (const QString login : {"planner", "viewer"}) {
            unpack(send(ServerCommands::Login, ovtest::pack(login, login + "2026"), {}, 1).data, m_sessions[login]);
        }
        return true;
    }

    QVariantList employees()
    {
        QString dataname;
        QList<orvanta::ObjectInfo> objects;
        unpack(send(qPrintable(ov5sdk::Data::commandName(ov5sdk::Data::GetObjects)), ovtest::pack(QStringLiteral("subject")),
                    m_sessions.value("planner"), 1).data,
               dataname, objects);
        QVariantList ids;
        for (const orvanta::ObjectInfo& object : qAsConst(objects))
            ids.append(QVariant::fromValue<uint>(object.uid));
        return ids;
    }

    Generation generate(const QVariantList& workers, const QDate& month)
    {
        Generation run;
        report::CreateQuery query;
        query.reportId = DemoIds::ReportUid;
        query.formats = QStringList{QStringLiteral("xml")};
        query.params = {{":d_date_beg", QDateTime(month, QTime(0, 0), Qt::UTC).toSecsSinceEpoch()},
                        {":a_workers", workers}, {":c_dep_name", "Все подразделения"}};
        QEventLoop loop;
        QObject::connect(&m_core, &ServerCore::pushed, &loop, [&](const Command& command, quint64) {
            if (command.name != ServerCommands::ReportResultPrefix + Client)
                return;
            QString jobId, message;
            report::CreateResult result;
            unpack(command.data, jobId, run.status, message, result);
            run.xml = result.items.value(0).data;
            run.done = true;
            loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        QString jobId;
        unpack(send(ServerCommands::CreateReportAsync, ovtest::pack(Client, QString(), query), m_sessions.value("planner"), 1).data,
               jobId);
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(TickMs);
        QElapsedTimer sinceTick;
        QObject::connect(&tick, &QTimer::timeout, [&] { answerOther(&sinceTick, &run); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] { pollProgress(jobId, &run); });
        QTimer::singleShot(GiveUpMs, &loop, &QEventLoop::quit);
        sinceTick.start();
        tick.start();
        poll.start(0);
        loop.exec();
        run.ms = clock.elapsed();
        run.progress.append(100);
        return run;
    }

private:
    Command send(const char* name, const QByteArray& payload, const QByteArray& session, quint64 connection)
    {
        return m_core.handle({0, 1, QLatin1String(name), payload, 1, session}, connection);
    }

    // The other client's request that waited for this turn since it was due.
    void answerOther(QElapsedTimer* sinceTick, Generation* run)
    {
        const double late = std::max<double>(0, sinceTick->nsecsElapsed() / 1e6 - TickMs);
        sinceTick->restart();
        QElapsedTimer reply;
        reply.start();
        send(ServerCommands::GetDatanames, {}, m_sessions.value("viewer"), 2);
        run->worstReplyMs = std::max(run->worstReplyMs, late + reply.nsecsElapsed() / 1e6);
        ++run->otherRequests;
    }

    void pollProgress(const QString& jobId, Generation* run)
    {
        const Command reply = send(ServerCommands::ReportStatusAsync, ovtest::pack(jobId), m_sessions.value("planner"), 1);
        QString echoed;
        qint32 progress = 0;
        unpack(reply.data, echoed, progress);
        if (reply.isSuccess() && progress != run->progress.constLast())
            run->progress.append(progress);
    }

    ServerCore m_core;
    QHash<QString, QByteArray> m_sessions;
};

int largestStep(const QList<int>& progress)
{
    int largest = 0;
    for (int i = 1; i < progress.size(); ++i)
        largest = std::max(largest, progress.at(i) - progress.at(i - 1));
    return largest;
}

#ifdef BENCH_REPORT_PAINTING
void paintFigures(const QByteArray& xml, const QString& folder)
{
    REDocument document;
    QElapsedTimer clock;
    clock.start();
    if (!document.loadXML(QString::fromUtf8(xml))) {
        std::printf("the report does not load: %s\n", qPrintable(document.errorString()));
        return;
    }
    std::printf("read back:                %6lld ms\n", clock.restart());
    REXlsxPainter xlsx(folder + QStringLiteral("/report.xlsx"));
    const bool written = document.paint(&xlsx);
    const qint64 xlsxMs = clock.restart();
    std::printf("xlsx written:             %6lld ms  (limit %lld ms, %s)%s\n", xlsxMs, XlsxLimitMs,
                verdict(xlsxMs, XlsxLimitMs), written ? "" : " FAILED");
    const REPageLayout layout(document);
    std::printf("laid out:                 %6lld ms, %d pages\n", clock.restart(), layout.pageCount());
    const qreal scale = 96.0 / layout.dpi();
    QImage image((layout.pageSize() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    clock.restart();
    QPainter painter(&image);
    painter.scale(scale, scale);
    REPainter(layout).paintPage(&painter, 0);
    painter.end();
    const qint64 previewMs = clock.elapsed();
    std::printf("preview page drawn:       %6lld ms  (limit %lld ms, %s)\n", previewMs, PreviewLimitMs,
                verdict(previewMs, PreviewLimitMs));
}
#endif

} // namespace

int main(int argc, char** argv)
{
#ifdef BENCH_REPORT_PAINTING
    // Painting needs fonts, which need a platform; without a display there is the offscreen one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    const QStringList arguments = app.arguments();
    const int xmlOption = arguments.indexOf(QStringLiteral("--xml"));
    const int employees = arguments.size() > 1 && arguments.at(1).toInt() > 0 ? arguments.at(1).toInt() : 2000;
    QTemporaryDir folder;
    ReportBench bench;
    if (!bench.open(QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("report.sqlite")), employees))
        return 1;
    const QDate today = QDate::currentDate();
    const QVariantList workers = bench.employees();
    const Generation run = bench.generate(workers, QDate(today.year(), today.month(), 1));
    if (!run.done || run.status != 1) {
        std::printf("the report did not come: %s\n", run.done ? "failed" : "no answer");
        return 1;
    }
    std::printf("report of %d employees, %d days: %.1f MB of XML\n", int(workers.size()), today.daysInMonth(),
                run.xml.size() / 1048576.0);
    std::printf("generated:                %6lld ms  (limit %lld ms, %s)\n", run.ms, GenerationLimitMs,
                verdict(run.ms, GenerationLimitMs));
    std::printf("progress seen:            %d values, largest step %d %%  (limit %d %%, %s)\n", int(run.progress.size()),
                largestStep(run.progress), ProgressStepLimit, verdict(largestStep(run.progress), ProgressStepLimit));
    std::printf("other client's replies:   %d, worst %.1f ms  (limit %lld ms, %s)\n", run.otherRequests,
                run.worstReplyMs, ReplyLimitMs, verdict(qint64(run.worstReplyMs), ReplyLimitMs));
    if (xmlOption > 0 && xmlOption + 1 < arguments.size()) {
        QFile file(arguments.at(xmlOption + 1));
        if (file.open(QIODevice::WriteOnly))
            file.write(run.xml);
    }
#ifdef BENCH_REPORT_PAINTING
    paintFigures(run.xml, folder.path());
#endif
    return 0;
}
