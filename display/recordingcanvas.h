#pragma once

#include "canvas.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

enum class CanvasOp {
    SetPen,
    SetBrush,
    SetFont,
    SetTextBackground,
    SetTextMovesPen,
    MoveTo,
    LineTo,
    Polyline,
    FillRect,
    Rectangle,
    Polygon,
    TextOut,
    CopyImage,
};

// One canvas call with its arguments as plain values, and the canvas state
// right after it (for a LineTo, `start` is where the line began).
struct CanvasCall {
    CanvasOp op;
    std::vector<QPoint> points;   // MoveTo/LineTo target, Polyline/Polygon vertices, TextOut anchor
    CanvasRect rect;              // FillRect, Rectangle, CopyImage destination
    CanvasRect source;            // CopyImage source rectangle
    QSize imageSize;              // CopyImage source image
    QString text;                 // TextOut
    std::optional<int> clipRight; // TextOut drawn with TextOutClipped
    QPoint start;                 // pen position before the call
    CanvasState state;
};

// A drawn line piece: one LineTo, or one segment of a Polyline.
struct CanvasSegment {
    QPoint from;
    QPoint to;
    CanvasPen pen;
};

// A canvas that draws nothing and remembers every call, for tests and for
// code that inspects a drawing. It keeps the state like a real canvas.
// Text is measured without a font engine: the cell is as high as the font's
// pixel height and each character half of that, rounded up.
class RecordingCanvas final : public Canvas {
public:
    // How a text is measured when the drawing asks: by default the font's
    // pixel height and half of it per character; tests of text placement
    // give the real font's measure (PainterTextExtent).
    using TextMeasure =
        std::function<QSize(const CanvasFont& font, int resolution, const QString& text)>;

    explicit RecordingCanvas(int resolution = 96, TextMeasure measure = {})
        : resolution_(resolution), measure_(std::move(measure))
    {
    }

    void SetPen(const CanvasPen& pen) override;
    void SetBrush(const CanvasBrush& brush) override;
    void SetFont(const CanvasFont& font) override;
    void SetTextBackground(TextBackground background) override;
    void SetTextMovesPen(bool moves) override;
    const CanvasState& State() const override { return state_; }

    void MoveTo(QPoint p) override;
    void LineTo(QPoint p) override;
    void Polyline(std::span<const QPoint> points) override;

    void FillRect(const CanvasRect& r) override;
    void Rectangle(const CanvasRect& r) override;
    void Polygon(std::span<const QPoint> points) override;

    void TextOut(QPoint at, const QString& text) override;
    // Recorded as a TextOut call that carries its clipRight.
    void TextOutClipped(QPoint at, const QString& text, int clipRight) override;
    QSize TextExtent(const QString& text) const override;

    void CopyImage(const CanvasRect& destination, const QImage& image,
                   const CanvasRect& source) override;

    int Resolution() const override { return resolution_; }

    const std::vector<CanvasCall>& calls() const { return calls_; }
    std::vector<CanvasCall> callsOf(CanvasOp op) const;
    // Every line piece in drawing order, with the pen it was drawn with.
    std::vector<CanvasSegment> segments() const;
    // The pixels a drawing call can paint, as the rectangle around its
    // geometry (a line's end point and a clipped text's part from clipRight
    // on excluded, pen width not counted); none for calls that paint
    // nothing (state changes, MoveTo, empty text or rectangles).
    std::optional<CanvasRect> PaintedArea(const CanvasCall& call) const;
    // The drawing calls whose painted area reaches outside `box`.
    std::vector<CanvasCall> CallsOutside(const CanvasRect& box) const;
    void clear() { calls_.clear(); }

private:
    CanvasCall& record(CanvasOp op);

    int resolution_;
    TextMeasure measure_;
    CanvasState state_;
    std::vector<CanvasCall> calls_;
};
