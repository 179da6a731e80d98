#include "serverfixture.h"
#include "storagesql.h"

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

// A row as text: null labels and missing dates are told apart from empty ones.
QString probeText(qint64 number, const QVariant& label, const QDate& day, const QDateTime& moment)
{
    return QStringLiteral("%1|%2|%3|%4").arg(number).arg(label.isNull() ? QStringLiteral("<null>") : label.toString(),
                                                         day.toString(Qt::ISODate), moment.toString(Qt::ISODateWithMs));
}

} // namespace

// Bulk inserts must store every value exactly as binding it alone would.
class tst_StorageSql : public QObject, public StorageFixture
{
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngines(); }
    void init() { openStorage(&probeSchema, {QStringLiteral("probe")}); }

    // Values that the statement's text must escape or that strain the columns' types, then more
    // rows than one statement carries, whose ids must still follow the rows' order.
    void insertRowsKeepsValuesAndOrder()
    {
        const QDate day(2024, 3, 1);
        const QDateTime moment(day, QTime(9, 30, 15, 250));
        QList<QVariantList> rows{{42, QStringLiteral("say \"hi\" \\ \\\" 'end'"), day, moment},
                                 {uint(4294967295u), QStringLiteral("a\tb\nc\r\x01z"), QDate(1, 1, 1), moment},
                                 {qint64(-9000000000LL), QStringLiteral("поликлиника, «запись»"), QDate(9999, 12, 31), moment},
                                 {4, QStringLiteral(""), day, moment},
                                 {5, QVariant(QVariant::String), QDate(), QDateTime()},
                                 {6, QStringLiteral("0123"), day, moment}};
        for (int i = 0; i < 12345; ++i)
            rows.append({-i, QString::number(i), QDate(2024, 1, 1).addDays(i % 366), QDateTime()});
        QStringList expected;
        for (QVariantList& row : rows) {
            expected.append(probeText(row.at(0).toLongLong(), row.at(1), row.at(2).toDate(), row.at(3).toDateTime()));
            row[2] = StorageSql::dateValue(row.at(2).toDate());
            row[3] = StorageSql::dateTimeValue(m_dialect, row.at(3).toDateTime());
        }
        QString error;
        QVERIFY2(StorageSql::insertRows(db(), QStringLiteral("probe"), ProbeColumns, rows, &error, "test"), qPrintable(error));

        QSqlQuery query(db());
        QVERIFY(query.exec(QStringLiteral("SELECT number, label, day, moment FROM probe ORDER BY id")));
        QStringList stored;
        while (query.next()) {
            stored.append(probeText(query.value(0).toLongLong(), query.value(1), StorageSql::readDate(query.value(2)),
                                    StorageSql::readDateTime(query.value(3))));
        }
        QCOMPARE(stored, expected);
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
