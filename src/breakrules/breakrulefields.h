#pragma once

#include "objectinfo.h"

#include <QList>
#include <QString>

#include <functional>

class QComboBox;

/// What a break rule's fields must satisfy and how a rule is named; shared by the edit dialog
/// and the wizard so both refuse the same input with the same words.
class BreakRuleFields
{
public:
    BreakRuleFields() = delete;

    /// What replacing the rules before by the rules after would do to the loaded plan, in words;
    /// empty when there is nothing to say.
    using Preview = std::function<QString(const QList<orvanta::ObjectInfo>& before,
                                          const QList<orvanta::ObjectInfo>& after)>;

    /// Why a shift range from..to with a break of breakTime seconds cannot be saved; empty when it can.
    static QString problem(int from, int to, int breakTime);
    /// "4:00-8:00 0:30".
    static QString ruleName(int from, int to, int breakTime);
    /// The target types "Подразделениям" (0) and "Сотрудникам" (1), data under Qt::UserRole.
    static void fillTargetTypes(QComboBox* box);
};
