#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "ovdateedit.h"
#include "ovtimeedit.h"
#include "vocabulary.h"
#include "workerabsencereasondialog.h"
#include "workerabsencereasonwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace orvanta;
using ovtest::OrganisationBuilder;
using Record = _WORKER_ABSENCE_REASON_RECORD;

namespace {

QDate march(int day) { return QDate(2024, 3, day); }
QDateTime at(int day, const QTime& time = QTime(0, 0)) { return QDateTime(march(day), time); }

template<typename T>
T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QStringList comboTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

struct EditableCase
{
    int firstDay, lastDay;
    bool openLimits;
    bool start, end, whole;
};

struct NewRecordCase
{
    QDate defaultDate;
    bool allowedReasons;
    QDate expected;
};

// One editor change of an absence from firstDay to lastDay, timed from 10:00 to 12:00 when timed.
struct EditCase
{
    int firstDay, lastDay;
    bool timed;
    const char* field;
    QVariant value;
    QDateTime start, end;
};

} // namespace

Q_DECLARE_METATYPE(EditableCase)
Q_DECLARE_METATYPE(NewRecordCase)
Q_DECLARE_METATYPE(EditCase)

class tst_WorkerAbsenceReasonWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<OrganisationBuilder> m_org;
    TYPE_ID m_vacation = 0, m_sickLeave = 0, m_trip = 0;

    QList<ObjectInfo> reasonObjects() const
    {
        return m_org->store()->constObjects(QLatin1String(REASON_DATANAME))->values();
    }

    _WORKER_ABSENCE_REASON reasons(const QList<Record>& records) const
    {
        _WORKER_ABSENCE_REASON result;
        result.uid = 42;
        result.records = records;
        return result;
    }

    Record absence(int firstDay, int lastDay, TYPE_ID reason = 0, TYPE_ID id = 1) const
    {
        return OrganisationBuilder::absenceRecord(reason ? reason : m_vacation, at(firstDay),
                                                  at(lastDay, QTime(23, 59, 59)), false, id);
    }

    void setUpWidget(WorkerAbsenceReasonWidget& widget, bool check = true) const
    {
        widget.setCheckPlanningAllow(check);
        widget.setAbsenceReasons(reasonObjects());
        widget.setMinEditableDate(march(10));
        widget.setMaxEditableDate(march(20));
    }

