#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRect>

#include <algorithm>

// A paint device that remembers what was painted on it: the texts with their pen colour and weight, and
// where pixmaps went. Shapes are dropped.
class RecordingPaintDevice : public QPaintDevice
{
public:
    struct Text { QString text; QColor pen; int weight; };

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

protected:
    // A 400 by 400 pixel screen at 96 dpi.
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 400;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return metric >= PdmDpiX && metric <= PdmPhysicalDpiY ? 96 : 0;
        }
    }
};
