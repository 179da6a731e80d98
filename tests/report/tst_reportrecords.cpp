#include "createquery.h"
#include "createresult.h"
#include "fatalwarnings.h"
#include "payload.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QTest>

namespace {

// count claimed for a list, then only a few bytes of it.
QByteArray claimedCount(const QByteArray& before, quint32 count)
{
    return before + ovtest::pack(count, QStringLiteral("xml"));
}

// What a decoded payload gives back: the record encoded again, empty when it did not decode.
template<typename Record>
QByteArray decoded(const QByteArray& payload)
{
    Record record;
    OVDataStream stream(payload);
    stream >> record;
    return stream.status() == QDataStream::Ok ? ovtest::pack(record) : (record == Record() ? QByteArray() : "half");
}

} // namespace

// The records a client decodes from the server's push, and the server from a request: what the other side sent.
class tst_ReportRecords : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<bool>("isResult");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("decodes");

        const QByteArray result = ovtest::pack(report::CreateResult{{{"xml", "<report/>"}}});
        report::CreateQuery query;
        query.reportId = 7;
        query.formats = QStringList{"xml"};
        query.params = {{":a_workers", QVariantList{1u, 2u}}};
        const QByteArray ids = ovtest::pack(query).left(8);
        QTest::addRow("a result") << true << result << true;
        QTest::addRow("a result cut short") << true << result.left(result.size() - 3) << false;
        QTest::addRow("a result claiming 2^31 items") << true << claimedCount({}, 0x7fffffff) << false;
        QTest::addRow("a query") << false << ovtest::pack(query) << true;
        QTest::addRow("a query claiming 2^31 formats") << false << claimedCount(ids, 0x7fffffff) << false;
    }

    // A corrupt payload leaves the record empty; a huge claimed count allocates nothing before its bytes came.
    void decode()
    {
        QFETCH(bool, isResult);
        QFETCH(QByteArray, payload);
        QFETCH(bool, decodes);
        const QByteArray again = isResult ? decoded<report::CreateResult>(payload) : decoded<report::CreateQuery>(payload);
        QCOMPARE(again, decodes ? payload : QByteArray());
    }
};

OV_TEST_GUILESS_MAIN(tst_ReportRecords)

#include "tst_reportrecords.moc"
