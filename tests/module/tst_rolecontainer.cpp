#include "authdata.h"
#include "fatalwarnings.h"
#include "rolecontainer.h"

#include <QCoreApplication>
#include <QTest>

using wtplanningview::RoleContainer;

namespace {

using Check = bool (*)();

const QList<QPair<const char*, Check>>& checks()
{
    static const QList<QPair<const char*, Check>> all = {
        {"WORKTIME_SHOW", &RoleContainer::canShowWorkTime},
        {"WORKTIME_SET", &RoleContainer::canEditWorkTime},
        {"WORKTIME_APPROVE", &RoleContainer::canApproveWorkTime},
        {"BREAKRULE_SHOW", &RoleContainer::canShowBreakRule},
        {"BREAKRULE_CREATE", &RoleContainer::canAddBreakRule},
        {"BREAKRULE_UPDATE", &RoleContainer::canEditBreakRule},
        {"BREAKRULE_DELETE", &RoleContainer::canDeleteBreakRule},
        {"ATTACHED_SHOW", &RoleContainer::canShowAttachWorker},
        {"ATTACHED_CREATE", &RoleContainer::canAddAttachWorker},
        {"ATTACHED_UPDATE", &RoleContainer::canEditAttachWorker},
        {"ATTACHED_DELETE", &RoleContainer::canDeleteAttachWorker},
    };
    return all;
}

} // namespace

class tst_RoleContainer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { AuthData::clear(); }

    void eachCheckGrantsOnlyItsOwnRole_data()
    {
        QTest::addColumn<int>("granted");
        for (int i = 0; i < checks().size(); ++i)
            QTest::addRow("%s", checks().at(i).first) << i;
    }

    void eachCheckGrantsOnlyItsOwnRole()
    {
        QFETCH(int, granted);
        AuthData::setRoles({QStringLiteral("RL_WTPLANNINGVIEW_") + QLatin1String(checks().at(granted).first)});
        for (int i = 0; i < checks().size(); ++i)
            QCOMPARE(checks().at(i).second(), i == granted);
    }

    void canShow_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<bool>("expected");
        QTest::addRow("no roles") << QStringList() << false;
        QTest::addRow("work time only") << QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SHOW"} << true;
        QTest::addRow("break rules only") << QStringList{"RL_WTPLANNINGVIEW_BREAKRULE_SHOW"} << true;
        QTest::addRow("attached only") << QStringList{"RL_WTPLANNINGVIEW_ATTACHED_SHOW"} << true;
        QTest::addRow("editing without showing") << QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SET",
                                                                "RL_WTPLANNINGVIEW_BREAKRULE_CREATE"}
                                                 << false;
        QTest::addRow("lower-case role") << QStringList{"rl_wtplanningview_worktime_show"} << false;
        QTest::addRow("role with a trailing blank") << QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SHOW "} << false;
    }

    void canShow()
    {
        QFETCH(QStringList, roles);
        QFETCH(bool, expected);
        AuthData::setRoles(roles);
        QCOMPARE(RoleContainer::canShow(), expected);
    }

    void rolesAreReadOnEveryCheck()
    {
        AuthData::setRoles({QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SET")});
        QVERIFY(RoleContainer::canEditWorkTime());
        AuthData::setRoles({});
        QVERIFY(!RoleContainer::canEditWorkTime());
    }
};

OV_TEST_GUILESS_MAIN(tst_RoleContainer)
#include "tst_rolecontainer.moc"
