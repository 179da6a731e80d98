#include "authdata.h"
#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "recordingpaintdevice.h"
#include "vocabulary.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QVBoxLayout>

using namespace orvanta;
using Fixture = PlanningGridFixture;
using Model = WorkTimePlanningModel;

namespace {

QStyleOptionViewItem cellOption(const QRect& rect = QRect(0, 0, 90, 52))
{
    QStyleOptionViewItem option;
    option.rect = rect;
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    option.font = QApplication::font();
    option.palette = QApplication::palette();
    option.displayAlignment = Qt::AlignCenter;
    option.decorationSize = QSize(24, 24);
    return option;
}

QString color(const char* name) { return QColor(QLatin1String(name)).name(); }

void paint(RecordingPaintDevice& device, const QAbstractItemDelegate& delegate, const QStyleOptionViewItem& option,
           const QModelIndex& index)
{
    QPainter painter(&device);
    delegate.paint(&painter, option, index);
}

} // namespace

class tst_WorkTimeItemDelegate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }
    void cleanup() { AuthData::clear(); }

    void stringToInterval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("finish");
        QTest::addRow("day 08:00-17:00") << "08:00-17:00" << true << Fixture::seconds(8) << Fixture::seconds(17);
        QTest::addRow("overnight 22:00-06:00") << "22:00-06:00" << true << 79200 << 21600;
        QTest::addRow("one digit 7:5-9:30") << "7:5-9:30" << true << Fixture::seconds(7, 5) << Fixture::seconds(9, 30);
        QTest::addRow("last minute 23:59-00:00") << "23:59-00:00" << true << Fixture::seconds(23, 59) << 0;
        QTest::addRow("hour 24 refused") << "24:00-08:00" << false << 0 << 0;
        QTest::addRow("minute 60 refused") << "08:60-09:00" << false << 0 << 0;
        QTest::addRow("three-digit hour refused") << "008:00-09:00" << false << 0 << 0;
        QTest::addRow("trailing text refused") << "08:00-17:00x" << false << 0 << 0;
        QTest::addRow("half an interval refused") << "08:00-" << false << 0 << 0;
        QTest::addRow("empty refused") << "" << false << 0 << 0;
    }

    void stringToInterval()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(int, start);
        QFETCH(int, finish);
        int parsedStart = -1;
        int parsedFinish = -1;
        QCOMPARE(WorkTimeItemDelegate::stringToInterval(text, WorkTimeItemDelegate::intervalPattern(), parsedStart,
                                                        parsedFinish),
                 accepted);
        QCOMPARE(parsedStart, start);
        QCOMPARE(parsedFinish, finish);
        if (accepted)
            QCOMPARE(WorkTimeItemDelegate::stringToInterval(
                         WorkTimeItemDelegate::intervalToString(start, finish),
                         WorkTimeItemDelegate::intervalPattern(), parsedStart, parsedFinish),
                     true);
    }

    // The editor in the grid: typed keys, then how editing ends; the cell's text afterwards.
    void editorEnds_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("shown");
        QTest::addRow("enter commits") << "0900-1800" << "enter" << "09:00-18:00";
        QTest::addRow("return commits overnight") << "22:00-06:00" << "return" << "22:00-06:00";
        QTest::addRow("focus out commits") << "1000-1900" << "focus out" << "10:00-19:00";
        QTest::addRow("escape reverts") << "1000-1900" << "escape" << "08:00-17:00";
        QTest::addRow("hour 24 cannot be typed") << "24:00-08:00" << "enter" << "20:00-08:00";
    }

    void editorEnds()
    {
        QFETCH(QString, keys);
        QFETCH(QString, ending);
        QFETCH(QString, shown);
        Fixture grid;
        QWidget window;
        auto* view = new WorkTimeTableView(&window);
        auto* elsewhere = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        layout->addWidget(elsewhere);
        grid.setUpView(*view);
        window.resize(900, 400);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QModelIndex cell = grid.cell(grid.ivanov, 2);
        view->setCurrentIndex(cell);
        view->setFocus();

        QTest::keyClick(view, Qt::Key_F2);
        QPointer<QLineEdit> editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->displayText(), QStringLiteral("08:00-17:00"));
        QTest::keyClicks(editor, keys);
        if (ending == QLatin1String("enter"))
            QTest::keyClick(editor, Qt::Key_Enter);
        else if (ending == QLatin1String("return"))
            QTest::keyClick(editor, Qt::Key_Return);
        else if (ending == QLatin1String("escape"))
            QTest::keyClick(editor, Qt::Key_Escape);
        else
            elsewhere->setFocus();

        QCOMPARE(cell.data(Qt::DisplayRole).toString(), shown);
        QCOMPARE(grid.model.hasChanges(grid.ivanov), ending != QLatin1String("escape"));
    }

    // The overnight end is written as typed; the model decides that it lies on the next day.
    void commitWritesTheTypedEnds()
    {
        WorkTimeItemDelegate delegate;
        QStandardItemModel model(1, 6);
        QLineEdit editor;
        editor.setInputMask(QStringLiteral("99:99-99:99;0"));
        editor.setText(QStringLiteral("22:00-06:00"));
        delegate.setModelData(&editor, &model, model.index(0, 5));
        QCOMPARE(model.index(0, 5).data(Model::IntervalRole).toMap(), Fixture::interval(79200, 21600));
    }

    void unparsableTextLeavesTheCell()
    {
        Fixture grid;
        const QModelIndex cell = grid.cell(grid.ivanov, 2);
        QLineEdit editor;
        editor.setText(QStringLiteral("24:00-08:00"));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("parse error \"24:00-08:00\"")));
        grid.delegate.setModelData(&editor, &grid.proxy, cell);
        QCOMPARE(cell.data(Model::DayStartRole).toInt(), Fixture::seconds(8));
        QVERIFY(!grid.model.hasChanges(grid.ivanov));
    }

    void editorOnlyForDays()
    {
        Fixture grid;
        QWidget parent;
        QVERIFY(grid.delegate.createEditor(&parent, cellOption(), grid.cell(grid.ivanov, 2)));
        QVERIFY(!grid.delegate.createEditor(&parent, cellOption(), grid.cell(grid.ivanov, 0)));
    }

    // One day cell painted: its interval text and colour, the hours text and pen, the badge, the lock.
    void paintsDay_data()
    {
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("intervalColor");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("hoursColor");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<bool>("lock");
        const QString text = QApplication::palette().color(QPalette::Active, QPalette::ButtonText).name();
        const QString light = color(wt::color::DISABLED_TEXT);
        const QString dark = color(wt::color::ENABLED_TEXT);
        QTest::addRow("work day") << "ivanov" << 2 << "08:00-17:00" << text << "8.00" << dark << "" << false;
        QTest::addRow("day off") << "ivanov" << 6 << "--:-- --:--" << light << "0.00" << light << "В" << false;
        QTest::addRow("full-day absence keeps its badge")
            << "ivanov" << 3 << "--:-- --:--" << light << "0.00" << light << "ОТ" << false;
        QTest::addRow("part-day absence only")
            << "ivanov" << 7 << "--:-- --:--" << light << "2.00" << dark << "Д" << false;
        QTest::addRow("before employment is locked")
            << "petrov" << 2 << "--:-- --:--" << light << "0.00" << light << "" << true;
        QTest::addRow("trip elsewhere is locked")
            << "sidorov" << 16 << "--:-- --:--" << light << "0.00" << light << "К" << true;
    }

    void paintsDay()
    {
        QFETCH(QString, who);
        QFETCH(int, day);
        QFETCH(QString, interval);
        QFETCH(QString, intervalColor);
        QFETCH(QString, hours);
        QFETCH(QString, hoursColor);
        QFETCH(QString, badge);
        QFETCH(bool, lock);
        Fixture grid;
        _WORKER_ABSENCE_REASON reasons;
        reasons.uid = grid.ivanov;
        const auto at = [](int d, const QTime& time) { return QDateTime(Fixture::july(d), time); };
        reasons.records = {ovtest::OrganisationBuilder::absenceRecord(grid.vacation, at(3, QTime(0, 0)),
                                                                      at(3, QTime(0, 0)), false, 1),
                           ovtest::OrganisationBuilder::absenceRecord(grid.doctor, at(7, Fixture::hm(10)),
                                                                      at(7, Fixture::hm(12)), true, 2)};
        grid.model.setAbsenceReasons({{grid.ivanov, reasons}});

        RecordingPaintDevice device;
        paint(device, grid.delegate, cellOption(), grid.cell(grid.byName(who), day));
        const QList<RecordingPaintDevice::Text>& texts = device.engine.texts;
        const RecordingPaintDevice::Text* intervalText = device.findText(interval);
        QVERIFY2(intervalText, qPrintable(interval));
        QCOMPARE(intervalText->pen.name(), intervalColor);
        const RecordingPaintDevice::Text* hoursText = device.findText(hours);
        QVERIFY2(hoursText, qPrintable(hours));
        QCOMPARE(hoursText->pen.name(), hoursColor);
        // Hours that count are dark and bold.
        QCOMPARE(hoursText->weight == QFont::Bold, hoursColor == color(wt::color::ENABLED_TEXT));
        if (badge.isEmpty()) {
            QCOMPARE(texts.size(), 2);
        } else {
            const RecordingPaintDevice::Text* badgeText = device.findText(badge);
            QVERIFY2(badgeText, qPrintable(badge));
            QCOMPARE(badgeText->pen.name(), color(wt::color::WHITE));
        }
        const bool locked = std::any_of(device.engine.pixmaps.cbegin(), device.engine.pixmaps.cend(),
                                        [](const QRect& pixmap) { return pixmap == QRect(1, 1, 8, 8); });
        QCOMPARE(locked, lock);
    }

    void lockShowsOnSelectedCell()
    {
        Fixture grid;
        QStyleOptionViewItem option = cellOption();
        option.state |= QStyle::State_Selected | QStyle::State_HasFocus;
        RecordingPaintDevice device;
        paint(device, grid.delegate, option, grid.cell(grid.petrov, 2));
        QCOMPARE(device.engine.pixmaps.last(), QRect(1, 1, 8, 8));
    }

    void nameCarriesChangeMark_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addRow("unchanged") << false;
        QTest::addRow("changed") << true;
    }

    void nameCarriesChangeMark()
    {
        QFETCH(bool, changed);
        Fixture grid;
        if (changed)
            grid.model.setShiftForDate(grid.ivanov, Fixture::july(2), grid.morning);
        QStyleOptionViewItem option = cellOption(QRect(0, 0, 300, 52));
        option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        RecordingPaintDevice device;
        paint(device, grid.delegate, option, grid.cell(grid.ivanov, 0));
        QCOMPARE(device.engine.texts.size(), 1);
        QCOMPARE(device.engine.texts.first().text, changed ? QStringLiteral("Иванов*") : QStringLiteral("Иванов"));
        QCOMPARE(device.engine.texts.first().weight == QFont::Bold, changed);
    }

    void sizeHints()
    {
        Fixture grid;
        const QString longName = QStringLiteral("Константинопольский-Оглы Александр Александрович");
        grid.model.refreshModel(Fixture::july(1), Fixture::july(31), {Fixture::employee(grid.ivanov, longName)}, {},
                                {grid.shop});
        const QStyleOptionViewItem option = cellOption();
        QCOMPARE(grid.delegate.sizeHint(option, grid.cell(grid.ivanov, 0)).width(), 160);
        const int dayWidth = grid.delegate.sizeHint(option, grid.cell(grid.ivanov, 1)).width();
        QVERIFY(dayWidth > QFontMetrics(option.font).horizontalAdvance(QStringLiteral("00:00-00:00")));
        for (int day = 2; day <= 31; ++day)
            QCOMPARE(grid.delegate.sizeHint(option, grid.cell(grid.ivanov, day)).width(), dayWidth);
    }

    void wrongModelPaintsNothing()
    {
        WorkTimeItemDelegate delegate;
        QStandardItemModel model(1, 8);
        model.setData(model.index(0, 6), QStringLiteral("08:00-17:00"));
        const QModelIndex index = model.index(0, 6);
        const QRegularExpression wrongModel(QStringLiteral("wrong model QStandardItemModel"));
        RecordingPaintDevice device;
        ovtest::ignoreMessage(QtWarningMsg, wrongModel);
        paint(device, delegate, cellOption(), index);
        QVERIFY(device.engine.texts.isEmpty());
        ovtest::ignoreMessage(QtWarningMsg, wrongModel);
        QCOMPARE(delegate.sizeHint(cellOption(), index), QSize(-1, -1));
        QWidget parent;
        ovtest::ignoreMessage(QtWarningMsg, wrongModel);
        QVERIFY(!delegate.createEditor(&parent, cellOption(), index));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeItemDelegate)
#include "tst_worktimeitemdelegate.moc"
