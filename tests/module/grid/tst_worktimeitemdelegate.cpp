#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "recordingpaintdevice.h"
#include "vocabulary.h"

#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionViewItem>
#include <QTest>

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

    // The editor in the grid, opened by the first typed key: the keys, then how editing ends; the cell afterwards.
    void editorEnds_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("shown");
        QTest::addRow("enter commits") << "0900-1800" << int(Qt::Key_Enter) << "09:00-18:00";
        QTest::addRow("return commits overnight") << "22:00-06:00" << int(Qt::Key_Return) << "22:00-06:00";
        QTest::addRow("focus out commits") << "1000-1900" << int(Qt::Key_unknown) << "10:00-19:00";
        QTest::addRow("escape reverts") << "1000-1900" << int(Qt::Key_Escape) << "08:00-17:00";
        QTest::addRow("hour 24 cannot be typed") << "24:00-08:00" << int(Qt::Key_Enter) << "20:00-08:00";
    }

    void editorEnds()
    {
        QFETCH(QString, keys);
        QFETCH(int, ending);
        QFETCH(QString, shown);
        ShownPlanningGrid grid;
        QVERIFY(QTest::qWaitForWindowActive(&grid.view));
        grid.select({"ivanov:2"});
        grid.view.setFocus();
        QTest::keyClicks(&grid.view, keys.left(1));
        QPointer<QLineEdit> editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QTest::keyClicks(editor, keys.mid(1));
        if (ending == Qt::Key_unknown)
            grid.view.setFocus();
        else
            QTest::keyClick(editor, Qt::Key(ending));
        QCOMPARE(grid.text("ivanov:2"), shown);
        QCOMPARE(grid.grid.model.hasChanges(grid.grid.ivanov), ending != Qt::Key_Escape);
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
        paint(device, grid.delegate, cellOption(state), grid.at(QLatin1String(row.cell)));
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
