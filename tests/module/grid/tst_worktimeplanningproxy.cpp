#include "employeeinfo.h"
#include "fatalwarnings.h"
#include "organisationbuilder.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTest>

using namespace orvanta;
using Model = WorkTimePlanningModel;

namespace {

EmployeeInfo employee(TYPE_ID uid, const QString& name)
{
    EmployeeInfo info;
    info.uid = uid;
    info.name = name;
    return info;
}

} // namespace

class tst_WorkTimePlanningProxy : public QObject
{
    Q_OBJECT

private slots:
    void tiesFallBackToNameThenUid_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QList<unsigned int>>("expected");
        // Nothing is planned yet, so every row shows the same hours.
        QTest::addRow("equal hours, ascending") << int(Model::HoursColumn) << Qt::AscendingOrder
                                                << QList<unsigned int>{1002, 1003, 1001};
        QTest::addRow("equal hours, descending") << int(Model::HoursColumn) << Qt::DescendingOrder
                                                 << QList<unsigned int>{1001, 1003, 1002};
        QTest::addRow("equal names") << int(Model::NameColumn) << Qt::AscendingOrder
                                     << QList<unsigned int>{1002, 1003, 1001};
        QTest::addRow("date column, all days off") << int(Model::FirstDateColumn) << Qt::AscendingOrder
                                                   << QList<unsigned int>{1002, 1003, 1001};
    }

    void tiesFallBackToNameThenUid()
    {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QList<unsigned int>, expected);
        ovtest::OrganisationBuilder org;
        Model model;
        // Intake order differs from every expected order.
        model.refreshModel(QDate(2024, 7, 1), QDate(2024, 7, 3),
                           {employee(1001, QStringLiteral("Яковлев")), employee(1003, QStringLiteral("Антонов")),
                            employee(1002, QStringLiteral("Антонов"))},
                           {}, {});
        WorkTimePlanningProxy proxy;
        proxy.setSourceModel(&model);
        QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        proxy.sort(column, order);
        QList<unsigned int> uids;
        for (int row = 0; row < proxy.rowCount(); ++row)
            uids.append(proxy.index(row, 0).data(Model::UidRole).toUInt());
        QCOMPARE(uids, expected);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningProxy)
#include "tst_worktimeplanningproxy.moc"
