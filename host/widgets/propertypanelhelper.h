#pragma once

#include "ovwidgets_export.h"

#include <QColor>
#include <QImage>
#include <QTextCharFormat>

class QTextCursor;

/// The look of the property panels beside the registers: text formats, the object's picture,
/// and the blocks a panel document is written from.
class OVWIDGETS_EXPORT PropertyPanelHelper
{
public:
    PropertyPanelHelper() = delete;

    static QColor titleColor();
    static QTextCharFormat titleFormat();
    /// The label of a field.
    static QTextCharFormat nameFormat();
    /// The value of a field.
    static QTextCharFormat textFormat();
    /// The theme icon "object-<type>" as a picture for a document.
    static QImage objectPicture(const QString& type, int size = 32);

    /// A borderless table: the type's picture on the left, the title on the right.
    static void insertHeader(QTextCursor& cursor, const QString& type, const QString& title);
    /// The label in the name format, the value below it in the text format.
    static void insertField(QTextCursor& cursor, const QString& label, const QString& value);
};
