#include "fatalwarnings.h"
#include "storagesql.h"
#include "storagetestdatabase.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList probeSchema(SqlDialect dialect)
{
    if (dialect == SqlDialect::PostgreSql)
        return {QStringLiteral("CREATE TABLE probe (id BIGSERIAL PRIMARY KEY, number BIGINT, label TEXT, "
                               "day DATE, moment TIMESTAMPTZ)")};
    return {QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY, number BIGINT, label TEXT, "
                           "day TEXT, moment TEXT)")};
}

const QStringList ProbeColumns{QStringLiteral("number"), QStringLiteral("label"), QStringLiteral("day"),
                               QStringLiteral("moment")};

} // namespace

/// Bulk inserts must store every value exactly as binding it alone would.
class TestStorageSql : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void dateValue_data();
    void dateValue();
    void insertRowsKeepsValues_data();
    void insertRowsKeepsValues();
    void insertRowsKeepsOrderAcrossStatements_data() { StorageTestDatabase::addRows(m_engines); }
    void insertRowsKeepsOrderAcrossStatements();
    void insertRowsFailureIsReturned();

private:
    QTemporaryDir m_folder;
    QList<StorageTestDatabase> m_engines;
};

void TestStorageSql::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_engines = StorageTestDatabase::openAll(m_folder.path(), &probeSchema);
    QVERIFY(!m_engines.isEmpty());
}

void TestStorageSql::cleanupTestCase()
{
    StorageTestDatabase::dropAll(m_engines);
}

void TestStorageSql::init()
{
    for (const StorageTestDatabase& engine : qAsConst(m_engines))
        QVERIFY(engine.clear({QStringLiteral("probe")}));
}

void TestStorageSql::dateValue_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QVariant>("expected");

    const QVariant open(QVariant::String);
    QTest::newRow("ordinary") << QDate(2024, 3, 1) << QVariant(QStringLiteral("2024-03-01"));
    QTest::newRow("last day of a year") << QDate(2023, 12, 31) << QVariant(QStringLiteral("2023-12-31"));
    QTest::newRow("year 1") << QDate(1, 1, 1) << QVariant(QStringLiteral("0001-01-01"));
    QTest::newRow("three-digit year padded") << QDate(999, 7, 5) << QVariant(QStringLiteral("0999-07-05"));
    QTest::newRow("year 9999") << QDate(9999, 12, 31) << QVariant(QStringLiteral("9999-12-31"));
    QTest::newRow("year 10000 is open") << QDate(10000, 1, 1) << open;
    QTest::newRow("year before 1 is open") << QDate(-1, 1, 1) << open;
    QTest::newRow("invalid is open") << QDate() << open;
}

void TestStorageSql::dateValue()
{
    QFETCH(QDate, date);
    QFETCH(QVariant, expected);
    const QVariant value = StorageSql::dateValue(date);
    QCOMPARE(value.isNull(), expected.isNull());
    QCOMPARE(value.toString(), expected.toString());
    if (!value.isNull())
        QCOMPARE(StorageSql::readDate(value), date);
}

void TestStorageSql::insertRowsKeepsValues_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QVariant>("number");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QDateTime>("moment");

    const QDate day(2024, 3, 1);
    const QDateTime moment(day, QTime(9, 30, 15, 250));
    for (int i = 0; i < m_engines.size(); ++i) {
        const QByteArray engine = m_engines.at(i).tag.toLatin1();
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s/%s", engine.constData(), name) << i;
        };
        row("plain") << QVariant(42) << QStringLiteral("text") << day << moment;
        row("quotes and backslashes") << QVariant(1) << QStringLiteral("say \"hi\" \\ \\\" end") << day << moment;
        row("control characters") << QVariant(2) << QStringLiteral("a\tb\nc\r\x01z") << day << moment;
        row("cyrillic") << QVariant(3) << QStringLiteral("поликлиника, «запись»") << day << moment;
        row("empty text") << QVariant(4) << QStringLiteral("") << day << moment;
        row("null text and no dates") << QVariant(5) << QString() << QDate() << QDateTime();
        row("unsigned beyond int") << QVariant(uint(4294967295u)) << QStringLiteral("x") << day << moment;
        row("negative 64-bit") << QVariant(qint64(-9000000000LL)) << QStringLiteral("x") << day << moment;
        row("bool") << QVariant(true) << QStringLiteral("x") << day << moment;
        row("digits as text") << QVariant(6) << QStringLiteral("0123") << day << moment;
    }
}

void TestStorageSql::insertRowsKeepsValues()
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
    QCOMPARE(query.value(0).toLongLong(), number.type() == QVariant::Bool ? 1 : number.toLongLong());
    QCOMPARE(query.value(1).isNull(), label.isNull());
    QCOMPARE(query.value(1).toString(), label);
    QCOMPARE(StorageSql::readDate(query.value(2)), day);
    QCOMPARE(StorageSql::readDateTime(query.value(3)), moment);
    QVERIFY(!query.next());
}

void TestStorageSql::insertRowsKeepsOrderAcrossStatements()
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
    while (query.next()) {
        QCOMPARE(query.value(0).toInt(), Count - read);
        QCOMPARE(query.value(1).toString(), QString::number(read));
        ++read;
    }
    QCOMPARE(read, Count);
}

void TestStorageSql::insertRowsFailureIsReturned()
{
    StorageTestDatabase::withoutSchema([](const QSqlDatabase& empty) {
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no such table")));
        QString error;
        QVERIFY(!StorageSql::insertRows(empty, QStringLiteral("probe"), ProbeColumns,
                                        {{1, QStringLiteral("x"), QVariant(QVariant::String),
                                          QVariant(QVariant::String)}},
                                        &error, "test"));
        QVERIFY(error.contains(QLatin1String("no such table")));
    });
}

OV_TEST_GUILESS_MAIN(TestStorageSql)
#include "tst_storagesql.moc"
