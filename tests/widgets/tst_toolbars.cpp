#include "fatalwarnings.h"
#include "ovactionsinserthelper.h"
#include "ovactionstoolbar.h"
#include "ovstackedtoolbars.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QTest>

namespace {

// Actions named by one letter, owned by the pool; '0' stands for a null action.
class ActionPool : public QObject
{
public:
    QList<QList<QAction*>> groups(const QStringList& groupNames)
    {
        QList<QList<QAction*>> result;
        for (const QString& group : groupNames) {
            QList<QAction*> actions;
            for (const QChar name : group)
                actions.append(name == QLatin1Char('0') ? nullptr : action(name));
            result.append(actions);
        }
        return result;
    }

    QAction* action(QChar name)
    {
        QAction*& action = m_actions[name];
        if (!action)
            action = new QAction(QString(name), this);
        return action;
    }

private:
    QHash<QChar, QAction*> m_actions;
};

// The bar's actions as letters, '|' for a separator.
QString layoutOf(const QWidget& toolBar)
{
    QString result;
    const QList<QAction*> actions = toolBar.actions();
    for (const QAction* action : actions)
        result += action->isSeparator() ? QStringLiteral("|") : action->text();
    return result;
}

} // namespace

class tst_ToolBars : public QObject
{
    Q_OBJECT

private slots:
    void addActionGroups_data();
    void addActionGroups();
    void fillStackedWidget();
    void fillNullStackWarns();
    void stackSizeFollowsCurrentPage();
};

void tst_ToolBars::addActionGroups_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QString>("expected");

    QTest::addRow("no groups") << QString() << QStringList() << QString();
    QTest::addRow("[a]") << QString() << QStringList{"a"} << "a";
    QTest::addRow("[a][b]") << QString() << QStringList{"a", "b"} << "a|b";
    QTest::addRow("[a][][b]") << QString() << QStringList{"a", "", "b"} << "a|b";
    QTest::addRow("[][a]") << QString() << QStringList{"", "a"} << "a";
    QTest::addRow("[a][]") << QString() << QStringList{"a", ""} << "a";
    QTest::addRow("null actions skipped") << QString() << QStringList{"0a0", "0", "b"} << "a|b";
    QTest::addRow("appended after x") << "x" << QStringList{"a", "b"} << "x|a|b";
    QTest::addRow("empty groups after x") << "x" << QStringList{"", "0"} << "x";
}

void tst_ToolBars::addActionGroups()
{
    QFETCH(QString, existing);
    QFETCH(QStringList, groups);
    QFETCH(QString, expected);

    ActionPool pool;
    OVActionsToolBar toolBar(QStringLiteral("toolBar"));
    for (const QChar name : existing)
        toolBar.addAction(pool.action(name));

    toolBar.addActionGroups(pool.groups(groups));
    QCOMPARE(layoutOf(toolBar), expected);
}

void tst_ToolBars::fillStackedWidget()
{
    ActionPool pool;
    // The filter action sits on every page, as in the planning window.
    const QList<QStringList> pages = {{"f", "sco", "pve"}, {"f", "aed"}, {}, {"f", "0", "xy"}};
    const QStringList expected = {"f|sco|pve", "f|aed", "", "f|xy"};
    QList<QList<QList<QAction*>>> pageActions;
    for (const QStringList& page : pages)
        pageActions.append(pool.groups(page));

    OVStackedToolBars stack;
    OVActionsInsertHelper::fillStackedWidget(&stack, pageActions);

    QCOMPARE(stack.count(), expected.size());
    QCOMPARE(stack.toolBar(expected.size()), nullptr);
    for (int index = 0; index < expected.size(); ++index) {
        OVActionsToolBar* toolBar = stack.toolBar(index);
        QVERIFY(toolBar);
        QCOMPARE(layoutOf(*toolBar), expected.at(index));
    }
}

void tst_ToolBars::fillNullStackWarns()
{
    ActionPool pool;
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("null tool-bar stack")));
    OVActionsInsertHelper::fillStackedWidget(nullptr, {pool.groups({"a"})});
}

void tst_ToolBars::stackSizeFollowsCurrentPage()
{
    ActionPool pool;
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* stack = new OVStackedToolBars(&window);
    layout->addWidget(stack);
    layout->addStretch();
    OVActionsInsertHelper::fillStackedWidget(stack, {pool.groups({"a"}), pool.groups({"bcd", "efg", "hij"})});
    OVActionsToolBar* shortBar = stack->toolBar(0);
    OVActionsToolBar* longBar = stack->toolBar(1);

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

OV_TEST_WIDGETS_MAIN(tst_ToolBars)
#include "tst_toolbars.moc"
