#include "planningreportbuilder.h"

#include "vocabulary.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Day sections from the seventeenth on do not fit a landscape A4 sheet.
constexpr int MaxA4Days = 16;
// Columns in millimetres: number, name, personnel number, job; then the days share what is left; then the
// norm, the planned hours and the balance.
constexpr qreal LeadingWidths[] = {11, 40, 14, 30};
constexpr qreal TrailingWidth = 17;
// The totals of a big month run to six digits before the point: a smaller type keeps them on one line.
constexpr qreal TotalsFontSize = 7;
constexpr qreal DayFontSize = 6;
// How often a long table asks whether to go on.
constexpr int RowsPerCheck = 256;

const char* const MonthNames[] = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                  "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
const char* const WeekdayNames[] = {"пн", "вт", "ср", "чт", "пт", "сб", "вс"};

RECellStyle headerStyle()
{
    RECellStyle style;
    style.bold = true;
    style.alignment = Qt::AlignCenter;
    return style;
}

RECellStyle dayStyle(bool dayOff)
{
    RECellStyle style;
    style.fontSize = DayFontSize;
    style.alignment = Qt::AlignCenter;
    if (dayOff)
        style.fill = QColor(QLatin1String(orvanta::wt::color::LIGHTGRAY));
    return style;
}

RECellStyle numberStyle(bool bold)
{
    RECellStyle style;
    style.bold = bold;
    style.alignment = Qt::AlignRight | Qt::AlignVCenter;
    return style;
}

RECell spanning(const QString& text, int columns, int rows, const RECellStyle& style)
{
    RECell cell = RECell::textCell(text, style);
    cell.columnSpan = columns;
    cell.rowSpan = rows;
    return cell;
}

RECell hoursCell(qint64 seconds, const RECellStyle& style)
{
    const QString text = PlanningReportFigures::hoursText(seconds);
    return RECell::numberCell(text.toDouble(), text, style);
}

REText paragraph(const QString& text, bool bold, qreal fontSize = 0)
{
    REText block;
    block.text = text;
    block.style.bold = bold;
    block.style.fontSize = fontSize;
    block.style.border = false;
    return block;
}

} // namespace

PlanningReportBuilder::PlanningReportBuilder(const PlanningReportData& data,
                                             const std::vector<PlanningReportFigures>& figures, KeepGoing keepGoing)
    : m_data(data), m_figures(figures), m_keepGoing(std::move(keepGoing))
{
}

REDocument PlanningReportBuilder::build() const
{
    REDocument document;
    document.setTitle(title());
    document.setPageSetup(pageSetup());
    document.addText(paragraph(title(), true, 12));
    document.addText(paragraph(QStringLiteral("Подразделения: ") + m_data.departments, false));
    document.addText(paragraph(approval(), false));
    document.addTable(table(document.pageSetup().bodyWidthMM()));
    return document;
}

REPageSetup PlanningReportBuilder::pageSetup() const
{
    REPageSetup setup;
    setup.orientation = QPageLayout::Landscape;
    setup.pageSize = dayCount() > MaxA4Days ? QPageSize::A3 : QPageSize::A4;
    return setup;
}

QString PlanningReportBuilder::title() const
{
    return QStringLiteral("График работ за %1 %2")
        .arg(QString::fromUtf8(MonthNames[m_data.start.month() - 1]))
        .arg(m_data.start.year());
}

// Approved when every row's plan of the month is, on the day of the last approval.
QString PlanningReportBuilder::approval() const
{
    QDateTime last;
    for (const PlanningReportData::Row& row : m_data.rows) {
        if (!row.sync.saveTime.isValid())
            return QStringLiteral("Не утвержден");
        last = qMax(last, row.sync.saveTime.toLocalTime());
    }
    if (!last.isValid())
        return QStringLiteral("Не утвержден");
    return QStringLiteral("Утвержден ") + last.date().toString(QStringLiteral("dd.MM.yyyy"));
}

RETable PlanningReportBuilder::table(qreal bodyWidth) const
{
    RETable table;
    qreal fixed = 3 * TrailingWidth;
    for (const qreal width : LeadingWidths) {
        table.columnWidths.append(width);
        fixed += width;
    }
    const qreal dayWidth = qMax<qreal>(1, std::floor((bodyWidth - fixed) / dayCount() * 10) / 10);
    for (int day = 0; day < dayCount(); ++day)
        table.columnWidths.append(dayWidth);
    for (int column = 0; column < 3; ++column)
        table.columnWidths.append(TrailingWidth);
    table.rows = headerRows();
    table.headerRows = table.rows.size();
    int number = 0;
    for (const int row : rowsByName()) {
        if (number % RowsPerCheck == 0 && m_keepGoing && !m_keepGoing())
            return table;
        table.rows.append(employeeRow(++number, row));
    }
    table.rows.append(totalsRow());
    return table;
}

