#include "baseprogresswizardpage.h"
#include "fatalwarnings.h"

#include <QTest>

using orvanta::TYPE_ID;

class tst_ProgressWizardPage : public QObject
{
    Q_OBJECT

private slots:
    void counting_data()
    {
        QTest::addColumn<int>("tasks");
        QTest::addColumn<QList<TYPE_ID>>("replies");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("failed");
        QTest::addRow("no tasks is complete") << 0 << QList<TYPE_ID>{} << true << 0;
        QTest::addRow("one of three answered") << 3 << QList<TYPE_ID>{11} << false << 0;
        QTest::addRow("all answered") << 3 << QList<TYPE_ID>{11, 12, 13} << true << 0;
        QTest::addRow("failure ends the rest") << 3 << QList<TYPE_ID>{11, 0} << true << 2;
    }

    void counting()
    {
        QFETCH(int, tasks);
        QFETCH(QList<TYPE_ID>, replies);
        QFETCH(bool, complete);
        QFETCH(int, failed);
        BaseProgressWizardPage page;
        QList<orvanta::TaskInfo> handedOut;
        connect(&page, &BaseProgressWizardPage::executeTask, this,
                [&handedOut](const orvanta::TaskInfo& task) { handedOut.append(task); });
        for (int i = 0; i < tasks; ++i)
            page.addTask(orvanta::TaskInfo());
        // The queue answers by name, queued, as it does for real.
        for (TYPE_ID id : replies)
            QMetaObject::invokeMethod(handedOut.first().receiver, "objectUpdated", Qt::QueuedConnection,
                                      Q_ARG(orvanta::TYPE_ID, id));
        QTest::qWait(0);
        QCOMPARE(handedOut.size(), tasks);
        QCOMPARE(page.isComplete(), complete);
        QCOMPARE(page.failedCount(), failed);
    }
};

OV_TEST_WIDGETS_MAIN(tst_ProgressWizardPage)
#include "tst_progresswizardpage.moc"
