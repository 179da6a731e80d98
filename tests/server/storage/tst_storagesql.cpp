#include "storagesql.h"
#include "storagetestdatabase.h"

namespace {

QStringList probeSchema(SqlDialect dialect)
{
    if (dialect == SqlDialect::PostgreSql)
        return {QStringLiteral("CREATE TABLE probe (id BIGSERIAL PRIMARY KEY, number BIGINT, label TEXT, "
                               "day DATE, moment TIMESTAMPTZ)")};
    return {QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY, number BIGINT, label TEXT, day TEXT, moment TEXT)")};
}

const QStringList ProbeColumns{QStringLiteral("number"), QStringLiteral("label"), QStringLiteral("day"),
                               QStringLiteral("moment")};

} // namespace

// Bulk inserts must store every value exactly as binding it alone would.
class tst_StorageSql : public QObject, public StorageFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { openEngines(&probeSchema); }
    void cleanupTestCase() { closeEngines(); }
    void init() { clear({QStringLiteral("probe")}); }

    void insertRowsKeepsValues_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QVariant>("number");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDateTime>("moment");

        const QDate day(2024, 3, 1);
        const QDateTime moment(day, QTime(9, 30, 15, 250));
        for (int i = 0; i < m_engines.size(); ++i) {
            engineRow(i, "plain") << QVariant(42) << QStringLiteral("text") << day << moment;
            engineRow(i, "quotes and backslashes") << QVariant(1) << QStringLiteral("say \"hi\" \\ \\\" 'end'") << day << moment;
            engineRow(i, "control characters") << QVariant(2) << QStringLiteral("a\tb\nc\r\x01z") << day << moment;
            engineRow(i, "cyrillic") << QVariant(3) << QStringLiteral("поликлиника, «запись»") << day << moment;
            engineRow(i, "empty text") << QVariant(4) << QStringLiteral("") << day << moment;
            engineRow(i, "null text and no dates") << QVariant(5) << QString() << QDate() << QDateTime();
            engineRow(i, "year 1") << QVariant(6) << QStringLiteral("x") << QDate(1, 1, 1) << moment;
            engineRow(i, "year 9999") << QVariant(7) << QStringLiteral("x") << QDate(9999, 12, 31) << moment;
            engineRow(i, "unsigned beyond int") << QVariant(uint(4294967295u)) << QStringLiteral("x") << day << moment;
            engineRow(i, "negative 64-bit") << QVariant(qint64(-9000000000LL)) << QStringLiteral("0123") << day << moment;
        }
    }

    void insertRowsKeepsValues()
    {
        QFETCH(int, engine);
        QFETCH(QVariant, number);
        QFETCH(QString, label);
        QFETCH(QDate, day);
        QFETCH(QDateTime, moment);
        const StorageTestDatabase& database = m_engines.at(engine);
        const QVariantList row{number, label.isNull() ? QVariant(QVariant::String) : QVariant(label),
                               StorageSql::dateValue(day), StorageSql::dateTimeValue(database.dialect, moment)};
        QString error;
        QVERIFY2(StorageSql::insertRows(database.db(), QStringLiteral("probe"), ProbeColumns, {row}, &error, "test"),
                 qPrintable(error));

        QSqlQuery query(database.db());
        QVERIFY(query.exec(QStringLiteral("SELECT number, label, day, moment FROM probe")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toLongLong(), number.toLongLong());
        QCOMPARE(query.value(1).isNull(), label.isNull());
        QCOMPARE(query.value(1).toString(), label);
        QCOMPARE(StorageSql::readDate(query.value(2)), day);
        QCOMPARE(StorageSql::readDateTime(query.value(3)), moment);
        QVERIFY(!query.next());
    }

    void insertRowsKeepsOrderAcrossStatements_data() { addEngineRows(); }
    void insertRowsKeepsOrderAcrossStatements()
    {
        QFETCH(int, engine);
        const StorageTestDatabase& database = m_engines.at(engine);
        // More rows than one statement carries: the ids must still follow the rows' order.
        constexpr int Count = 12345;
        QList<QVariantList> rows;
        for (int i = 0; i < Count; ++i)
            rows.append({Count - i, QString::number(i), StorageSql::dateValue(QDate(2024, 1, 1).addDays(i % 366)),
                         QVariant(QVariant::String)});
        QString error;
        QVERIFY2(StorageSql::insertRows(database.db(), QStringLiteral("probe"), ProbeColumns, rows, &error, "test"),
                 qPrintable(error));
        QSqlQuery query(database.db());
        QVERIFY(query.exec(QStringLiteral("SELECT number, label FROM probe ORDER BY id")));
        int read = 0;
        for (; query.next(); ++read) {
            QCOMPARE(query.value(0).toInt(), Count - read);
            QCOMPARE(query.value(1).toString(), QString::number(read));
        }
        QCOMPARE(read, Count);
    }

    void insertRowsFailureIsReturned()
    {
        withoutSchema([](const QSqlDatabase& empty) {
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no such table")));
            QString error;
            QVERIFY(!StorageSql::insertRows(empty, QStringLiteral("probe"), ProbeColumns,
                                            {{1, QStringLiteral("x"), QVariant(QVariant::String), QVariant(QVariant::String)}},
                                            &error, "test"));
            QVERIFY(error.contains(QLatin1String("no such table")));
        });
    }
};

OV_TEST_GUILESS_MAIN(tst_StorageSql)
#include "tst_storagesql.moc"
