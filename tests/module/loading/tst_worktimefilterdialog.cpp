#include "fatalwarnings.h"
#include "organisationbuilder.h"
#include "workerhistorypanelwidget.h"
#include "worktimefilterdialog.h"
#include "worktimeperiodwidget.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using orvanta::TYPE_ID;

class tst_WorkTimeFilterDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void applyNeedsADepartment();
    void applyReportsMonthAndDepartments();
    void checkingAnnouncesSettings();

private:
    TYPE_ID m_shop = 0;
    TYPE_ID m_office = 0;
};

void tst_WorkTimeFilterDialog::init()
{
    ovtest::OrganisationBuilder org;
    const TYPE_ID firm = org.firm(QStringLiteral("Фирма"));
    m_shop = org.department(QStringLiteral("Магазин"), firm);
    m_office = org.department(QStringLiteral("Офис"), firm);
    org.employee(QStringLiteral("Иванов"), m_shop);
}

void tst_WorkTimeFilterDialog::applyNeedsADepartment()
{
    WorkTimeFilterDialog dialog;
    auto* apply = dialog.findChild<QPushButton*>(QStringLiteral("applyButton"));
    QVERIFY(!apply->isEnabled());
    QCOMPARE(dialog.periodWidget()->mode(), WorkTimePeriodWidget::ModeMonth);
    QCOMPARE(dialog.periodWidget()->period(), WorkTimePeriodWidget::CurrentMonth);
    dialog.workerWidget()->setChecked({m_shop});
    QVERIFY(apply->isEnabled());
    dialog.workerWidget()->setChecked({});
    QVERIFY(!apply->isEnabled());
}

void tst_WorkTimeFilterDialog::applyReportsMonthAndDepartments()
{
    WorkTimeFilterDialog dialog;
    dialog.periodWidget()->setClock([] { return QDateTime(QDate(2027, 1, 14), QTime(9, 0)); });
    dialog.periodWidget()->setPeriod(WorkTimePeriodWidget::PreviousMonth);
    dialog.workerWidget()->setChecked({m_office, m_shop});
    QSignalSpy filter(&dialog, &WorkTimeFilterDialog::filterChanged);
    dialog.findChild<QPushButton*>(QStringLiteral("applyButton"))->click();
    QCOMPARE(filter.count(), 1);
    QCOMPARE(filter.first().at(0).toDate(), QDate(2026, 12, 1));
    QCOMPARE(filter.first().at(1).toDate(), QDate(2026, 12, 31));
    auto departments = filter.first().at(2).value<QList<TYPE_ID>>();
    std::sort(departments.begin(), departments.end());
    QCOMPARE(departments, (QList<TYPE_ID>{m_shop, m_office}));
    QStringList names = filter.first().at(3).toStringList();
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("Магазин"), QStringLiteral("Офис")}));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void tst_WorkTimeFilterDialog::checkingAnnouncesSettings()
{
    WorkTimeFilterDialog dialog;
    QSignalSpy settings(&dialog, &WorkTimeFilterDialog::settingsChanged);
    dialog.workerWidget()->setChecked({m_shop});
    QVERIFY(settings.count() >= 1);
    const int afterCheck = settings.count();
    dialog.periodWidget()->setPeriod(WorkTimePeriodWidget::Custom);
    QCOMPARE(settings.count(), afterCheck + 1);
}

OV_TEST_WIDGETS_MAIN(tst_WorkTimeFilterDialog)
#include "tst_worktimefilterdialog.moc"
