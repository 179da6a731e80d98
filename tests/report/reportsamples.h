#pragma once

#include "redocument.h"

// A planning-shaped report: a title, a table whose two header rows group the days under one
// spanning cell, then employees with their name spanning two rows (hours, then the interval).
inline REDocument sampleReport(int employees, int days = 3)
{
    REDocument document;
    document.setTitle(QStringLiteral("План работы за май"));
    RECellStyle heading;
    heading.bold = true;
    heading.fontSize = 12;
    document.addText({QStringLiteral("План работы за май"), heading});
    RETable table;
    table.headerRows = 2;
    table.columnWidths = {40};
    RECellStyle head;
    head.bold = true;
    head.fill = QColor(0xdd, 0xee, 0xff);
    head.alignment = Qt::AlignCenter;
    table.rows.append({RECell::textCell(QStringLiteral("Сотрудник"), head)});
    table.rows.first().first().rowSpan = 2;
    table.rows.first().append(RECell::textCell(QStringLiteral("Дни месяца"), head));
    table.rows.first().last().columnSpan = days;
    table.rows.append(QList<RECell>());
    for (int day = 1; day <= days; ++day) {
        table.columnWidths.append(12);
        table.rows.last().append(RECell::textCell(QString::number(day), head));
    }
    for (int employee = 1; employee <= employees; ++employee) {
        QList<RECell> hours{RECell::textCell(QStringLiteral("Сотрудник %1").arg(employee))};
        hours.first().rowSpan = 2;
        QList<RECell> intervals;
        for (int day = 1; day <= days; ++day) {
            hours.append(RECell::numberCell(8, QStringLiteral("8.00")));
            intervals.append(RECell::textCell(QStringLiteral("09:00-18:00")));
        }
        table.rows.append(hours);
        table.rows.append(intervals);
    }
    document.addTable(table);
    return document;
}
