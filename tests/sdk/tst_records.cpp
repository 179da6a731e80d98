#include "blobdatarequest.h"
#include "dbquery.h"
#include "dbresult.h"
#include "fatalwarnings.h"
#include "hoursbudget.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "planningbalance.h"
#include "roledaterestrictions.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "scheduledata.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"

#include <QTest>

#include <functional>

using namespace orvanta;

// Runs the checks of one row; QVERIFY and QCOMPARE inside report the failure.
using Check = std::function<void()>;
Q_DECLARE_METATYPE(Check)

namespace {

QDate march(int day)
{
    return QDate(2024, 3, day);
}

// A time on a day of March 2024, in UTC unless an offset is given.
QDateTime at(int day, int hour, int minute = 0, int offsetHours = 0)
{
    return QDateTime(march(day), QTime(hour, minute), Qt::OffsetFromUTC, offsetHours * 3600);
}

ObjectInfo employee(TYPE_ID uid)
{
    // Two links under one key: their order has to survive too.
    return {uid, 7, "worker", 20, {{"PT_LASTNAME", "Иванова"}, {"PT_WORKERNUM", "00042"}}, 0x100000002LL,
            {{32, {uid, 5001, 32, at(1, 0), {}}}, {32, {uid, 5002, 32, at(2, 0), at(30, 0)}}},
            {{0, {20, uid, 0, {}, {}}}, {53, {900, uid, 53, at(5, 9), at(6, 18)}}}};
}

// The sample must read back whole; every shorter prefix must give a non-Ok status and
// leave a default value (for containers: empty, no partial list, no garbage element).
template<typename T>
void streamRow(const char* tag, const T& sample, std::function<bool(const T&)> extra = nullptr)
{
    QTest::addRow("%s", tag) << Check([sample, extra] {
        QVERIFY2(!(sample == T()), "the sample must differ from a default value");
        QByteArray encoded;
        OVDataStream out(&encoded, QIODevice::WriteOnly);
        out << sample;
        for (int length = 0; length <= encoded.size(); ++length) {
            OVDataStream in(encoded.left(length));
            const bool whole = length == encoded.size();
            T read = whole ? T() : sample; // a half-read value would show
            in >> read;
            QVERIFY2(whole ? in.status() == QDataStream::Ok && in.atEnd() && read == sample && (!extra || extra(read))
                           : in.status() != QDataStream::Ok && read == T(),
                     qPrintable(QStringLiteral("reading %1 of %2 bytes").arg(length).arg(encoded.size())));
        }
    });
}

} // namespace

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
    void streamRoundTrip_data()
    {
        QTest::addColumn<Check>("check");
        using Interval = SCHEDULE_CALENDAR_INTERVAL;
        const Interval day{1, 101, Interval::DaySegment, 8 * 3600, 22 * 3600, 0};
        const Interval night{3, 103, Interval::NightSegment, 22 * 3600, 6 * 3600, 3};
        streamRow("object with properties and links", employee(1001));
        streamRow("calendar day with intervals", SCHEDULE_CALENDAR_DAY{0x100000008LL, march(8), 301, 8 * 3600, 2 * 3600,
                                                                       16 * 3600, 4 * 3600, 2, {day, night}});
        streamRow("personal schedule with cycle and shifts",
                  SCHEDULE_DATA{12, "Личный график", 0, SCHEDULE_DATA::KindPersonal, "#22B1A9", march(1), "вручную",
                                {{0}, {-1}, {1}}, {{301, {night}}, {302, {day, night}}}, 1001});
        streamRow("schedule history", WORKER_SCHEDULE_HISTORY_V2{1001, {{9, 12, {}, march(9), 1, march(1)},
                                                                        {10, 14, march(10), {}, 2, march(2)}}});
        using Absence = _WORKER_ABSENCE_REASON_RECORD;
        const Absence timed{Absence::NEW_RECORD_ID, 77, at(4, 10, 30, 3), at(6, 14, 15, 3), true, "Больничный, «ОРВИ»",
                            at(3, 17, 45)};
        const _WORKER_ABSENCE_REASON absences{1001, {timed, {41, 78, at(4, 0), at(7, 0), false, QString(), at(3, 18)}}};
        streamRow<_WORKER_ABSENCE_REASON>("absence reasons keep the offset", absences, [](const auto& read) {
            return read.records.at(0).start.offsetFromUtc() == 3 * 3600;
        });
        streamRow("sync time",
                  WORKER_SYNC_TIME{0x7FFF000000000001LL, march(15), 1001, true, at(16, 1), at(15, 23), at(14, 12)});
        streamRow("norm time", WORKER_NORM_TIME{0x200000000LL, march(15), 1001, 8 * 3600});
        streamRow("planning balance with negative time", PLANNING_BALANCE{576000, -3600});
        streamRow("sales plan", SALES_PLAN{3, march(20), 0x100000005LL, 12345678901LL});
        streamRow("hours budget", HOURS_BUDGET{4, march(21), 0xFFFFFFFFu, -5});
        streamRow("blob request", _BLOB_DATA_RESQUEST{1001, "photo", QByteArray::fromHex("d41d8cd98f00b204")});
        streamRow("role date restrictions", _ROLE_DATE_RESTRICTIONS{2, 3, 7, march(1), march(31)});
        DbQuery query("SELECT total FROM plan WHERE worker IN (:ids) AND day = :day");
        query.bindValue(":ids", QVariant(QVariant::List));
        query.bindValue(":day", march(8));
        query.bindValue(":total", QVariant(qint64(0)), DbQuery::Out);
        // Null values and value types survive, not just equal-comparing values.
        streamRow<DbQuery>("query with typed bindings", query, [](const DbQuery& read) {
            const QVariant ids = read.boundValue(":ids");
            return ids.isNull() && ids.type() == QVariant::List && read.boundValue(":day").type() == QVariant::Date;
        });
        DbResult result({"worker", "day", "minutes", "note"});
        result.appendRow({1001, march(8), 480, "опоздание"});
        result.appendRow({1002, QDate(), QVariant(QVariant::Int), QVariant()});
        streamRow<DbResult>("result with a typed null", result, [](const DbResult& read) {
            return read.value(1, "minutes").isNull() && read.value(1, "minutes").type() == QVariant::Int;
        });
    }

    void streamRoundTrip()
    {
        QFETCH(Check, check);
        check();
    }

    void resultWithMismatchedRowsIsCorrupt_data()
    {
        QTest::addColumn<QList<QVariantList>>("rows");
        QTest::addRow("row shorter than the columns") << QList<QVariantList>{{1001}};
        QTest::addRow("row longer than the columns") << QList<QVariantList>{{1001, 480, 1}};
        QTest::addRow("second row short") << QList<QVariantList>{{1001, 480}, {1002}};
    }

    void resultWithMismatchedRowsIsCorrupt()
    {
        QFETCH(QList<QVariantList>, rows);
        QByteArray encoded;
        OVDataStream out(&encoded, QIODevice::WriteOnly);
        out << QStringList{"worker", "minutes"} << rows;
        OVDataStream in(encoded);
        DbResult read({"worker"}); // a default would hide a half-read result
        in >> read;
        QVERIFY(in.status() == QDataStream::ReadCorruptData && read == DbResult());
    }
};

OV_TEST_GUILESS_MAIN(tst_Records)
#include "tst_records.moc"
