#include "employeeselection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

using namespace orvanta;

namespace {

const QDate kStart(2026, 12, 1);
const QDate kFinish(2026, 12, 31);

QString iso(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QStringLiteral("-");
}

} // namespace

// One organisation holds a case per employee; December 2026 is selected for the shop and the office.
class tst_EmployeeSelection : public QObject
{
    Q_OBJECT

    std::unique_ptr<ovtest::OrganisationBuilder> m_org;
    QHash<QString, TYPE_ID> m_uids;
    std::unique_ptr<EmployeeSelection> m_selection;

    TYPE_ID addEmployee(const char* name, TYPE_ID department, const QString& number = QString())
    {
        return m_uids[QString::fromUtf8(name)] = m_org->employee(QString::fromUtf8(name), department, number);
    }

    void dates(const char* name, const QString& begin, const QString& end)
    {
        const TYPE_ID uid = addEmployee(name, m_uids.value(QStringLiteral("shop")));
        m_org->setProperty(uid, QStringLiteral("PT_DATE_BEGIN"), begin);
        m_org->setProperty(uid, QStringLiteral("PT_DATE_END"), end);
    }

private slots:
    void initTestCase()
    {
        m_org = std::make_unique<ovtest::OrganisationBuilder>();
        ovtest::OrganisationBuilder& org = *m_org;
        const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
        const TYPE_ID shop = m_uids[QStringLiteral("shop")] = org.department(QStringLiteral("Магазин"), firm);
        const TYPE_ID office = m_uids[QStringLiteral("office")] = org.department(QStringLiteral("Офис"), firm);
        const TYPE_ID warehouse = org.department(QStringLiteral("Склад"), firm);
        const TYPE_ID bureau = org.department(QStringLiteral("Контора"), firm);
        const TYPE_ID cashier = org.job(QStringLiteral("Кассир"));

        addEmployee("no dates", shop, QStringLiteral("17"));
        dates("begins after the finish", iso(kFinish.addDays(1)), QString());
        dates("begins on the finish", iso(kFinish), QString());
        dates("ended before the start", QString(), iso(kStart.addDays(-1)));
        dates("ends on the start", QString(), iso(kStart));
        dates("unparsable dates never exclude", QStringLiteral("завтра"), QStringLiteral("--"));
        const TYPE_ID disabled = addEmployee("planning disabled wins over a history", warehouse);
        org.setProperty(disabled, QStringLiteral("PT_DISABLE_PLANNING"), QStringLiteral("1"));
        org.workerHistory(disabled, shop, kStart.addDays(3), kFinish);
        const TYPE_ID brought = addEmployee("a history brings one in", warehouse, QStringLiteral("42"));
        m_uids[QStringLiteral("history")] = org.workerHistory(brought, shop, QDate(2026, 12, 15), QDate(), cashier);
        org.workerHistory(brought, shop, QDate(2026, 10, 1), QDate(2026, 10, 31));
        dates("a history moves the direct start back", QStringLiteral("2026-12-11"), QString());
        org.workerHistory(m_uids.value(QStringLiteral("a history moves the direct start back")), shop,
                          QDate(2026, 12, 3), QDate(2026, 12, 10));
        // Contiguous histories carry the employment back; a gap of more than a day breaks the chain.
        const TYPE_ID contiguous = addEmployee("contiguous histories", bureau);
        org.workerHistory(contiguous, bureau, QDate(2025, 3, 1), QDate(2026, 12, 4));
        org.workerHistory(contiguous, shop, QDate(2026, 12, 5), QDate());
        const TYPE_ID gap = addEmployee("histories with a gap", bureau);
        org.workerHistory(gap, bureau, QDate(2025, 3, 1), QDate(2026, 12, 2));
        org.workerHistory(gap, shop, QDate(2026, 12, 5), QDate());
        org.workerHistory(addEmployee("member of both departments", shop), office, kStart.addDays(-40), QDate());
        org.workerHistory(addEmployee("a history in the office only", warehouse), office, kStart, QDate());
        const TYPE_ID visitor = addEmployee("attached from elsewhere", warehouse);
        org.attachedWorker(visitor, shop, QDate(2026, 12, 10), QDate(2026, 12, 12));
        org.attachedWorker(visitor, shop, QDate(2026, 12, 20), QDate(2026, 12, 22));
        org.attachedWorker(addEmployee("attached within the own department", shop), shop, kStart, kStart.addDays(1));
        org.attachedWorker(addEmployee("attached before the period", warehouse), shop, QDate(2026, 11, 1),
                           QDate(2026, 11, 30));

        m_selection = std::make_unique<EmployeeSelection>(kStart, kFinish, QList<TYPE_ID>{shop, office, shop});
        m_selection->select();
    }

    void cleanupTestCase() { m_org.reset(); }

    // An employee as "absent", "attached" or "start continuous-start finish [via history] [number] [job]".
    void selected_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addRow("no dates") << "- - - 17";
        QTest::addRow("begins after the finish") << "absent";
        QTest::addRow("begins on the finish") << "2026-12-31 2026-12-31 -";
        QTest::addRow("ended before the start") << "absent";
        QTest::addRow("ends on the start") << "- - 2026-12-01";
        QTest::addRow("unparsable dates never exclude") << "- - -";
        QTest::addRow("planning disabled wins over a history") << "absent";
        QTest::addRow("a history brings one in") << "2026-12-15 2026-12-15 - via history 42 job";
        QTest::addRow("a history moves the direct start back") << "2026-12-03 2026-12-03 -";
        QTest::addRow("contiguous histories") << "2026-12-05 2025-03-01 - via history";
        QTest::addRow("histories with a gap") << "2026-12-05 2026-12-05 - via history";
        QTest::addRow("member of both departments") << "- - -";
        QTest::addRow("a history in the office only") << "2026-12-01 2026-12-01 - via history in office";
        QTest::addRow("attached from elsewhere") << "attached";
        QTest::addRow("attached within the own department") << "- - -";
        QTest::addRow("attached before the period") << "absent";
    }

    void selected()
    {
        QFETCH(QString, shown);
        const TYPE_ID uid = m_uids.value(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(uid != 0);
        QString actual = m_selection->attached().contains(uid) ? QStringLiteral("attached") : QStringLiteral("absent");
        for (const EmployeeInfo& info : m_selection->employees()) {
            if (info.uid != uid)
                continue;
            QVERIFY(actual == QLatin1String("absent"));
            QStringList parts{iso(info.emplStart), iso(info.emplContStart), iso(info.emplFinish)};
            if (info.reportUid != 0)
                parts << QStringLiteral("via history");
            if (!info.number.isEmpty())
                parts << info.number;
            if (info.jobUid != 0)
                parts << QStringLiteral("job");
            if (info.department != m_uids.value(QStringLiteral("shop")))
                parts << QStringLiteral("in") << m_uids.key(info.department, QStringLiteral("?"));
            actual = parts.join(QLatin1Char(' '));
        }
        QCOMPARE(actual, shown);
    }

    void departmentsAreASet()
    {
        QCOMPARE(m_selection->departments(),
                 (QList<unsigned int>{m_uids.value(QStringLiteral("shop")), m_uids.value(QStringLiteral("office"))}));
        EmployeeSelection none(kStart, kFinish, {});
        none.select();
        QVERIFY(none.employees().isEmpty() && none.attached().isEmpty());
    }
};

OV_TEST_GUILESS_MAIN(tst_EmployeeSelection)
#include "tst_employeeselection.moc"
