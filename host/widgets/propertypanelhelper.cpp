#include "propertypanelhelper.h"

#include <QIcon>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

QColor PropertyPanelHelper::titleColor()
{
    return QColor(0x00, 0x5A, 0x9C);
}

QTextCharFormat PropertyPanelHelper::titleFormat()
{
    QTextCharFormat format;
    format.setFontPointSize(12);
    format.setFontWeight(QFont::Bold);
    format.setForeground(titleColor());
    return format;
}

QTextCharFormat PropertyPanelHelper::nameFormat()
{
    QTextCharFormat format;
    format.setFontPointSize(9);
    format.setForeground(QColor(0x62, 0x62, 0x62));
    return format;
}

QTextCharFormat PropertyPanelHelper::textFormat()
{
    QTextCharFormat format;
    format.setFontPointSize(10);
    format.setForeground(Qt::black);
    return format;
}

QImage PropertyPanelHelper::objectPicture(const QString& type, int size)
{
    return QIcon::fromTheme(QLatin1String("object-") + type).pixmap(size, size).toImage();
}

void PropertyPanelHelper::insertHeader(QTextCursor& cursor, const QString& type, const QString& title)
{
    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    tableFormat.setCellPadding(2);
    QTextTable* table = cursor.insertTable(1, 2, tableFormat);
    // Each picture its own resource name, so panels of several types can share one document.
    const QString resource = QStringLiteral("panel-picture://%1").arg(type);
    cursor.document()->addResource(QTextDocument::ImageResource, QUrl(resource), objectPicture(type));
    QTextCursor pictureCell = table->cellAt(0, 0).firstCursorPosition();
    pictureCell.insertImage(resource);
    QTextCursor titleCell = table->cellAt(0, 1).firstCursorPosition();
    titleCell.insertText(title, titleFormat());
    cursor.movePosition(QTextCursor::End);
}

void PropertyPanelHelper::insertField(QTextCursor& cursor, const QString& label, const QString& value)
{
    cursor.insertBlock();
    cursor.insertText(label, nameFormat());
    cursor.insertBlock();
    cursor.insertText(value, textFormat());
}
