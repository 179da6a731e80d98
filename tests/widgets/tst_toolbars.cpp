#include "fatalwarnings.h"
#include "ovactionsinserthelper.h"
#include "ovactionstoolbar.h"
#include "ovstackedtoolbars.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QTest>

namespace {

// One action per letter, owned by the pool; '0' stands for a null action.
class ActionPool : public QObject
{
public:
    QList<QList<QAction*>> groups(const QStringList& groupNames)
    {
        QList<QList<QAction*>> result;
        for (const QString& group : groupNames) {
            result.append(QList<QAction*>());
            for (const QChar name : group) {
                QAction*& action = m_actions[name];
                if (!action && name != QLatin1Char('0'))
                    action = new QAction(QString(name), this);
                result.last().append(action);
            }
        }
        return result;
    }

private:
    QHash<QChar, QAction*> m_actions;
};

// The bar's actions as letters, '|' for a separator.
QString layoutOf(const QWidget* toolBar)
{
    QString result;
    for (const QAction* action : toolBar->actions())
        result += action->isSeparator() ? QStringLiteral("|") : action->text();
    return result;
}

} // namespace

class tst_ToolBars : public QObject
{
    Q_OBJECT

private slots:
    void addActionGroups_data()
    {
        QTest::addColumn<QStringList>("groups"); // the first group is on the bar already
        QTest::addColumn<QString>("expected");
        QTest::addRow("no groups") << QStringList{""} << QString();
        QTest::addRow("[a][b]") << QStringList{"", "a", "b"} << "a|b";
        QTest::addRow("[a][][b]") << QStringList{"", "a", "", "b"} << "a|b";
        QTest::addRow("[][a][]") << QStringList{"", "", "a", ""} << "a";
        QTest::addRow("null actions skipped") << QStringList{"", "0a0", "0", "b"} << "a|b";
        QTest::addRow("appended after x") << QStringList{"x", "a", "b"} << "x|a|b";
        QTest::addRow("empty groups after x") << QStringList{"x", "", "0"} << "x";
    }

    void addActionGroups()
    {
        QFETCH(QStringList, groups);
        QFETCH(QString, expected);
        ActionPool pool;
        OVActionsToolBar toolBar(QStringLiteral("toolBar"));
        toolBar.addActions(pool.groups({groups.takeFirst()}).first());
        toolBar.addActionGroups(pool.groups(groups));
        QCOMPARE(layoutOf(&toolBar), expected);
    }

    void stackSizeFollowsCurrentPage()
    {
        ActionPool pool;
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* stack = new OVStackedToolBars(&window);
        layout->addWidget(stack);
        layout->addStretch();
        // A null stack is refused; pages become bars in order.
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("null tool-bar stack")));
        OVActionsInsertHelper::fillStackedWidget(nullptr, {pool.groups({"a"})});
        OVActionsInsertHelper::fillStackedWidget(stack, {pool.groups({"a"}), pool.groups({"bcd", "efg", "hij"})});
        OVActionsToolBar* shortBar = stack->toolBar(0);
        OVActionsToolBar* longBar = stack->toolBar(1);
        QCOMPARE(layoutOf(shortBar) + ' ' + layoutOf(longBar), QStringLiteral("a bcd|efg|hij"));
        window.resize(1500, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(shortBar->sizeHint().width() < longBar->sizeHint().width());
        QTRY_COMPARE(stack->width(), shortBar->sizeHint().width());
        stack->setCurrentIndex(1);
        QCOMPARE(stack->minimumSizeHint(), longBar->minimumSizeHint());
        QTRY_COMPARE(stack->width(), longBar->sizeHint().width());
        // Back to the short bar: the stack has to give the width back.
        stack->setCurrentIndex(0);
        QTRY_COMPARE(stack->width(), shortBar->sizeHint().width());
    }
};

OV_TEST_WIDGETS_MAIN(tst_ToolBars)
#include "tst_toolbars.moc"
