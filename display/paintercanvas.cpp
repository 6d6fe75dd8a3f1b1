#include "paintercanvas.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace {

// Gathers the pixels of a 1-pixel line into horizontal or vertical runs, so
// that a line costs one fill per run instead of one per pixel.
class PixelRuns {
public:
    PixelRuns(QPainter& painter, const QColor& color) : painter_(painter), color_(color) {}
    PixelRuns(const PixelRuns&) = delete;
    PixelRuns& operator=(const PixelRuns&) = delete;
    ~PixelRuns() { flush(); }

    void add(int x, int y)
    {
        if (!empty_) {
            if (run_.height() == 1 && y == run_.top()) {
                if (x == run_.right() + 1) {
                    run_.setRight(x);
                    return;
                }
                if (x == run_.left() - 1) {
                    run_.setLeft(x);
                    return;
                }
            }
            if (run_.width() == 1 && x == run_.left()) {
                if (y == run_.bottom() + 1) {
                    run_.setBottom(y);
                    return;
                }
                if (y == run_.top() - 1) {
                    run_.setTop(y);
                    return;
                }
            }
            flush();
        }
        run_ = QRect(x, y, 1, 1);
        empty_ = false;
    }

    void flush()
    {
        if (!empty_)
            painter_.fillRect(run_, color_);
        empty_ = true;
    }

private:
    QPainter& painter_;
    QColor color_;
    QRect run_;
    bool empty_ = true;
};

// Writes the pixels of a 1-pixel line straight into a 32-bit image, which
// is what the painter would do for each run, without its per-call cost.
class PixelWriter {
public:
    PixelWriter(QImage& image, const QColor& color)
        : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()),
          height_(image.height()), value_(color.rgba())
    {
    }

    void add(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_)[x] = value_;
    }

private:
    uchar* bits_;
    qsizetype stride_;
    int width_;
    int height_;
    QRgb value_;
};

bool DirectlyWritable(const QImage* image)
{
    return image != nullptr
           && (image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32
               || image->format() == QImage::Format_ARGB32_Premultiplied);
}

QFont MakeFont(const CanvasFont& font, int resolution)
{
    QFont f;
    QStringList families = font.face.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& family : families)
        family = family.trimmed();
    f.setFamilies(families);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, FontPixelHeight(font.points, resolution)));
    f.setBold(font.bold);
    return f;
}

CanvasRect Ordered(const CanvasRect& r)
{
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter)
    : painter_(painter),
      resolution_(painter.device() != nullptr ? painter.device()->logicalDpiY() : 96),
      font_(MakeFont(state_.font, resolution_)), metrics_(font_, painter.device())
{
    if (painter.device() != nullptr && painter.device()->devType() == QInternal::Image) {
        auto* image = static_cast<QImage*>(painter.device());
        if (DirectlyWritable(image))
            image_ = image;
    }
    // Pixel-exact drawing: antialiased edges would smear the 1-pixel grid
    // and the bar outlines over neighbouring pixels.
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void PainterCanvas::SetPen(const CanvasPen& pen)
{
    state_.pen = pen;
    pattern_.setStyle(thinPen() ? pen.style : PenStyle::Solid);
}

void PainterCanvas::SetBrush(const CanvasBrush& brush)
{
    state_.brush = brush;
}

void PainterCanvas::SetFont(const CanvasFont& font)
{
    state_.font = font;
    font_ = MakeFont(font, resolution_);
    metrics_ = QFontMetrics(font_, painter_.device());
}

void PainterCanvas::SetTextBackground(TextBackground background)
{
    state_.textBackground = background;
}

void PainterCanvas::SetTextMovesPen(bool moves)
{
    state_.textMovesPen = moves;
}

void PainterCanvas::MoveTo(QPoint p)
{
    state_.penPosition = p;
    pattern_.restart();
}

void PainterCanvas::LineTo(QPoint p)
{
    if (thinPen()) {
        strokeThin(state_.penPosition, p);
    } else if (writesWideDirectly()) {
        strokeWideDirect(state_.penPosition, p);
    } else {
        usePainterPen(Qt::RoundJoin);
        painter_.drawLine(penCentre(state_.penPosition), penCentre(p));
    }
    state_.penPosition = p;
}

void PainterCanvas::Polyline(std::span<const QPoint> points)
{
    if (points.size() < 2)
        return;
    if (thinPen()) {
        pattern_.restart();
        for (std::size_t i = 1; i < points.size(); ++i)
            strokeThin(points[i - 1], points[i]);
        return;
    }
    if (writesWideDirectly()) {
        for (std::size_t i = 1; i < points.size(); ++i)
            strokeWideDirect(points[i - 1], points[i]);
        return;
    }
    // Segment by segment, each with round ends that make the round joins:
    // one path through thousands of long, crossing segments (a zoomed-out
    // trend chart) costs the rasteriser far more than the segments alone.
    QList<QLineF> segments;
    segments.reserve(qsizetype(points.size()) - 1);
    for (std::size_t i = 1; i < points.size(); ++i)
        segments.append(QLineF(penCentre(points[i - 1]), penCentre(points[i])));
    usePainterPen(Qt::RoundJoin);
    painter_.drawLines(segments.constData(), int(segments.size()));
}

void PainterCanvas::FillRect(const CanvasRect& r)
{
    if (state_.brush.none || r.right <= r.left || r.bottom <= r.top)
        return;
    painter_.fillRect(r.toQRect(), state_.brush.color);
}

void PainterCanvas::Rectangle(const CanvasRect& r)
{
    const CanvasRect o = Ordered(r);
    if (o.right == o.left || o.bottom == o.top)
        return;
    if (!state_.brush.none && o.right - o.left > 2 && o.bottom - o.top > 2)
        painter_.fillRect(QRect(o.left + 1, o.top + 1, o.right - o.left - 2, o.bottom - o.top - 2),
                          state_.brush.color);
    if (thinPen()) {
        const QPoint corners[] = {{o.left, o.top},
                                  {o.right - 1, o.top},
                                  {o.right - 1, o.bottom - 1},
                                  {o.left, o.bottom - 1}};
        strokeThinClosed(corners);
        return;
    }
    usePainterPen(Qt::MiterJoin);
    painter_.drawRect(QRectF(penCentre({o.left, o.top}), penCentre({o.right - 1, o.bottom - 1})));
}

void PainterCanvas::Polygon(std::span<const QPoint> points)
{
    if (points.empty())
        return;
    const QPolygon shape(QList<QPoint>(points.begin(), points.end()));
    if (!state_.brush.none) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(state_.brush.color);
        painter_.drawPolygon(shape, Qt::OddEvenFill);
    }
    if (thinPen()) {
        strokeThinClosed(points);
        return;
    }
    QPolygonF outline;
    for (const QPoint& p : points)
        outline << penCentre(p);
    usePainterPen(Qt::RoundJoin);
    painter_.drawPolygon(outline);
}

