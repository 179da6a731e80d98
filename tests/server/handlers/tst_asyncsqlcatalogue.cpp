#include "asyncsqlcatalogue.h"
#include "asyncsqlrunner.h"
#include "serverfixture.h"

namespace {

// The planning balance query exactly as the client builds it.
DbQuery balanceQuery(const QVariant& workers)
{
    DbQuery query(AsyncSqlCatalogue::planningBalanceText());
    query.bindValue(QStringLiteral(":start"), QDate(2024, 1, 1), DbQuery::In);
    query.bindValue(QStringLiteral(":finish"), QDate(2024, 1, 31), DbQuery::In);
    query.bindValue(QStringLiteral(":workers"), workers, DbQuery::In);
    return query;
}

} // namespace

// Only catalogued statements run, with their values bound; what they return is the server
// core's test (tst_servercoreasyncsql).
class tst_AsyncSqlCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void catalogue_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("workers");
        QTest::addColumn<QVariant>("start");
        QTest::addColumn<bool>("accepted");

        const QString text = AsyncSqlCatalogue::planningBalanceText();
        const QVariant start = QDate(2024, 1, 1);
        const QVariant some = QStringLiteral("{12}");
        QTest::addRow("the client's text") << text << QVariant(QStringLiteral("{12,15,40}")) << start << true;
        QString spaced = text;
        spaced.replace(QStringLiteral(", "), QStringLiteral(",\n\t ")).prepend(QStringLiteral("  "));
        QTest::addRow("other white space") << spaced << some << start << true;
        QTest::addRow("no workers") << text << QVariant(QVariant::List) << start << true;
        QTest::addRow("workers as a list value") << text << QVariant(QVariantList{12, 15}) << start << true;
        QTest::addRow("date as text") << text << some << QVariant(QStringLiteral("2024-01-01")) << true;

        QTest::addRow("another statement") << QStringLiteral("SELECT * FROM users") << some << start << false;
        QString spliced = text;
        spliced.replace(QStringLiteral(":workers::BIGINT[]"), QStringLiteral("'{12}'::BIGINT[]"));
        QTest::addRow("value spliced into the text") << spliced << some << start << false;
        QTest::addRow("case changed") << text.toLower() << some << start << false;
        QTest::addRow("workers not an array") << text << QVariant(QStringLiteral("{12}); DROP TABLE users; --")) << start << false;
        QTest::addRow("negative worker") << text << QVariant(QVariantList{-3}) << start << false;
        QTest::addRow("start is not a date") << text << some << QVariant(QStringLiteral("вчера")) << false;
    }

    void catalogue()
    {
        QFETCH(QString, sql);
        QFETCH(QVariant, workers);
        QFETCH(QVariant, start);
        QFETCH(bool, accepted);
        DbQuery query = balanceQuery(workers);
        query.setSql(sql);
        query.bindValue(QStringLiteral(":start"), start);
        for (const SqlDialect dialect : {SqlDialect::Sqlite, SqlDialect::PostgreSql}) {
            AsyncSqlCatalogue::Statement statement;
            QString error;
            if (!accepted)
                ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*")));
            QCOMPARE(AsyncSqlCatalogue::resolve(query, dialect, &statement, &error), accepted);
            QCOMPARE(error.isEmpty(), accepted);
            // Values are bound, never spliced into the statement.
            if (accepted)
                QVERIFY(!statement.sql.contains(QStringLiteral("2024")));
        }
    }

    // A statement that fails is answered with an error status, not dropped.
    void sqlFailureIsAnErrorStatus()
    {
        withoutSchema([](const QSqlDatabase& empty) {
            AsyncSqlRunner runner(empty, SqlDialect::Sqlite);
            QSignalSpy spy(&runner, &AsyncSqlRunner::resultReady);
            QString error;
            QVERIFY(runner.submit("session", QStringLiteral("client-1"), QStringLiteral("q"), balanceQuery(QStringLiteral("{10}")), 7, &error));
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("async query failed")));
            QVERIFY(spy.wait(5000));
            QString queryId, message;
            qint32 status = 0;
            QList<DbResult> results;
            QVERIFY(unpack(spy.first().at(0).value<Command>().data, queryId, status, message, results));
            QCOMPARE(status, qint32(AsyncSqlRunner::StatusFailed));
            QCOMPARE(message, QStringLiteral("Ошибка выполнения запроса"));
            QVERIFY(results.isEmpty());
        });
    }
};

OV_TEST_GUILESS_MAIN(tst_AsyncSqlCatalogue)
#include "tst_asyncsqlcatalogue.moc"
