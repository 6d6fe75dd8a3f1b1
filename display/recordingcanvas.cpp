#include "recordingcanvas.h"

#include <QImage>

CanvasCall& RecordingCanvas::record(CanvasOp op)
{
    CanvasCall call{};
    call.op = op;
    call.start = state_.penPosition;
    call.state = state_;
    calls_.push_back(std::move(call));
    return calls_.back();
}

void RecordingCanvas::SetPen(const CanvasPen& pen)
{
    state_.pen = pen;
    record(CanvasOp::SetPen);
}

void RecordingCanvas::SetBrush(const CanvasBrush& brush)
{
    state_.brush = brush;
    record(CanvasOp::SetBrush);
}

void RecordingCanvas::SetFont(const CanvasFont& font)
{
    state_.font = font;
    record(CanvasOp::SetFont);
}

void RecordingCanvas::SetTextBackground(TextBackground background)
{
    state_.textBackground = background;
    record(CanvasOp::SetTextBackground);
}

void RecordingCanvas::SetTextMovesPen(bool moves)
{
    state_.textMovesPen = moves;
    record(CanvasOp::SetTextMovesPen);
}

void RecordingCanvas::MoveTo(QPoint p)
{
    const QPoint start = state_.penPosition;
    state_.penPosition = p;
    CanvasCall& call = record(CanvasOp::MoveTo);
    call.start = start;
    call.points = {p};
}

void RecordingCanvas::LineTo(QPoint p)
{
    const QPoint start = state_.penPosition;
    state_.penPosition = p;
    CanvasCall& call = record(CanvasOp::LineTo);
    call.start = start;
    call.points = {p};
}

void RecordingCanvas::Polyline(std::span<const QPoint> points)
{
    record(CanvasOp::Polyline).points.assign(points.begin(), points.end());
}

void RecordingCanvas::FillRect(const CanvasRect& r)
{
    record(CanvasOp::FillRect).rect = r;
}

void RecordingCanvas::Rectangle(const CanvasRect& r)
{
    record(CanvasOp::Rectangle).rect = r;
}

void RecordingCanvas::Polygon(std::span<const QPoint> points)
{
    record(CanvasOp::Polygon).points.assign(points.begin(), points.end());
}

void RecordingCanvas::TextOut(QPoint at, const QString& text)
{
    const QPoint start = state_.penPosition;
    if (state_.textMovesPen)
        state_.penPosition = QPoint(at.x() + TextExtent(text).width(), at.y());
    CanvasCall& call = record(CanvasOp::TextOut);
    call.start = start;
    call.points = {at};
    call.text = text;
}

void RecordingCanvas::TextOutClipped(QPoint at, const QString& text, int clipRight)
{
    TextOut(at, text);
    calls_.back().clipRight = clipRight;
}

QSize RecordingCanvas::TextExtent(const QString& text) const
{
    const int height = FontPixelHeight(state_.font.points, resolution_);
    return QSize(static_cast<int>(text.size()) * ((height + 1) / 2), height);
}

void RecordingCanvas::CopyImage(const CanvasRect& destination, const QImage& image, const CanvasRect& source)
{
    CanvasCall& call = record(CanvasOp::CopyImage);
    call.rect = destination;
    call.source = source;
    call.imageSize = image.size();
}

std::vector<CanvasCall> RecordingCanvas::callsOf(CanvasOp op) const
{
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : calls_)
        if (call.op == op)
            found.push_back(call);
    return found;
}

std::vector<CanvasSegment> RecordingCanvas::segments() const
{
    std::vector<CanvasSegment> found;
    for (const CanvasCall& call : calls_) {
        if (call.op == CanvasOp::LineTo) {
            found.push_back({call.start, call.points.front(), call.state.pen});
        } else if (call.op == CanvasOp::Polyline) {
            for (std::size_t i = 1; i < call.points.size(); ++i)
                found.push_back({call.points[i - 1], call.points[i], call.state.pen});
        }
    }
    return found;
}
