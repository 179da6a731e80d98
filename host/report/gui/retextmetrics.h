#pragma once

#include "ovreport_export.h"

#include "recellstyle.h"
#include "repagesetup.h"

#include <QFont>
#include <QHash>
#include <QString>

#include <memory>

class QPainter;
class QRectF;
class QTextLayout;

/// Fonts and wrapped text of a report at a layout resolution. Fonts get pixel sizes at that
/// resolution, so a line breaks at the same place on screen, in a PDF and on a printer: those
/// paint the layout scaled. Laid-out texts are cached, since a month repeats a few day texts.
class OVREPORT_EXPORT RETextMetrics
{
public:
    RETextMetrics(const REPageSetup& page, int dpi);

    int dpi() const { return m_dpi; }
    qreal fromMM(qreal millimetres) const { return millimetres * m_dpi / 25.4; }

    QFont font(const RECellStyle& style) const;
    qreal lineHeight(const RECellStyle& style) const;
    /// The height of text wrapped to width, at least one line.
    qreal textHeight(const QString& text, const RECellStyle& style, qreal width);
    /// Lays text out in lines of width, first line at y 0.
    void layoutText(QTextLayout* layout, const QString& text, const RECellStyle& style, qreal width) const;
    /// Draws text wrapped in rect with the style's alignment and colour.
    void drawText(QPainter* painter, const QRectF& rect, const QString& text, const RECellStyle& style);

private:
    struct LaidText
    {
        qreal height = 0;
        /// Kept for the first texts only, so a report of distinct texts cannot fill the memory.
        std::shared_ptr<QTextLayout> layout;
    };

    int pixelSize(const RECellStyle& style) const;
    quint32 fontKey(const RECellStyle& style) const;
    const LaidText& laidText(const QString& text, const RECellStyle& style, qreal width);

    QString m_family;
    qreal m_fontSize = 0;
    int m_dpi = 0;
    mutable QHash<quint32, QFont> m_fonts;
    QHash<quint64, QHash<QString, LaidText>> m_texts;
    int m_keptLayouts = 0;
};
