#include "recordingcanvas.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>

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
    if (measure_)
        return measure_(state_.font, resolution_, text);
    const int height = FontPixelHeight(state_.font.points, resolution_);
    return QSize(static_cast<int>(text.size()) * ((height + 1) / 2), height);
}

void RecordingCanvas::CopyImage(const CanvasRect& destination, const QImage& image,
                                const CanvasRect& source)
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

namespace {

std::optional<CanvasRect> AroundPoints(std::span<const QPoint> points)
{
    if (points.empty())
        return std::nullopt;
    CanvasRect r{points[0].x(), points[0].y(), points[0].x() + 1, points[0].y() + 1};
    for (const QPoint& p : points) {
        r.left = std::min(r.left, p.x());
        r.top = std::min(r.top, p.y());
        r.right = std::max(r.right, p.x() + 1);
        r.bottom = std::max(r.bottom, p.y() + 1);
    }
    return r;
}

// The last pixel a line from `from` to `to` paints: the end point is left
// out, so it is the pixel one step before it along the line.
QPoint LastPainted(QPoint from, QPoint to)
{
    const qint64 dx = qint64(to.x()) - from.x();
    const qint64 dy = qint64(to.y()) - from.y();
    const qint64 n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0)
        return from;
    const auto along = [n](qint64 d) {
        return qint64(std::llround(double(d) * double(n - 1) / double(n)));
    };
    return QPoint(int(from.x() + along(dx)), int(from.y() + along(dy)));
}

std::optional<CanvasRect> Ordered(const CanvasRect& r)
{
    const CanvasRect o{std::min(r.left, r.right), std::min(r.top, r.bottom),
                       std::max(r.left, r.right), std::max(r.top, r.bottom)};
    if (o.left == o.right || o.top == o.bottom)
        return std::nullopt;
    return o;
}

} // namespace

std::optional<CanvasRect> RecordingCanvas::PaintedArea(const CanvasCall& call) const
{
    switch (call.op) {
    case CanvasOp::LineTo: {
        if (call.start == call.points.front())
            return std::nullopt;
        const QPoint ends[] = {call.start, LastPainted(call.start, call.points.front())};
        return AroundPoints(ends);
    }
    case CanvasOp::Polyline: {
        if (call.points.size() < 2)
            return std::nullopt;
        std::vector<QPoint> painted(call.points.begin(), call.points.end());
        painted.back() = LastPainted(painted[painted.size() - 2], painted.back());
        return AroundPoints(painted);
    }
    case CanvasOp::Polygon:
        return AroundPoints(call.points);
    case CanvasOp::FillRect:
    case CanvasOp::Rectangle:
    case CanvasOp::CopyImage:
        return Ordered(call.rect);
    case CanvasOp::TextOut: {
        if (call.text.isEmpty())
            return std::nullopt;
        const int height = FontPixelHeight(call.state.font.points, resolution_);
        const QPoint at = call.points.front();
        int right = at.x() + int(call.text.size()) * ((height + 1) / 2);
        if (call.clipRight)
            right = std::min(right, *call.clipRight);
        if (right <= at.x())
            return std::nullopt;
        return CanvasRect{at.x(), at.y(), right, at.y() + height};
    }
    default:
        return std::nullopt;
    }
}

std::vector<CanvasCall> RecordingCanvas::CallsOutside(const CanvasRect& box) const
{
    std::vector<CanvasCall> outside;
    for (const CanvasCall& call : calls_) {
        const auto area = PaintedArea(call);
        if (area
            && (area->left < box.left || area->top < box.top || area->right > box.right
                || area->bottom > box.bottom))
            outside.push_back(call);
    }
    return outside;
}
