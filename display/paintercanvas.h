#pragma once

#include "canvas.h"
#include "lineraster.h"
#include "widelineraster.h"

#include <QFont>
#include <QFontMetrics>

class QImage;
class QPainter;

// The canvas over a QPainter that is active on an image, a widget or a
// printer. Canvas coordinates are the device's pixels, so the painter must
// carry no transformation. Lines, rectangles and polygons are drawn without
// antialiasing: 1-pixel lines are rasterised here, pixel by pixel, with the
// end point left out; wider pens are stroked with round ends, by the painter
// or, for even widths on a plain 32-bit image, here into its scanlines.
// Text keeps the painter's text smoothing.
class PainterCanvas final : public Canvas {
public:
    explicit PainterCanvas(QPainter& painter);

    void SetPen(const CanvasPen& pen) override;
    void SetBrush(const CanvasBrush& brush) override;
    void SetFont(const CanvasFont& font) override;
    void SetTextBackground(TextBackground background) override;
    void SetTextMovesPen(bool moves) override;
    const CanvasState& State() const override { return state_; }

    void MoveTo(QPoint p) override;
    void LineTo(QPoint p) override;
    void Polyline(std::span<const QPoint> points) override;
    void Lines(std::span<const CanvasLine> lines) override;

    void FillRect(const CanvasRect& r) override;
    void Rectangle(const CanvasRect& r) override;
    void Polygon(std::span<const QPoint> points) override;

    void TextOut(QPoint at, const QString& text) override;
    void TextOutClipped(QPoint at, const QString& text, int clipRight) override;
    QSize TextExtent(const QString& text) const override;

    void CopyImage(const CanvasRect& destination, const QImage& image,
                   const CanvasRect& source) override;

    int Resolution() const override { return resolution_; }

private:
    bool thinPen() const { return state_.pen.width <= 1; }
    void strokeThin(QPoint from, QPoint to);
    bool writesThinDirectly() const;
    bool strokeThinColumnsDirect(std::span<const CanvasLine> lines);
    bool strokeStyledVector(QPoint from, QPoint to);
    bool writesWideDirectly() const;
    void strokeWideDirect(QPoint from, QPoint to);
    void strokeThinClosed(std::span<const QPoint> points);
    void usePainterPen(Qt::PenJoinStyle join);
    QPointF penCentre(QPoint p) const;

    QPainter& painter_;
    QImage* image_ = nullptr; // the painter's 32-bit image, written directly by 1-pixel lines
    int resolution_;
    CanvasState state_;
    LinePattern pattern_;
    QFont font_;
    QFontMetrics metrics_;
};

// The cell PainterCanvas gives `text` in `font` on a device of `resolution`
// dots per inch: its advance and the font's line height.
QSize PainterTextExtent(const CanvasFont& font, int resolution, const QString& text);