void PainterCanvas::TextOut(QPoint at, const QString& text)
{
    const int width = metrics_.horizontalAdvance(text);
    if (state_.textBackground == TextBackground::Opaque && !state_.brush.none)
        painter_.fillRect(QRect(at.x(), at.y(), width, metrics_.height()), state_.brush.color);
    painter_.setFont(font_);
    painter_.setPen(QPen(state_.font.color));
    painter_.drawText(QPoint(at.x(), at.y() + metrics_.ascent()), text);
    if (state_.textMovesPen)
        MoveTo(QPoint(at.x() + width, at.y()));
}

void PainterCanvas::TextOutClipped(QPoint at, const QString& text, int clipRight)
{
    const int width = metrics_.horizontalAdvance(text);
    if (at.x() + width <= clipRight) {
        TextOut(at, text);
        return;
    }
    painter_.save();
    painter_.setClipRect(QRect(at.x(), at.y(), std::max(0, clipRight - at.x()), metrics_.height()),
                         Qt::IntersectClip);
    TextOut(at, text);
    painter_.restore();
}

QSize PainterCanvas::TextExtent(const QString& text) const
{
    return QSize(metrics_.horizontalAdvance(text), metrics_.height());
}

void PainterCanvas::CopyImage(const CanvasRect& destination, const QImage& image,
                              const CanvasRect& source)
{
    painter_.drawImage(destination.toQRect(), image, source.toQRect());
}

