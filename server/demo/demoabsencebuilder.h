#pragma once

#include "workerabsencereason.h"

#include <QHash>
#include <QString>

class DemoDraft;
struct DemoEmployee;

/// Absence reasons and the absences of the employees whose story has one.
class DemoAbsenceBuilder
{
public:
    explicit DemoAbsenceBuilder(DemoDraft& draft);

    void addReasons();
    /// After the employees.
    void addAbsences();

private:
    enum class Counts { AsAbsence, AsWork, TowardsNorm };

    void addReason(const QString& name, const QString& mark, int order, Counts counts, int calcNormMethod,
                   const char* color, bool allowPlanning);
    QList<orvanta::_WORKER_ABSENCE_REASON_RECORD> absencesOf(const DemoEmployee& employee);
    orvanta::_WORKER_ABSENCE_REASON_RECORD absence(const QString& mark, const QDateTime& start, const QDateTime& end,
                                                   bool timed, const QString& comment);
    orvanta::_WORKER_ABSENCE_REASON_RECORD fullDays(const QString& mark, const QDate& first, const QDate& last,
                                                    const QString& comment = QString());

    DemoDraft& m_draft;
    /// Mark -> reason uid.
    QHash<QString, orvanta::TYPE_ID> m_reasons;
    orvanta::TYPE_ID m_nextAbsenceId = 1;
};
