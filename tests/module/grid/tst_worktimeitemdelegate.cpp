#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "recordingpaintdevice.h"
#include "vocabulary.h"
#include "worktimecompacttexts.h"

#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QWindow>

using namespace orvanta;
using Fixture = PlanningGridFixture;

namespace {

QStyleOptionViewItem cellOption(QStyle::State state = {}, const QRect& rect = QRect(0, 0, 90, 52))
{
    QStyleOptionViewItem option;
    option.rect = rect;
    option.state = QStyle::State_Enabled | QStyle::State_Active | state;
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

// The option of a cell as wide as the delegate asks for, or percent of that.
QStyleOptionViewItem sizedOption(const WorkTimeItemDelegate& delegate, const QModelIndex& index,
                                 QStyle::State state = {}, int percent = 100)
{
    QStyleOptionViewItem option = cellOption(state);
    const QSize hint = delegate.sizeHint(option, index);
    option.rect = QRect(0, 0, hint.width() * percent / 100, hint.height() > 0 ? hint.height() : 52);
    return option;
}

struct PaintCase { const char* cell; bool selected; const char* interval; char intervalColor; const char* hours;
                   char hoursColor; const char* badge; bool lock; };

} // namespace

Q_DECLARE_METATYPE(PaintCase)

class tst_WorkTimeItemDelegate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }
    void cleanup() { AuthData::clear(); }

    // A planner types on Saturday the 6th, a day off: the keys go through the window to whatever has the focus,
    // the first one opening the editor ('\b' is Backspace); then the ending key, or leaving the cell. The day
    // afterwards, and what the editor shows when it stayed open with the hint.
    void typedInterval_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("result");
        const int enter = Qt::Key_Return;
        QTest::addRow("one-digit hour") << "8:00-17:00" << enter << "08:00-17:00";
        QTest::addRow("one-digit hour, minutes") << "9:30-18:00" << int(Qt::Key_Enter) << "09:30-18:00";
        QTest::addRow("hours only") << "8-17" << enter << "08:00-17:00";
        QTest::addRow("finish without minutes") << "8:00-17" << enter << "08:00-17:00";
        QTest::addRow("dot for colon") << "9.30-18" << enter << "09:30-18:00";
        QTest::addRow("overnight") << "22-6" << enter << "22:00-06:00";
        QTest::addRow("digits only") << "0800-1700" << enter << "08:00-17:00";
        QTest::addRow("three digits") << "830-1730" << enter << "08:30-17:30";
        QTest::addRow("full form") << "08:00-17:00" << enter << "08:00-17:00";
        QTest::addRow("spaces around the dash") << "8 - 17" << enter << "08:00-17:00";
        QTest::addRow("hour one, not ten") << "1-12" << enter << "01:00-12:00";
        QTest::addRow("one-digit minute") << "8:5-17" << enter << "08:05-17:00";
        QTest::addRow("backspace corrects") << "9-18\b7" << enter << "09:00-17:00";
        QTest::addRow("a letter is refused") << "8-1x7" << enter << "08:00-17:00";
        QTest::addRow("focus out commits") << "10-19" << int(Qt::Key_unknown) << "10:00-19:00";
        QTest::addRow("escape reverts") << "10-19" << int(Qt::Key_Escape) << "В";
        QTest::addRow("hour 24") << "24:00-08:00" << enter << "В open 24:00-08:00";
        QTest::addRow("minute 60") << "8:60-17" << enter << "В open 08:60-17:00";
        QTest::addRow("no finish") << "8-" << enter << "В open 08:00-00:00";
        QTest::addRow("no dash, digits on their way") << "080" << enter << "В open 08:00-00:00";
    }

    void typedInterval()
    {
        QFETCH(QString, keys);
        QFETCH(int, ending);
        QFETCH(QString, result);
        ShownPlanningGrid grid;
        QVERIFY(QTest::qWaitForWindowActive(&grid.view));
        grid.select({"ivanov:6"});
        grid.view.setFocus();
        QWindow* window = grid.view.windowHandle();
        for (const QChar key : keys)
            QTest::keyClick(window, key.toLatin1());
        if (result.contains(QLatin1String("open")))
            ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()"); // the hint's tool tip
        if (ending == Qt::Key_unknown)
            grid.view.setFocus();
        else
            QTest::keyClick(window, Qt::Key(ending));
        const auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QCOMPARE(grid.text("ivanov:6") + (editor ? QStringLiteral(" open ") + editor->displayText() : QString()), result);
        QCOMPARE(grid.grid.model.hasChanges(grid.grid.ivanov), !result.startsWith(QStringLiteral("В")));
        if (editor)
            QCOMPARE(editor->toolTip(), QStringLiteral("Введите время как 8:00-17:00"));
    }

    // One day cell painted: its interval text and colour, the hours text and colour, the badge, the lock. Colours:
    // T the palette's button text, H its highlighted text, L the light grey, D the dark one.
    void paintsDay_data()
    {
        QTest::addColumn<PaintCase>("row");
        const char* none = "--:-- --:--";
        QTest::newRow("work day") << PaintCase{"ivanov:2", false, "08:00-17:00", 'T', "8.00", 'D', "", false};
        QTest::newRow("full-day absence keeps its badge")
            << PaintCase{"ivanov:3", false, none, 'L', "0.00", 'L', "ОТ", false};
        QTest::newRow("part-day absence only") << PaintCase{"ivanov:7", false, none, 'L', "2.00", 'D', "Д", false};
        QTest::newRow("before employment is locked") << PaintCase{"petrov:2", false, none, 'L', "0.00", 'L', "", true};
        QTest::newRow("selected, locked: the lock stays on top")
            << PaintCase{"petrov:2", true, none, 'H', "0.00", 'H', "", true};
        QTest::newRow("trip elsewhere is locked") << PaintCase{"sidorov:16", false, none, 'L', "0.00", 'L', "К", true};
    }

    void paintsDay()
    {
        QFETCH(PaintCase, row);
        const QPalette palette = QApplication::palette();
        const QHash<char, QString> colors{{'T', palette.color(QPalette::Active, QPalette::ButtonText).name()},
                                          {'H', palette.color(QPalette::Active, QPalette::HighlightedText).name()},
                                          {'L', color(wt::color::DISABLED_TEXT)},
                                          {'D', color(wt::color::ENABLED_TEXT)}};
        Fixture grid;
        grid.addAbsences();

        RecordingPaintDevice device;
        const QStyle::State state = row.selected ? QStyle::State_Selected | QStyle::State_HasFocus : QStyle::State();
        const QModelIndex index = grid.at(QLatin1String(row.cell));
        paint(device, grid.delegate, sizedOption(grid.delegate, index, state), index);
        const RecordingPaintDevice::Text* interval = device.findText(QLatin1String(row.interval));
        QVERIFY2(interval, row.interval);
        QCOMPARE(interval->pen.name(), colors.value(row.intervalColor));
        const RecordingPaintDevice::Text* hours = device.findText(QLatin1String(row.hours));
        QVERIFY2(hours, row.hours);
        QCOMPARE(hours->pen.name(), colors.value(row.hoursColor));
        // Hours that count are bold.
        QCOMPARE(hours->weight == QFont::Bold, QLatin1String(row.hours) != QLatin1String("0.00"));
        const QString badge = QString::fromUtf8(row.badge);
        QCOMPARE(device.engine.texts.size(), badge.isEmpty() ? 2 : 3);
        if (!badge.isEmpty())
            QCOMPARE(device.findText(badge)->pen.name(), color(wt::color::WHITE));
        QCOMPARE(device.engine.pixmaps.last() == QRect(1, 1, 8, 8), row.lock);
    }

    // What a day shows in each mode and in a column the planner narrowed: every text whole and inside the cell.
    void dayTextsFitTheCell_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("texts");
        QTest::addRow("work day") << false << 100 << "ivanov:2" << "08:00-17:00 8.00";
        QTest::addRow("full-day absence") << false << 100 << "ivanov:3" << "--:-- --:-- ОТ 0.00";
        QTest::addRow("part-day absence") << false << 100 << "ivanov:7" << "--:-- --:-- Д 2.00";
        QTest::addRow("narrowed: the short interval") << false << 60 << "ivanov:2" << "8-17 8.00";
        QTest::addRow("narrowed: no room for the hours") << false << 45 << "ivanov:7" << "Д";
        QTest::addRow("compact work day") << true << 100 << "ivanov:2" << "8-17 8";
        QTest::addRow("compact full-day absence") << true << 100 << "ivanov:3" << "ОТ";
        QTest::addRow("compact part-day absence") << true << 100 << "ivanov:7" << "Д 2";
        QTest::addRow("compact overnight") << true << 100 << "pavlov:2" << "22-6 7";
    }

    void dayTextsFitTheCell()
    {
        QFETCH(bool, compact);
        QFETCH(int, percent);
        QFETCH(QString, cell);
        QFETCH(QString, texts);
        Fixture grid;
        grid.addAbsences();
        grid.model.setShiftForDate(grid.pavlov, Fixture::july(2), grid.night);
        grid.delegate.setCompact(compact);
        const QModelIndex index = grid.at(cell);
        const QStyleOptionViewItem option = sizedOption(grid.delegate, index, {}, percent);
        RecordingPaintDevice device;
        paint(device, grid.delegate, option, index);
        QStringList painted;
        for (const RecordingPaintDevice::Text& text : device.engine.texts) {
            painted.append(text.text);
            QVERIFY2(QRectF(option.rect).contains(text.rect), qPrintable(text.text));
        }
        QCOMPARE(painted.join(QLatin1Char(' ')), texts);
        for (const QRect& pixmap : device.engine.pixmaps)
            QVERIFY(option.rect.contains(pixmap));
    }

    // Days off and holidays of the production calendar are tinted, whatever else the day shows; a selected day
    // keeps the selection's colour.
    void dayOffIsShaded_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("tinted");
        QTest::addRow("calendar not sent") << -1 << false << false;
        QTest::addRow("working day") << int(wt::WorkingDay) << false << false;
        QTest::addRow("shortened day") << int(wt::ShortenedDay) << false << false;
        QTest::addRow("day off") << int(wt::DayOff) << false << true;
        QTest::addRow("holiday") << int(wt::Holiday) << false << true;
        QTest::addRow("selected holiday") << int(wt::Holiday) << true << false;
    }

    void dayOffIsShaded()
    {
        QFETCH(int, kind);
        QFETCH(bool, selected);
        QFETCH(bool, tinted);
        Fixture grid;
        if (kind >= 0)
            grid.model.setDayKinds({{Fixture::july(6), kind}});
        const QModelIndex index = grid.at(QStringLiteral("ivanov:6"));
        const auto option = sizedOption(grid.delegate, index, selected ? QStyle::State_Selected : QStyle::State());
        QImage image(option.rect.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        grid.delegate.paint(&painter, option, index);
        const QColor corner = image.pixelColor(option.rect.right() - 1, 1);
        const QColor expected = selected ? option.palette.color(QPalette::Active, QPalette::Highlight) : QColor(Qt::white);
        QCOMPARE(corner != expected, tinted);
        QCOMPARE(corner.red() > corner.green(), tinted);
    }

    // The short texts of the compact mode beyond those the cells above paint: "kind input" and the text.
    void compactTexts_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::addRow("minutes stay") << "interval 9.5-18" << "9:30-18";
        QTest::addRow("no trailing zero") << "hours 7.5" << "7.5";
        QTest::addRow("negative hours") << "hours -8.5" << "-8.5";
        QTest::addRow("pair of figures") << "figures 176.00 / 184.50" << "176/184.5";
        QTest::addRow("unknown balance stays") << "figures -8.00 / ???" << "-8/???";
        QTest::addRow("full name") << "name Александров Антон Игоревич" << "Александров А.И.";
        QTest::addRow("amount in thousands") << "amount 1628600" << "1629т";
        QTest::addRow("negative amount") << "amount -2500000" << "-2500т";
    }

    void compactTexts()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QString kind = input.section(' ', 0, 0);
        const QString value = input.section(' ', 1);
        const auto seconds = [](const QString& hours) { return qRound(hours.toDouble() * 3600); };
        const QString actual = kind == "interval"
            ? WorkTimeCompactTexts::interval(seconds(value.section('-', 0, 0)), seconds(value.section('-', 1)))
            : kind == "hours"   ? WorkTimeCompactTexts::hours(seconds(value))
            : kind == "figures" ? WorkTimeCompactTexts::figures(value)
            : kind == "name"    ? WorkTimeCompactTexts::name(value)
                                : WorkTimeCompactTexts::amount(value.toLongLong(), 5);
        QCOMPARE(actual, expected);
    }

    // A changed employee's name carries a mark and turns bold.
    void nameCarriesChangeMark()
    {
        Fixture grid;
        QStringList painted;
        for (bool changed : {false, true}) {
            if (changed)
                grid.model.setShiftForDate(grid.ivanov, Fixture::july(2), grid.morning);
            RecordingPaintDevice device;
            paint(device, grid.delegate, cellOption({}, QRect(0, 0, 300, 52)), grid.at(QStringLiteral("ivanov:0")));
            for (const RecordingPaintDevice::Text& text : device.engine.texts)
                painted.append(text.text + (text.weight == QFont::Bold ? QStringLiteral(" bold") : QString()));
        }
        QCOMPARE(painted, (QStringList{"Иванов", "Иванов* bold"}));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeItemDelegate)
#include "tst_worktimeitemdelegate.moc"