// Two rows: the day's number over its weekday; the other headings span both.
QList<QList<RECell>> PlanningReportBuilder::headerRows() const
{
    const RECellStyle style = headerStyle();
    QList<RECell> numbers;
    QList<RECell> weekdays;
    for (const char* heading : {"№", "ФИО", "Таб. №", "Должность"})
        numbers.append(spanning(QString::fromUtf8(heading), 1, 2, style));
    for (int day = 0; day < dayCount(); ++day) {
        const QDate date = m_data.start.addDays(day);
        RECellStyle dayHeading = style;
        dayHeading.fill = dayStyle(isDayOff(day)).fill;
        numbers.append(RECell::textCell(QString::number(date.day()), dayHeading));
        weekdays.append(RECell::textCell(QString::fromUtf8(WeekdayNames[date.dayOfWeek() - 1]), dayHeading));
    }
    for (const char* heading : {"Норма", "План", "Баланс"})
        numbers.append(spanning(QString::fromUtf8(heading), 1, 2, style));
    return {numbers, weekdays};
}

QList<RECell> PlanningReportBuilder::employeeRow(int number, int row) const
{
    const PlanningReportData::Row& data = m_data.rows.at(row);
    const PlanningReportFigures& figures = m_figures.at(size_t(row));
    QList<RECell> cells{RECell::numberCell(number, QString::number(number), numberStyle(false)),
                        RECell::textCell(data.name.trimmed()), RECell::textCell(data.number),
                        RECell::textCell(m_data.jobNames.value(data.jobUid))};
    for (int day = 0; day < dayCount(); ++day)
        cells.append(RECell::textCell(figures.days().value(day).text, dayStyle(isDayOff(day))));
    for (const qint64 seconds : {figures.norm(), figures.planned(), figures.balance()})
        cells.append(hoursCell(seconds, numberStyle(false)));
    return cells;
}

QList<RECell> PlanningReportBuilder::totalsRow() const
{
    QVector<qint64> days(dayCount());
    qint64 norm = 0;
    qint64 planned = 0;
    qint64 balance = 0;
    for (const PlanningReportFigures& figures : m_figures) {
        for (int day = 0; day < dayCount(); ++day)
            days[day] += figures.days().value(day).seconds;
        norm += figures.norm();
        planned += figures.planned();
        balance += figures.balance();
    }
    RECellStyle label = headerStyle();
    label.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QList<RECell> cells{spanning(QStringLiteral("Итого"), int(std::size(LeadingWidths)), 1, label)};
    for (int day = 0; day < dayCount(); ++day) {
        RECellStyle style = dayStyle(isDayOff(day));
        style.bold = true;
        RECell cell = hoursCell(days.at(day), style);
        // A day column has room for five digits: thousands of hours are printed whole, the sheet keeps them exact.
        if (qAbs(cell.number) >= 1000)
            cell.text = QString::number(qRound64(cell.number));
        cells.append(cell);
    }
    RECellStyle totals = numberStyle(true);
    totals.fontSize = TotalsFontSize;
    for (const qint64 seconds : {norm, planned, balance})
        cells.append(hoursCell(seconds, totals));
    return cells;
}

QList<int> PlanningReportBuilder::rowsByName() const
{
    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    QList<int> order;
    for (int row = 0; row < m_data.rows.size(); ++row)
        order.append(row);
    std::stable_sort(order.begin(), order.end(), [this, &collator](int a, int b) {
        const PlanningReportData::Row& first = m_data.rows.at(a);
        const PlanningReportData::Row& second = m_data.rows.at(b);
        const int byName = collator.compare(first.name.trimmed(), second.name.trimmed());
        return byName != 0 ? byName < 0 : first.number < second.number;
    });
    return order;
}

// Shaded as the grid shades them: the production calendar's days off and holidays.
bool PlanningReportBuilder::isDayOff(int day) const
{
    const auto kind = m_data.dayKinds.constFind(m_data.start.addDays(day));
    return kind != m_data.dayKinds.cend() && (*kind == orvanta::wt::DayOff || *kind == orvanta::wt::Holiday);
}

int PlanningReportBuilder::dayCount() const
{
    return int(m_data.start.daysTo(m_data.finish)) + 1;
}
