#include "fatalwarnings.h"
#include "organisationbuilder.h"
#include "ovdateedit.h"
#include "ovtimeedit.h"
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
const QTime endOfDay(23, 59, 59);

template<typename T>
T* child(QObject* parent, const char* name) { return parent->findChild<T*>(QLatin1String(name)); }

} // namespace

class tst_WorkerAbsenceReasonWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<OrganisationBuilder> m_org;
    TYPE_ID m_vacation = 0, m_sickLeave = 0, m_trip = 0;
    QList<ObjectInfo> m_reasons;

    Record absence(int firstDay, int lastDay, TYPE_ID reason = 0, TYPE_ID id = 1) const
    {
        return OrganisationBuilder::absenceRecord(reason ? reason : m_vacation, at(firstDay), at(lastDay, endOfDay),
                                                  false, id);
    }

    // Editable from the 10th to the 20th of March, showing records of employee 42.
    void setUp(WorkerAbsenceReasonWidget& widget, const QList<Record>& records, bool check = true) const
    {
        widget.setCheckPlanningAllow(check);
        widget.setAbsenceReasons(m_reasons);
        widget.setMinEditableDate(march(10));
        widget.setMaxEditableDate(march(20));
        widget.setWorkerReasons({42, records});
    }

private slots:
    void init()
    {
        m_org = std::make_unique<OrganisationBuilder>();
        m_vacation = m_org->absenceReason(QStringLiteral("Отпуск"), QStringLiteral("ОТ"));
        m_sickLeave = m_org->absenceReason(QStringLiteral("Больничный"), QStringLiteral("Б"), 0,
                                           OrganisationBuilder::CountsAsAbsence, 0, QStringLiteral("#F38300"), false);
        m_trip = m_org->absenceReason(QStringLiteral("Командировка"), QStringLiteral("К"));
        m_reasons = {m_org->object(m_vacation), m_org->object(m_sickLeave), m_org->object(m_trip)};
    }

    void planningFilter_data()
    {
        QTest::addColumn<bool>("check");
        QTest::addColumn<bool>("recordOfUnplannedReason");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<bool>("reasonEditable");
        const QString sick = QStringLiteral("Б Больничный"), trip = QStringLiteral("К Командировка"),
                      vacation = QStringLiteral("ОТ Отпуск");
        QTest::newRow("filter on") << true << false << QStringList{trip, vacation} << true;
        QTest::newRow("filter off") << false << false << QStringList{sick, trip, vacation} << true;
        // The record's own reason is still shown, after the offered ones, but cannot be planned here.
        QTest::newRow("filter on, record of an unplanned reason")
            << true << true << QStringList{trip, vacation, sick} << false;
    }

    void planningFilter()
    {
        QFETCH(bool, check);
        QFETCH(bool, recordOfUnplannedReason);
        QFETCH(QStringList, choices);
        QFETCH(bool, reasonEditable);
        WorkerAbsenceReasonWidget widget;
        const TYPE_ID reason = recordOfUnplannedReason ? m_sickLeave : m_trip;
        setUp(widget, {absence(12, 14, reason)}, check);
        auto* combo = child<QComboBox>(&widget, "reasonCombo");
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        QCOMPARE(texts, choices);
        QCOMPARE(combo->currentData().toUInt(), reason);
        QCOMPARE(combo->isEnabled(), reasonEditable);
    }

    void editableDates_data()
    {
        QTest::addColumn<int>("firstDay");
        QTest::addColumn<int>("lastDay");
        QTest::addColumn<bool>("openLimits");
        QTest::addColumn<QString>("editable"); // "start end whole" as 0/1
        QTest::newRow("inside the limits") << 12 << 14 << false << "111";
        QTest::newRow("on the limits") << 10 << 20 << false << "111";
        QTest::newRow("starts before the first editable date") << 5 << 12 << false << "010";
        QTest::newRow("ends after the last editable date") << 18 << 25 << false << "100";
        QTest::newRow("around the editable dates") << 5 << 25 << false << "000";
        QTest::newRow("no limits") << 1 << 9 << true << "111";
    }

    void editableDates()
    {
        QFETCH(int, firstDay);
        QFETCH(int, lastDay);
        QFETCH(bool, openLimits);
        QFETCH(QString, editable);
        WorkerAbsenceReasonWidget widget;
        setUp(widget, {absence(firstDay, lastDay)});
        if (openLimits) {
            widget.setMinEditableDate(QDate());
            widget.setMaxEditableDate(QDate());
        }
        auto* startDate = child<OVDateEdit>(&widget, "startDateEdit");
        auto* endDate = child<OVDateEdit>(&widget, "endDateEdit");
        const auto bits = [](bool a, bool b, bool c) { return QStringLiteral("%1%2%3").arg(a).arg(b).arg(c); };
        QCOMPARE(bits(widget.canEditStart(0), widget.canEditEnd(0), widget.canEditWhole(0)), editable);
        QCOMPARE(bits(startDate->isEnabled(), endDate->isEnabled(), child<QComboBox>(&widget, "reasonCombo")->isEnabled()),
                 editable);
        // Locked dates are shown as they are, not clamped into the editable dates.
        QCOMPARE(startDate->date(), march(firstDay));
        QCOMPARE(endDate->date(), march(lastDay));
        if (editable == QLatin1String("111") && !openLimits)
            QCOMPARE(QString(startDate->minimumDate().toString() + endDate->maximumDate().toString()),
                     QString(march(10).toString() + march(20).toString()));

        QSignalSpy edited(&widget, &WorkerAbsenceReasonWidget::dataEdited);
        const bool removable = editable.endsWith('1');
        if (!removable)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("record cannot be removed")));
        widget.removeReason();
        QCOMPARE(widget.workerReasons().records.size(), removable ? 0 : 1);
        QCOMPARE(edited.count(), removable ? 1 : 0);
    }

    void newRecord_data()
    {
        QTest::addColumn<QDate>("defaultDate");
        QTest::addColumn<QDate>("expected"); // invalid: no reason may be planned
        QTest::newRow("default date inside the limits") << march(15) << march(15);
        QTest::newRow("default date before them") << march(5) << march(10);
        QTest::newRow("default date after them") << march(25) << march(20);
        QTest::newRow("no default date") << QDate() << march(10);
        QTest::newRow("no reason may be planned") << march(15) << QDate();
    }

    void newRecord()
    {
        QFETCH(QDate, defaultDate);
        QFETCH(QDate, expected);
        WorkerAbsenceReasonWidget widget;
        widget.setDefaultDate(defaultDate);
        setUp(widget, {absence(1, 2)});
        QSignalSpy edited(&widget, &WorkerAbsenceReasonWidget::dataEdited);
        if (!expected.isValid()) {
            widget.setAbsenceReasons({m_org->object(m_sickLeave)});
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no reason or date to add")));
        }
        QCOMPARE(child<QToolButton>(&widget, "addButton")->isEnabled(), expected.isValid());
        widget.addReason();
        const QList<Record> records = widget.workerReasons().records;
        QCOMPARE(records.size(), expected.isValid() ? 2 : 1);
        QCOMPARE(edited.count(), records.size() - 1);
        if (!expected.isValid())
            return;
        Record added = records.value(1);
        QVERIFY(added.isNew());
        added.id = 1;
        QCOMPARE(added, OrganisationBuilder::absenceRecord(m_trip, QDateTime(expected, {}), QDateTime(expected, endOfDay),
                                                           false));
        QCOMPARE(widget.currentRow(), widget.rowCount() - 1);
    }

    void dateRangeHidesButKeepsRecords()
    {
        WorkerAbsenceReasonWidget widget;
        setUp(widget, {absence(1, 3, 0, 1), absence(10, 12, 0, 2), absence(20, 22, 0, 3)});
        widget.setDateRange(march(11), march(11));
        QCOMPARE(widget.currentReasons().size(), 1);
        QCOMPARE(child<QTreeWidget>(&widget, "reasonList")->topLevelItemCount(), 1);

        auto* comment = child<QLineEdit>(&widget, "commentEdit");
        comment->setText(QStringLiteral("по заявлению"));
        emit comment->textEdited(comment->text());
        Record commented = absence(10, 12, 0, 2);
        commented.comment = QStringLiteral("по заявлению");
        QCOMPARE(widget.workerReasons().records, (QList<Record>{absence(1, 3, 0, 1), commented, absence(20, 22, 0, 3)}));

        widget.removeReason();
        QCOMPARE(widget.rowCount(), 0);
        QCOMPARE(widget.workerReasons().records, (QList<Record>{absence(1, 3, 0, 1), absence(20, 22, 0, 3)}));
        QCOMPARE(widget.workerReasons().uid, 42u);
    }

    void editing_data()
    {
        QTest::addColumn<_WORKER_ABSENCE_REASON>("original"); // its only record
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        // Timed records run from 10:00 to 12:00.
        const auto row = [this](const char* tag, int first, int last, bool timed, const char* field,
                                const QVariant& value, const QDateTime& start, const QDateTime& end) {
            const Record original = timed ? OrganisationBuilder::absenceRecord(m_vacation, at(first, QTime(10, 0)),
                                                                               at(last, QTime(12, 0)), true)
                                          : absence(first, last);
            QTest::newRow(tag) << _WORKER_ABSENCE_REASON{42, {original}} << QString::fromLatin1(field) << value << start
                               << end;
        };
        row("start moved past the end takes the end along", 12, 14, false, "startDateEdit", march(16), at(16),
            at(16, endOfDay));
        row("end moved before the start takes the start along", 12, 14, false, "endDateEdit", march(11), at(11),
            at(11, endOfDay));
        row("timed start time", 12, 14, true, "startTimeEdit", QTime(9, 15), at(12, QTime(9, 15)), at(14, QTime(12, 0)));
        row("timed start after the end on one day takes the end along", 12, 12, true, "startTimeEdit", QTime(13, 0),
            at(12, QTime(13, 0)), at(12, QTime(13, 0)));
        row("timed switched off: whole days again", 12, 14, true, "timedCheck", false, at(12), at(14, endOfDay));
        row("timed switched on: times from the fields", 12, 14, false, "timedCheck", true, at(12), at(14, QTime(23, 59)));
    }

    void editing()
    {
        QFETCH(_WORKER_ABSENCE_REASON, original);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        WorkerAbsenceReasonWidget widget;
        setUp(widget, original.records);
        QSignalSpy edited(&widget, &WorkerAbsenceReasonWidget::dataEdited);

        QWidget* editor = child<QWidget>(&widget, qPrintable(field));
        if (auto* date = qobject_cast<OVDateEdit*>(editor))
            date->setDate(value.toDate());
        else if (auto* time = qobject_cast<OVTimeEdit*>(editor))
            time->setTime(value.toTime());
        else
            qobject_cast<QCheckBox*>(editor)->setChecked(value.toBool());

        const Record result = widget.workerReasons().records.first();
        QCOMPARE(result.start, start);
        QCOMPARE(result.end, end);
        QCOMPARE(edited.count(), 1);
        // The editor and the list show what was stored.
        QCOMPARE(child<OVDateEdit>(&widget, "endDateEdit")->date(), end.date());
        QCOMPARE(child<QTreeWidget>(&widget, "reasonList")->topLevelItem(0)->text(2),
                 end.toString(result.timed ? QStringLiteral("dd.MM.yyyy HH:mm") : QStringLiteral("dd.MM.yyyy")));
    }

    void dialog()
    {
        WorkerAbsenceReasonDialog dialog;
        dialog.setCheckPlanningAllow(true);
        dialog.setAbsenceReasons(m_reasons);
        auto* ok = child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Ok);
        // One record: no list, and OK only once the record has a reason.
        Record record = absence(12, 13, 0, Record::NEW_RECORD_ID);
        record.reason = 0;
        dialog.setWorkerReason(record);
        QVERIFY(child<QTreeWidget>(&dialog, "reasonList")->isHidden());
        QVERIFY(!ok->isEnabled());
        record.reason = m_vacation;
        dialog.setWorkerReason(record);
        QVERIFY(ok->isEnabled());
        child<OVDateEdit>(&dialog, "endDateEdit")->setDate(march(15));
        record.end = at(15, endOfDay);
        QCOMPARE(dialog.workerReason(), record);

        // All records of a worker, in a list.
        dialog.setWorkerReasons({42, {absence(1, 3, 0, 1), absence(10, 12, 0, 2)}});
        QVERIFY(!child<QTreeWidget>(&dialog, "reasonList")->isHidden());
        dialog.reasonWidget()->setCurrentRow(1);
        dialog.reasonWidget()->removeReason();
        QCOMPARE(dialog.workerReasons().records, QList<Record>{absence(1, 3, 0, 1)});
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkerAbsenceReasonWidget)

#include "tst_workerabsencereasonwidget.moc"
