#include "breakrulefields.h"

#include "vocabulary.h"
#include "worktimeutils.h"

#include <QComboBox>
#include <QCoreApplication>

namespace {

QString hmm(int seconds)
{
    return WorkTimeUtils::secondsToTime(seconds).toString(QStringLiteral("h:mm"));
}

QString tr(const char* text)
{
    return QCoreApplication::translate("BreakRuleFields", text);
}

} // namespace

QString BreakRuleFields::problem(int from, int to, int breakTime)
{
    if (to <= from)
        return tr("Продолжительность смены «до» должна быть больше, чем «от»");
    if (breakTime <= 0)
        return tr("Укажите продолжительность обеда");
    // The break has to fit into the shortest shift the rule applies to.
    const int shortest = from > 0 ? from : to;
    if (breakTime >= shortest)
        return tr("Обед (%1) не может быть длиннее смены (%2)").arg(hmm(breakTime), hmm(shortest));
    return QString();
}

QString BreakRuleFields::ruleName(int from, int to, int breakTime)
{
    return QStringLiteral("%1-%2 %3").arg(hmm(from), hmm(to), hmm(breakTime));
}

void BreakRuleFields::fillTargetTypes(QComboBox* box)
{
    box->clear();
    box->addItem(tr("Подразделениям"), db::break_rule::TYPE_DEPARTMENTS);
    box->addItem(tr("Сотрудникам"), db::break_rule::TYPE_EMPLOYEES);
}
