#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRect>

// A paint device that remembers what was painted on it: the texts with their pen colour and weight, and
// where pixmaps went. Shapes are only counted.
class RecordingPaintDevice : public QPaintDevice
{
public:
    struct Text
    {
        QString text;
        QColor pen;
        int weight;
    };

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
        void drawTextItem(const QPointF&, const QTextItem& item) override
        {
            texts.append({item.text(), m_pen, item.font().weight()});
        }
        void drawPath(const QPainterPath&) override { ++shapes; }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++shapes; }
        Type type() const override { return QPaintEngine::User; }

        QList<Text> texts;
        QList<QRect> pixmaps;
        int shapes = 0;

    private:
        QColor m_pen;
    };

    QPaintEngine* paintEngine() const override { return &engine; }

    const Text* findText(const QString& text) const
    {
        for (const Text& drawn : engine.texts) {
            if (drawn.text == text)
                return &drawn;
        }
        return nullptr;
    }

    mutable Engine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 400;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }
};
