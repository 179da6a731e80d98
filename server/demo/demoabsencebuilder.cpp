#include "demoabsencebuilder.h"

#include "demodraft.h"
#include "demoids.h"
#include "vocabulary.h"

using namespace orvanta;

DemoAbsenceBuilder::DemoAbsenceBuilder(DemoDraft& draft) : m_draft(draft) {}

void DemoAbsenceBuilder::addReason(const QString& name, const QString& mark, int order, Counts counts,
                                   int calcNormMethod, const char* color, bool allowPlanning)
{
    const TYPE_ID uid = DemoIds::FirstReasonUid + TYPE_ID(m_reasons.size());
    ObjectInfo reason = DemoDraft::makeObject(uid, db::wt::REASON, 0, name);
    reason.properties.insert(DemoDraft::key(db::reason::MARK), mark);
    reason.properties.insert(DemoDraft::key(db::reason::ORDER), QString::number(order));
    reason.properties.insert(DemoDraft::key(db::reason::WORKTIME), DemoDraft::flag(counts == Counts::AsWork));
    reason.properties.insert(DemoDraft::key(db::reason::NORMTIME), DemoDraft::flag(counts == Counts::TowardsNorm));
    reason.properties.insert(DemoDraft::key(db::reason::CALC_NORM_METHOD), QString::number(calcNormMethod));
    reason.properties.insert(DemoDraft::key(db::reason::PLANNING_COLOR), DemoDraft::key(color));
    reason.properties.insert(DemoDraft::key(db::reason::ALLOW_PLANNING), DemoDraft::flag(allowPlanning));
    m_draft.addObject(REASON_DATANAME, reason);
    m_reasons.insert(mark, uid);
}

// Marks stay clear of the grid's own: "К" (attached elsewhere), "В" (day off) and "-".
void DemoAbsenceBuilder::addReasons()
{
    addReason(QStringLiteral("Ежегодный оплачиваемый отпуск"), QStringLiteral("О"), 50, Counts::AsAbsence, 0,
              "#22B1A9", true);
    addReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 60, Counts::AsAbsence, 1, "#E53935", true);
    addReason(QStringLiteral("Командировка"), QStringLiteral("КМ"), 40, Counts::AsWork, 0, "#008DF3", true);
    addReason(QStringLiteral("Учебный отпуск"), QStringLiteral("У"), 45, Counts::AsAbsence, 0, "#8E24AA", true);
    addReason(QStringLiteral("Отпуск без сохранения заработной платы"), QStringLiteral("ДО"), 30, Counts::AsAbsence,
              0, "#9E9E9E", true);
    addReason(QStringLiteral("Отгул"), QStringLiteral("ОГ"), 20, Counts::TowardsNorm, 0, "#F38300", true);
    addReason(QStringLiteral("Медицинский осмотр"), QStringLiteral("МО"), 10, Counts::AsWork, 0, "#26A69A", true);
    addReason(QStringLiteral("Выполнение государственных обязанностей"), QStringLiteral("Г"), 35, Counts::TowardsNorm,
              0, "#5C6BC0", true);
    addReason(QStringLiteral("Прогул"), QStringLiteral("ПР"), 70, Counts::AsAbsence, 0, "#000000", false);
    addReason(QStringLiteral("Отпуск по уходу за ребёнком"), QStringLiteral("ОЖ"), 55, Counts::AsAbsence, 0,
              "#AB47BC", false);
}

_WORKER_ABSENCE_REASON_RECORD DemoAbsenceBuilder::absence(const QString& mark, const QDateTime& start,
                                                         const QDateTime& end, bool timed, const QString& comment)
{
    _WORKER_ABSENCE_REASON_RECORD record;
    record.id = m_nextAbsenceId++;
    record.reason = m_reasons.value(mark);
    record.start = start;
    record.end = end;
    record.timed = timed;
    record.comment = comment;
    record.changeTime = DemoDraft::at(start.date().addDays(-m_draft.random.between(3, 30)),
                                      m_draft.random.between(9, 17), m_draft.random.between(0, 59));
    return record;
}

_WORKER_ABSENCE_REASON_RECORD DemoAbsenceBuilder::fullDays(const QString& mark, const QDate& first, const QDate& last,
                                                          const QString& comment)
{
    return absence(mark, m_draft.midnight(first), m_draft.midnight(last), false, comment);
}

QList<_WORKER_ABSENCE_REASON_RECORD> DemoAbsenceBuilder::absencesOf(const DemoEmployee& employee)
{
    DemoRandom& random = m_draft.random;
    switch (employee.slot) {
    case DemoEmployee::VacationFromLastMonth: {
        const QDate first = m_draft.monthStart.addDays(-random.between(3, 8));
        return {fullDays(QStringLiteral("О"), first, first.addDays(random.between(9, 13)),
                         QStringLiteral("По графику отпусков"))};
    }
    case DemoEmployee::SickIntoNextMonth: {
        const QDate first = m_draft.monthEnd.addDays(-random.between(1, 4));
        _WORKER_ABSENCE_REASON_RECORD sick = fullDays(QStringLiteral("Б"), first, first.addDays(random.between(5, 9)),
                                                      QStringLiteral("Листок нетрудоспособности"));
        sick.changeTime = DemoDraft::at(first, 9, 30);
        return {sick};
    }
    case DemoEmployee::DaysOff: {
        const QDate dayOff = m_draft.dayOfMonth(2, 12);
        const QDate unpaid = dayOff.addDays(random.between(4, 8));
        return {fullDays(QStringLiteral("ОГ"), dayOff, dayOff),
                fullDays(QStringLiteral("ДО"), unpaid, unpaid.addDays(1), QStringLiteral("Семейные обстоятельства"))};
    }
    case DemoEmployee::MedicalCheck: {
        const QDate day = m_draft.dayOfMonth(1, 25);
        return {absence(QStringLiteral("МО"), DemoDraft::at(day, 9), DemoDraft::at(day, 12), true,
                        QStringLiteral("Периодический медосмотр"))};
    }
    case DemoEmployee::StudyLeave: {
        const QDate first = m_draft.dayOfMonth(3, 10);
        return {fullDays(QStringLiteral("У"), first, first.addDays(random.between(2, 6)), QStringLiteral("Сессия"))};
    }
    case DemoEmployee::BusinessTrip: {
        const QDate first = m_draft.dayOfMonth(5, 15);
        return {fullDays(QStringLiteral("КМ"), first, first.addDays(random.between(2, 4)),
                         QStringLiteral("Инвентаризация в филиале"))};
    }
    case DemoEmployee::CivicDuty: {
        const QDate first = m_draft.dayOfMonth(2, 20);
        return {absence(QStringLiteral("Г"), DemoDraft::at(first, 14), DemoDraft::at(first.addDays(2), 12), true,
                        QStringLiteral("Повестка"))};
    }
    case DemoEmployee::Truancy: {
        const QDate day = m_draft.dayOfMonth(1, 25);
        return {fullDays(QStringLiteral("ПР"), day, day)};
    }
    default:
        return {};
    }
}

void DemoAbsenceBuilder::addAbsences()
{
    for (const DemoEmployee& employee : qAsConst(m_draft.employees)) {
        const QList<_WORKER_ABSENCE_REASON_RECORD> records = absencesOf(employee);
        if (records.isEmpty())
            continue;
        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = employee.uid;
        reasons.records = records;
        m_draft.org.absences.insert(employee.uid, reasons);
    }
}