bool PainterCanvas::strokeStyledVector(QPoint from, QPoint to)
{
    // On a printer or a PDF writer every dot drawn as its own rectangle would bloat
    // the page; there a dotted line is one stroke with the same pattern in
    // device pixels.
    const bool vector =
        (painter_.device() != nullptr && painter_.device()->devType() == QInternal::Printer)
        || (painter_.paintEngine() != nullptr
            && painter_.paintEngine()->type() == QPaintEngine::Pdf);
    if (state_.pen.style == PenStyle::Solid || !vector)
        return false;
    QPen pen(state_.pen.color, 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern(state_.pen.style == PenStyle::Dot ? QList<qreal>{3, 3}
                                                         : QList<qreal>{9, 6, 3, 6});
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawLine(QPointF(from.x() + 0.5, from.y() + 0.5), QPointF(to.x() + 0.5, to.y() + 0.5));
    return true;
}

void PainterCanvas::strokeThin(QPoint from, QPoint to)
{
    if (strokeStyledVector(from, to))
        return;
    if (writesThinDirectly()) {
        PixelWriter pixels(*image_, state_.pen.color);
        ForEachLinePixel(from, to, [&](int x, int y) {
            if (pattern_.next())
                pixels.add(x, y);
        });
        return;
    }
    PixelRuns runs(painter_, state_.pen.color);
    ForEachLinePixel(from, to, [&](int x, int y) {
        if (pattern_.next())
            runs.add(x, y);
    });
}

bool PainterCanvas::writesThinDirectly() const
{
    // An opaque pen on an unclipped, untransformed 32-bit image gives the
    // same pixels written directly; anything else goes through the painter.
    return image_ != nullptr && state_.pen.color.alpha() == 255 && !painter_.hasClipping()
           && painter_.transform().isIdentity();
}

void PainterCanvas::Lines(std::span<const CanvasLine> lines)
{
    if (lines.empty())
        return;
    if (thinPen() && strokeThinColumnsDirect(lines)) {
        state_.penPosition = lines.back().to;
        pattern_.restart();
        pattern_.skip(
            std::llabs(static_cast<long long>(lines.back().to.y()) - lines.back().from.y()));
        return;
    }
    Canvas::Lines(lines);
}

bool PainterCanvas::strokeThinColumnsDirect(std::span<const CanvasLine> lines)
{
    // Vertical lines over the same rows (a grid's columns) go row by row:
    // down a column every pixel lies in another cache line, along a row the
    // columns' pixels come in order. Anything else is left to LineTo.
    const int top = lines.front().from.y();
    const int bottom = lines.front().to.y();
    if (!writesThinDirectly() || bottom <= top)
        return false;
    for (const CanvasLine& line : lines)
        if (line.from.x() != line.to.x() || line.from.y() != top || line.to.y() != bottom)
            return false;
    uchar* bits = image_->bits();
    const qsizetype stride = image_->bytesPerLine();
    const int width = image_->width();
    const QRgb value = state_.pen.color.rgba();
    for (int y = std::max(top, 0); y < std::min(bottom, image_->height()); ++y) {
        if (!pattern_.onAt(y - top))
            continue;
        QRgb* row = reinterpret_cast<QRgb*>(bits + qsizetype(y) * stride);
        for (const CanvasLine& line : lines)
            if (line.from.x() >= 0 && line.from.x() < width)
                row[line.from.x()] = value;
    }
    return true;
}

bool PainterCanvas::writesWideDirectly() const
{
    // An even-width opaque pen on an unclipped, untransformed 32-bit image:
    // the stroke covers whole pixels, and writing them straight into the
    // scanlines costs a fraction of the painter's path stroking (a trend
    // chart has thousands of such segments).
    return image_ != nullptr && state_.pen.width % 2 == 0 && state_.pen.width <= kMaxWideLinePen
           && state_.pen.color.alpha() == 255 && !painter_.hasClipping()
           && painter_.transform().isIdentity() && painter_.opacity() == 1.0
           && painter_.compositionMode() == QPainter::CompositionMode_SourceOver;
}

void PainterCanvas::strokeWideDirect(QPoint from, QPoint to)
{
    uchar* bits = image_->bits();
    const qsizetype stride = image_->bytesPerLine();
    const QRgb value = state_.pen.color.rgba();
    ForEachWideLineBlock(from, to, state_.pen.width, image_->width(), image_->height(),
                         [&](int x0, int x1, int y0, int y1) {
                             uchar* row = bits + qsizetype(y0) * stride + qsizetype(x0) * 4;
                             const int n = x1 - x0 + 1;
                             for (int y = y0; y <= y1; ++y, row += stride) {
                                 QRgb* pixel = reinterpret_cast<QRgb*>(row);
                                 for (int i = 0; i < n; ++i)
                                     pixel[i] = value;
                             }
                         });
}

void PainterCanvas::strokeThinClosed(std::span<const QPoint> points)
{
    // Each edge leaves out its end point, which the next edge starts on;
    // the closing edge ends on the first point, so every corner is painted
    // exactly once.
    pattern_.restart();
    for (std::size_t i = 0; i < points.size(); ++i)
        strokeThin(points[i], points[(i + 1) % points.size()]);
}

void PainterCanvas::usePainterPen(Qt::PenJoinStyle join)
{
    painter_.setPen(QPen(state_.pen.color, state_.pen.width, Qt::SolidLine, Qt::RoundCap, join));
    painter_.setBrush(Qt::NoBrush);
}

QPointF PainterCanvas::penCentre(QPoint p) const
{
    // An odd-width stroke is centred on the pixel's middle so that it covers
    // whole pixels; an even-width one on the pixel's corner for the same
    // reason.
    const double offset = state_.pen.width % 2 != 0 ? 0.5 : 0.0;
    return QPointF(p.x() + offset, p.y() + offset);
}

QSize PainterTextExtent(const CanvasFont& font, int resolution, const QString& text)
{
    const QFontMetrics metrics(MakeFont(font, resolution));
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}