private slots:
    void init()
    {
        m_org = std::make_unique<OrganisationBuilder>();
        m_vacation = m_org->absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"));
        m_sickLeave = m_org->absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 0,
                                           OrganisationBuilder::CountsAsAbsence, 0, QStringLiteral("#F38300"), false);
        m_trip = m_org->absenceReason(QStringLiteral("Командировка"), QStringLiteral("К"));
    }

    void planningFilter_data()
    {
        QTest::addColumn<bool>("check");
        QTest::addColumn<bool>("recordOfUnplannedReason");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<bool>("reasonEditable");
        const QString sick = QStringLiteral("Б Больничный");
        const QString trip = QStringLiteral("К Командировка");
        const QString vacation = QStringLiteral("ОТ Отпуск");
        QTest::newRow("filter on") << true << false << QStringList{trip, vacation} << true;
        QTest::newRow("filter off") << false << false << QStringList{sick, trip, vacation} << true;
        // The record's own reason is still shown, after the offered ones, but cannot be planned here.
        QTest::newRow("filter on, record of an unplanned reason")
            << true << true << QStringList{trip, vacation, sick} << false;
        QTest::newRow("filter off, record of an unplanned reason")
            << false << true << QStringList{sick, trip, vacation} << true;
    }

    void planningFilter()
    {
        QFETCH(bool, check);
        QFETCH(bool, recordOfUnplannedReason);
        QFETCH(QStringList, choices);
        QFETCH(bool, reasonEditable);
        WorkerAbsenceReasonWidget widget;
        setUpWidget(widget, check);
        widget.setWorkerReasons(reasons({absence(12, 14, recordOfUnplannedReason ? m_sickLeave : m_trip)}));
        auto* combo = child<QComboBox>(&widget, "reasonCombo");
        QCOMPARE(comboTexts(combo), choices);
        QCOMPARE(combo->currentData().toUInt(), recordOfUnplannedReason ? m_sickLeave : m_trip);
        QCOMPARE(combo->isEnabled(), reasonEditable);
        QCOMPARE(widget.canEditWhole(0), reasonEditable);
        QCOMPARE(widget.offeredReasons().contains(m_sickLeave), !check);
    }

    void editableDates_data()
    {
        QTest::addColumn<EditableCase>("row");
        QTest::newRow("inside the limits") << EditableCase{12, 14, false, true, true, true};
        QTest::newRow("on the limits") << EditableCase{10, 20, false, true, true, true};
        QTest::newRow("starts before the first editable date") << EditableCase{5, 12, false, false, true, false};
        QTest::newRow("ends after the last editable date") << EditableCase{18, 25, false, true, false, false};
        QTest::newRow("around the editable dates") << EditableCase{5, 25, false, false, false, false};
        QTest::newRow("wholly before them") << EditableCase{1, 9, false, false, false, false};
        QTest::newRow("no limits") << EditableCase{1, 9, true, true, true, true};
    }

    void editableDates()
    {
        QFETCH(EditableCase, row);
        WorkerAbsenceReasonWidget widget;
        setUpWidget(widget);
        if (row.openLimits) {
            widget.setMinEditableDate(QDate());
            widget.setMaxEditableDate(QDate());
        }
        widget.setWorkerReasons(reasons({absence(row.firstDay, row.lastDay)}));
        QCOMPARE(widget.canEditStart(0), row.start);
        QCOMPARE(widget.canEditEnd(0), row.end);
        QCOMPARE(widget.canEditWhole(0), row.whole);
        auto* startDate = child<OVDateEdit>(&widget, "startDateEdit");
        auto* endDate = child<OVDateEdit>(&widget, "endDateEdit");
        QCOMPARE(startDate->isEnabled(), row.start);
        QCOMPARE(endDate->isEnabled(), row.end);
        QCOMPARE(child<QComboBox>(&widget, "reasonCombo")->isEnabled(), row.whole);
        QCOMPARE(child<QLineEdit>(&widget, "commentEdit")->isEnabled(), row.whole);
        QCOMPARE(child<QToolButton>(&widget, "removeButton")->isEnabled(), row.whole);
        // Locked dates are shown as they are, not clamped into the editable dates.
        QCOMPARE(startDate->date(), march(row.firstDay));
        QCOMPARE(endDate->date(), march(row.lastDay));
        if (row.start && !row.openLimits) {
            QCOMPARE(startDate->minimumDate(), march(10));
            QCOMPARE(startDate->maximumDate(), march(20));
        }
    }

    void removeOutsideTheLimitsIsRefused()
    {
        WorkerAbsenceReasonWidget widget;
        setUpWidget(widget);
        widget.setWorkerReasons(reasons({absence(5, 12)}));
        QSignalSpy edited(&widget, &WorkerAbsenceReasonWidget::dataEdited);
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("record cannot be removed")));
        widget.removeReason();
        QCOMPARE(widget.workerReasons().records.size(), 1);
        QCOMPARE(edited.count(), 0);
    }

    void newRecord_data()
    {
        QTest::addColumn<NewRecordCase>("row");
        QTest::newRow("default date inside the limits") << NewRecordCase{march(15), true, march(15)};
        QTest::newRow("default date before them") << NewRecordCase{march(5), true, march(10)};
        QTest::newRow("default date after them") << NewRecordCase{march(25), true, march(20)};
        QTest::newRow("no default date") << NewRecordCase{QDate(), true, march(10)};
        QTest::newRow("no reason may be planned") << NewRecordCase{march(15), false, QDate()};
    }

    void newRecord()
    {
        QFETCH(NewRecordCase, row);
        WorkerAbsenceReasonWidget widget;
        setUpWidget(widget);
        if (!row.allowedReasons)
            widget.setAbsenceReasons({m_org->object(m_sickLeave)});
        widget.setDefaultDate(row.defaultDate);
        widget.setWorkerReasons(reasons({absence(1, 2)}));
        QSignalSpy edited(&widget, &WorkerAbsenceReasonWidget::dataEdited);
        QCOMPARE(child<QToolButton>(&widget, "addButton")->isEnabled(), row.expected.isValid());
        if (!row.expected.isValid())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no reason or date to add")));

        widget.addReason();
        const QList<Record> records = widget.workerReasons().records;
        QCOMPARE(records.size(), row.expected.isValid() ? 2 : 1);
        QCOMPARE(edited.count(), row.expected.isValid() ? 1 : 0);
        if (!row.expected.isValid())
            return;
        const Record added = records.last();
        QVERIFY(added.isNew());
        QCOMPARE(added.reason, m_trip);
        QCOMPARE(added.start, QDateTime(row.expected, QTime(0, 0)));
        QCOMPARE(added.end, QDateTime(row.expected, QTime(23, 59, 59)));
        QVERIFY(!added.timed);
        QCOMPARE(widget.currentRow(), widget.rowCount() - 1);
        QVERIFY(widget.canEditWhole(widget.currentRow()));
    }

    void dateRangeHidesButKeepsRecords()
    {
        WorkerAbsenceReasonWidget widget;
        setUpWidget(widget);
        widget.setWorkerReasons(reasons({absence(1, 3, 0, 1), absence(10, 12, 0, 2), absence(20, 22, 0, 3)}));
        widget.setDateRange(march(11), march(11));
        QCOMPARE(widget.rowCount(), 1);
        QCOMPARE(widget.currentReasons().first().id, 2u);
        QCOMPARE(child<QTreeWidget>(&widget, "reasonList")->topLevelItemCount(), 1);

        auto* comment = child<QLineEdit>(&widget, "commentEdit");
        comment->setText(QStringLiteral("по заявлению"));
        emit comment->textEdited(comment->text());
        const QList<Record> records = widget.workerReasons().records;
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(0), absence(1, 3, 0, 1));
        QCOMPARE(records.at(1).comment, QStringLiteral("по заявлению"));
        QCOMPARE(records.at(2), absence(20, 22, 0, 3));

        widget.removeReason();
        QCOMPARE(widget.rowCount(), 0);
        QCOMPARE(widget.workerReasons().records, QList<Record>({absence(1, 3, 0, 1), absence(20, 22, 0, 3)}));
        QCOMPARE(widget.workerReasons().uid, 42u);
    }

    void editing_data()
    {
        QTest::addColumn<EditCase>("row");
        const QTime noon(12, 0);
        QTest::newRow("start moved past the end takes the end along")
            << EditCase{12, 14, false, "startDateEdit", march(16), at(16), at(16, QTime(23, 59, 59))};
        QTest::newRow("end moved before the start takes the start along")
            << EditCase{12, 14, false, "endDateEdit", march(11), at(11), at(11, QTime(23, 59, 59))};
        QTest::newRow("end moved later") << EditCase{12, 14, false, "endDateEdit", march(18), at(12),
                                                     at(18, QTime(23, 59, 59))};
        QTest::newRow("timed start time") << EditCase{12, 14, true, "startTimeEdit", QTime(9, 15), at(12, QTime(9, 15)),
                                                      at(14, noon)};
        QTest::newRow("timed start after the end on one day takes the end along")
            << EditCase{12, 12, true, "startTimeEdit", QTime(13, 0), at(12, QTime(13, 0)), at(12, QTime(13, 0))};
        QTest::newRow("timed switched off: whole days again")
            << EditCase{12, 14, true, "timedCheck", false, at(12), at(14, QTime(23, 59, 59))};
        QTest::newRow("timed switched on: times from the fields")
            << EditCase{12, 14, false, "timedCheck", true, at(12), at(14, QTime(23, 59))};
    }

    void editing()
    {
        QFETCH(EditCase, row);
        Record original = absence(row.firstDay, row.lastDay);
        if (row.timed) {
            original.timed = true;
            original.start.setTime(QTime(10, 0));
            original.end.setTime(QTime(12, 0));
        }
        WorkerAbsenceReasonWidget widget;
        setUpWidget(widget);
        widget.setWorkerReasons(reasons({original}));
        QSignalSpy edited(&widget, &WorkerAbsenceReasonWidget::dataEdited);

        QWidget* field = child<QWidget>(&widget, row.field);
        if (auto* date = qobject_cast<OVDateEdit*>(field))
            date->setDate(row.value.toDate());
        else if (auto* time = qobject_cast<OVTimeEdit*>(field))
            time->setTime(row.value.toTime());
        else
            qobject_cast<QCheckBox*>(field)->setChecked(row.value.toBool());

        const Record result = widget.workerReasons().records.first();
        QCOMPARE(result.start, row.start);
        QCOMPARE(result.end, row.end);
        QCOMPARE(edited.count(), 1);
        // The editor shows what was stored.
        QCOMPARE(child<OVDateEdit>(&widget, "endDateEdit")->date(), row.end.date());
        QCOMPARE(child<QTreeWidget>(&widget, "reasonList")->topLevelItem(0)->text(2),
                 row.end.toString(result.timed ? QStringLiteral("dd.MM.yyyy HH:mm") : QStringLiteral("dd.MM.yyyy")));
    }

    void dialogEditsOneRecord_data()
    {
        QTest::addColumn<bool>("okEnabled");
        QTest::newRow("record with a reason") << true;
        QTest::newRow("record without a reason") << false;
    }

    void dialogEditsOneRecord()
    {
        QFETCH(bool, okEnabled);
        const TYPE_ID reason = okEnabled ? m_vacation : 0;
        WorkerAbsenceReasonDialog dialog;
        dialog.setCheckPlanningAllow(true);
        dialog.setAbsenceReasons(reasonObjects());
        dialog.setMinDate(march(10));
        dialog.setMaxDate(march(20));
        Record record;
        record.id = Record::NEW_RECORD_ID;
        record.reason = reason;
        record.start = at(12);
        record.end = at(13, QTime(23, 59, 59));
        dialog.setWorkerReason(record);
        QVERIFY(child<QTreeWidget>(&dialog, "reasonList")->isHidden());
        QVERIFY(child<QToolButton>(&dialog, "addButton")->isHidden());
        auto* ok = child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Ok);
        QCOMPARE(ok->isEnabled(), okEnabled);
        if (!okEnabled)
            return;

        child<OVDateEdit>(&dialog, "endDateEdit")->setDate(march(15));
        record.end = at(15, QTime(23, 59, 59));
        QCOMPARE(dialog.workerReason(), record);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Причина отсутствия"));
    }

    void dialogEditsAllRecords()
    {
        WorkerAbsenceReasonDialog dialog;
        dialog.setAbsenceReasons(reasonObjects());
        dialog.setWorkerReasons(reasons({absence(1, 3, 0, 1), absence(10, 12, 0, 2)}));
        QVERIFY(!child<QTreeWidget>(&dialog, "reasonList")->isHidden());
        dialog.reasonWidget()->setCurrentRow(0);
        dialog.reasonWidget()->removeReason();
        QCOMPARE(dialog.workerReasons().records, QList<Record>{absence(10, 12, 0, 2)});
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkerAbsenceReasonWidget)

#include "tst_workerabsencereasonwidget.moc"
