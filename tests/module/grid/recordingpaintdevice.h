#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPaintEngine>
#include <QRect>

#include <algorithm>

// A 400 by 400 pixel image that remembers what was painted on it instead: the texts with their pen colour,
// weight and place, and where pixmaps went. Shapes are dropped.
class RecordingPaintDevice : public QImage
{
public:
    RecordingPaintDevice() : QImage(400, 400, QImage::Format_ARGB32) {}

    struct Text { QString text; QColor pen; int weight; QRectF rect; };

    class Engine : public QPaintEngine
    {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}

        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & DirtyPen)
                m_pen = state.pen().color();
        }
        void drawPixmap(const QRectF& rect, const QPixmap&, const QRectF&) override { pixmaps.append(rect.toRect()); }
        void drawTextItem(const QPointF& baseline, const QTextItem& item) override
        {
            texts.append({item.text(), m_pen, item.font().weight(),
                          QRectF(baseline.x(), baseline.y() - item.ascent(), item.width(), item.ascent() + item.descent())});
        }
        // The defaults of a device with every feature warn.
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        Type type() const override { return QPaintEngine::User; }

        QList<Text> texts;
        QList<QRect> pixmaps;

    private:
        QColor m_pen;
    };

    QPaintEngine* paintEngine() const override { return &engine; }

    const Text* findText(const QString& text) const
    {
        const auto found = std::find_if(engine.texts.cbegin(), engine.texts.cend(),
                                        [&text](const Text& drawn) { return drawn.text == text; });
        return found != engine.texts.cend() ? &*found : nullptr;
    }

    mutable Engine engine;
};
