#include "paintercanvas.h"

#include "qtprinters.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <span>
#include <vector>

namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kRed = 0xffff0000;

// A white 40 x 24 image at 96 dpi with a canvas on it.
class PainterCanvasTest : public ::testing::Test {
protected:
    PainterCanvasTest() : image_(40, 24, QImage::Format_RGB32)
    {
        image_.fill(Qt::white);
        image_.setDotsPerMeterX(3780);
        image_.setDotsPerMeterY(3780);
        painter_ = std::make_unique<QPainter>(&image_);
        canvas_ = std::make_unique<PainterCanvas>(*painter_);
    }

    Canvas& canvas() { return *canvas_; }

    const QImage& finished()
    {
        canvas_.reset();
        painter_->end();
        return image_;
    }

    // The x of every painted pixel in row y.
    std::set<int> paintedInRow(int y)
    {
        const QImage& image = finished();
        std::set<int> xs;
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite)
                xs.insert(x);
        return xs;
    }

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterCanvas> canvas_;
};

TEST_F(PainterCanvasTest, LinesLeaveOutTheirEndPoint)
{
    canvas().MoveTo({2, 5});
    canvas().LineTo({10, 5});
    EXPECT_EQ(canvas().State().penPosition, QPoint(10, 5));
    canvas().MoveTo({30, 20});
    canvas().LineTo({30, 15}); // upwards
    canvas().MoveTo({20, 2});
    canvas().LineTo({24, 6}); // diagonal
    canvas().MoveTo({35, 2});
    canvas().LineTo({35, 2}); // to itself: nothing

    const QImage& image = finished();
    for (int x = 2; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 5), kBlack) << x;
    EXPECT_EQ(image.pixel(10, 5), kWhite);
    EXPECT_EQ(image.pixel(1, 5), kWhite);
    EXPECT_EQ(image.pixel(30, 20), kBlack);
    EXPECT_EQ(image.pixel(30, 16), kBlack);
    EXPECT_EQ(image.pixel(30, 15), kWhite);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image.pixel(20 + i, 2 + i), kBlack) << i;
    EXPECT_EQ(image.pixel(24, 6), kWhite);
    EXPECT_EQ(image.pixel(35, 2), kWhite);
}

TEST_F(PainterCanvasTest, PolylineLeavesOutItsLastPointAndKeepsThePenPosition)
{
    canvas().MoveTo({1, 1});
    const QPoint points[] = {{2, 8}, {12, 8}, {12, 3}};
    canvas().Polyline(points);
    EXPECT_EQ(canvas().State().penPosition, QPoint(1, 1));

    const QImage& image = finished();
    EXPECT_EQ(image.pixel(2, 8), kBlack);
    EXPECT_EQ(image.pixel(12, 8), kBlack); // an inner vertex is painted
    EXPECT_EQ(image.pixel(12, 4), kBlack);
    EXPECT_EQ(image.pixel(12, 3), kWhite);
}

TEST_F(PainterCanvasTest, DottedPenRunsThreeOnThreeOffAcrossLineTo)
{
    canvas().SetPen({Qt::black, 1, PenStyle::Dot});
    canvas().MoveTo({0, 2});
    canvas().LineTo({4, 2});
    canvas().LineTo({20, 2});

    EXPECT_EQ(paintedInRow(2), (std::set<int>{0, 1, 2, 6, 7, 8, 12, 13, 14, 18, 19}));
}

TEST_F(PainterCanvasTest, MoveToRestartsTheDotPattern)
{
    canvas().SetPen({Qt::black, 1, PenStyle::Dot});
    canvas().MoveTo({0, 2});
    canvas().LineTo({2, 2});
    canvas().MoveTo({2, 2});
    canvas().LineTo({8, 2});

    EXPECT_EQ(paintedInRow(2), (std::set<int>{0, 1, 2, 3, 4}));
}

TEST_F(PainterCanvasTest, DashDotPenRunsNineSixThreeSix)
{
    canvas().SetPen({Qt::black, 1, PenStyle::DashDot});
    canvas().MoveTo({0, 2});
    canvas().LineTo({30, 2});

    EXPECT_EQ(paintedInRow(2),
              (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 15, 16, 17, 24, 25, 26, 27, 28, 29}));
}

TEST_F(PainterCanvasTest, StyledPenWiderThanOnePixelDrawsSolid)
{
    canvas().SetPen({Qt::black, 2, PenStyle::Dot});
    canvas().MoveTo({4, 10});
    canvas().LineTo({30, 10});

    const QImage& image = finished();
    for (int x = 5; x < 30; ++x) {
        EXPECT_EQ(image.pixel(x, 9), kBlack) << x;
        EXPECT_EQ(image.pixel(x, 10), kBlack) << x;
    }
    EXPECT_EQ(image.pixel(15, 8), kWhite);
    EXPECT_EQ(image.pixel(15, 11), kWhite);
}

TEST_F(PainterCanvasTest, RectangleOutlinesEdgePixelsAndFillsTheInside)
{
    canvas().SetBrush(CanvasBrush::Solid(Qt::red));
    canvas().Rectangle({2, 2, 7, 6});
    canvas().Rectangle({12, 8, 10, 2}); // corners in reverse order
    canvas().Rectangle({20, 2, 25, 2}); // no height: nothing

    const QImage& image = finished();
    for (int x = 2; x <= 6; ++x) {
        EXPECT_EQ(image.pixel(x, 2), kBlack) << x;
        EXPECT_EQ(image.pixel(x, 5), kBlack) << x;
    }
    EXPECT_EQ(image.pixel(2, 4), kBlack);
    EXPECT_EQ(image.pixel(6, 4), kBlack);
    EXPECT_EQ(image.pixel(3, 3), kRed);
    EXPECT_EQ(image.pixel(5, 4), kRed);
    EXPECT_EQ(image.pixel(7, 3), kWhite);
    EXPECT_EQ(image.pixel(3, 6), kWhite);

    // A 2-pixel-wide rectangle is a solid column: 10 and 11, rows 2-7.
    for (int y = 2; y < 8; ++y) {
        EXPECT_EQ(image.pixel(10, y), kBlack) << y;
        EXPECT_EQ(image.pixel(11, y), kBlack) << y;
    }
    EXPECT_EQ(image.pixel(12, 4), kWhite);
    EXPECT_EQ(image.pixel(10, 8), kWhite);

    for (int x = 19; x <= 25; ++x)
        EXPECT_EQ(image.pixel(x, 2), kWhite) << x;
}

TEST_F(PainterCanvasTest, FillRectUsesTheBrushAndLeavesOutRightAndBottom)
{
    canvas().SetBrush(CanvasBrush::Solid(Qt::red));
    canvas().FillRect({1, 1, 4, 3});
    canvas().SetBrush(CanvasBrush::None());
    canvas().FillRect({10, 1, 14, 3});

    const QImage& image = finished();
    EXPECT_EQ(image.pixel(1, 1), kRed);
    EXPECT_EQ(image.pixel(3, 2), kRed);
    EXPECT_EQ(image.pixel(4, 2), kWhite);
    EXPECT_EQ(image.pixel(3, 3), kWhite);
    EXPECT_EQ(image.pixel(11, 2), kWhite);
}

TEST_F(PainterCanvasTest, PolygonFillsWithTheBrushInsideThePenOutline)
{
    canvas().SetBrush(CanvasBrush::Solid(Qt::red));
    const QPoint triangle[] = {{10, 20}, {30, 20}, {20, 10}};
    canvas().Polygon(triangle);

    const QImage& image = finished();
    EXPECT_EQ(image.pixel(20, 17), kRed);
    for (const QPoint& corner : triangle)
        EXPECT_EQ(image.pixel(corner), kBlack);
    EXPECT_EQ(image.pixel(20, 20), kBlack); // on the closing edge
    EXPECT_EQ(image.pixel(10, 12), kWhite);
}

TEST_F(PainterCanvasTest, OpaqueTextFillsItsCellWithTheBrushTransparentDoesNot)
{
    canvas().SetBrush(CanvasBrush::Solid(Qt::red));
    canvas().SetFont(CanvasFont{});
    const QSize cell = canvas().TextExtent(QStringLiteral("-"));
    ASSERT_GT(cell.width(), 1);
    canvas().TextOut({1, 1}, QStringLiteral("-"));
    canvas().SetTextBackground(TextBackground::Transparent);
    canvas().TextOut({20, 1}, QStringLiteral("-"));
    canvas().SetTextBackground(TextBackground::Opaque);
    canvas().SetBrush(CanvasBrush::None());
    canvas().TextOut({30, 1}, QStringLiteral("-"));

    const QImage& image = finished();
    // The top corners of the cell carry no glyph ink.
    EXPECT_EQ(image.pixel(1, 1), kRed);
    EXPECT_EQ(image.pixel(cell.width(), 1), kRed);
    EXPECT_EQ(image.pixel(cell.width() + 1, 1), kWhite);
    EXPECT_EQ(image.pixel(20, 1), kWhite);
    EXPECT_EQ(image.pixel(30, 1), kWhite);
}

TEST_F(PainterCanvasTest, TextMovesThePenWhenAskedTo)
{
    const int width = canvas().TextExtent(QStringLiteral("ab")).width();
    canvas().TextOut({3, 4}, QStringLiteral("ab"));
    EXPECT_EQ(canvas().State().penPosition, QPoint(3 + width, 4));

    canvas().SetTextMovesPen(false);
    canvas().TextOut({20, 10}, QStringLiteral("ab"));
    EXPECT_EQ(canvas().State().penPosition, QPoint(3 + width, 4));
}

TEST_F(PainterCanvasTest, CopyImageStretchesPixels)
{
    QImage source(2, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, kRed);
    source.setPixel(1, 0, kBlack);
    source.setPixel(0, 1, kBlack);
    source.setPixel(1, 1, kRed);
    canvas().CopyImage({10, 10, 14, 14}, source, {0, 0, 2, 2});

    const QImage& image = finished();
    EXPECT_EQ(image.pixel(10, 10), kRed);
    EXPECT_EQ(image.pixel(11, 11), kRed);
    EXPECT_EQ(image.pixel(12, 11), kBlack);
    EXPECT_EQ(image.pixel(13, 13), kRed);
    EXPECT_EQ(image.pixel(14, 14), kWhite);
}

TEST(PainterCanvasPaths, ClippedPainterDrawsTheSamePixelsAsDirectWriting)
{
    // 1-pixel lines on a plain 32-bit image are written straight into its
    // pixels; with a clip (as on widgets and printers) they go through the
    // painter. Both must give the same picture.
    const auto draw = [](bool clipped) {
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        if (clipped)
            painter.setClipRect(QRect(0, 0, 60, 40));
        PainterCanvas canvas(painter);
        canvas.SetPen({Qt::darkGreen, 1, PenStyle::Dot});
        canvas.MoveTo({-5, 3});
        canvas.LineTo({70, 3});
        canvas.LineTo({10, 38});
        canvas.SetPen({Qt::red, 1, PenStyle::Solid});
        const QPoint wave[] = {{2, 20}, {5, 9}, {9, 31}, {30, 30}, {31, 2}, {55, 25}};
        canvas.Polyline(wave);
        canvas.SetBrush(CanvasBrush::Solid(Qt::yellow));
        canvas.Rectangle({40, 30, 50, 36});
        canvas.SetPen({Qt::blue, 1, PenStyle::DashDot});
        canvas.Rectangle({3, 25, 58, 39});
        return image;
    };
    EXPECT_EQ(draw(false), draw(true));
}

TEST(CanvasLines, PaintWhatMoveToAndLineToPaint)
{
    // Lines may be painted in another order (a grid's columns row by row);
    // the pixels, the pen position and the pattern a following LineTo goes
    // on with must be those of the lines drawn one by one.
    struct Case {
        const char* name;
        std::vector<CanvasLine> lines;
    };
    const std::vector<Case> cases{
        {"a grid's columns", {{{0, 3}, {0, 27}}, {{7, 3}, {7, 27}}, {{14, 3}, {14, 27}}}},
        {"columns partly outside",
         {{{-3, -5}, {-3, 40}}, {{5, -5}, {5, 40}}, {{39, -5}, {39, 40}}, {{45, -5}, {45, 40}}}},
        {"columns of different lengths", {{{2, 3}, {2, 20}}, {{6, 5}, {6, 27}}}},
        {"columns drawn upwards", {{{2, 27}, {2, 3}}, {{6, 27}, {6, 3}}}},
        {"rows and slants", {{{0, 4}, {39, 4}}, {{3, 25}, {30, 2}}}},
    };
    for (const PenStyle style : {PenStyle::Dot, PenStyle::DashDot, PenStyle::Solid}) {
        for (const Case& c : cases) {
            const auto draw = [&](bool together) {
                QImage image(40, 30, QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                PainterCanvas canvas(painter);
                canvas.SetPen({Qt::red, 1, style});
                if (together) {
                    canvas.Lines(c.lines);
                } else {
                    for (const CanvasLine& line : c.lines) {
                        canvas.MoveTo(line.from);
                        canvas.LineTo(line.to);
                    }
                }
                EXPECT_EQ(canvas.State().penPosition, c.lines.back().to) << c.name;
                canvas.LineTo(c.lines.back().to + QPoint(9, 0));
                painter.end();
                return image;
            };
            EXPECT_EQ(draw(true), draw(false)) << c.name << ", style " << int(style);
        }
    }
}

// How far the centre of pixel (x, y) lies from the edge of a round-ended
// stroke of `penWidth` between the corners `a` and `b`.
double DistanceFromStrokeEdge(int x, int y, QPoint a, QPoint b, int penWidth)
{
    const double px = x + 0.5 - a.x(), py = y + 0.5 - a.y();
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::abs(std::hypot(px - t * dx, py - t * dy) - penWidth / 2.0);
}

// The pixels where two pictures differ.
std::vector<QPoint> Differences(const QImage& a, const QImage& b)
{
    std::vector<QPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                out.emplace_back(x, y);
    return out;
}

// What the painter itself strokes for an even-width canvas pen: round ends
// and joins, centred on the pixel corners, no antialiasing.
QImage PainterStroke(QSize size, std::span<const QPoint> points, int penWidth)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::red, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (std::size_t i = 1; i < points.size(); ++i)
        painter.drawLine(QLineF(points[i - 1], points[i]));
    return image;
}

QImage CanvasStroke(QSize size, std::span<const QPoint> points, int penWidth)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.SetPen({Qt::red, penWidth, PenStyle::Solid});
    canvas.Polyline(points);
    return image;
}

TEST(WidePenStrokes, WrittenIntoTheImageAsThePainterStrokesThem)
{
    // Even-width lines on a plain image are rasterised by the canvas itself.
    // The painter snaps the stroke's outline to a 1/64-pixel grid, so a
    // pixel whose centre lies that close to the outline may go either way;
    // every other pixel must agree, round ends included.
    struct Case {
        const char* name;
        QPoint a;
        QPoint b;
        int penWidth;
    };
    const Case cases[] = {
        {"horizontal", {5, 20}, {40, 20}, 2},
        {"vertical upwards", {20, 35}, {20, 3}, 2},
        {"diagonal", {4, 4}, {36, 36}, 2},
        {"shallow", {2, 10}, {45, 17}, 2},
        {"steep", {30, 2}, {23, 38}, 2},
        {"steep backwards", {10, 37}, {13, 1}, 2},
        {"one step", {12, 12}, {13, 13}, 2},
        {"short shallow", {8, 30}, {11, 29}, 2},
        {"leaving the image", {40, 20}, {60, -30}, 2},
        {"from far outside", {-100000, 5}, {30, 25}, 2},
        {"shallow, 4 pixels", {3, 8}, {44, 19}, 4},
        {"steep, 6 pixels", {25, 3}, {17, 37}, 6},
        // Long steps are painted across their columns row by row.
        {"long step down", {20, 5}, {22, 150}, 2},
        {"long step up, 6 pixels", {30, 155}, {26, 3}, 6},
        {"long step leaving the image", {10, 100}, {11, -500}, 2},
        {"long slanted step", {5, 150}, {17, 10}, 4},
    };
    for (const Case& c : cases) {
        const QPoint points[] = {c.a, c.b};
        const QImage expected = PainterStroke({48, 160}, points, c.penWidth);
        const QImage drawn = CanvasStroke({48, 160}, points, c.penWidth);
        int painted = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                painted += drawn.pixel(x, y) == kRed;
        EXPECT_GT(painted, 0) << c.name;
        const std::vector<QPoint> differ = Differences(expected, drawn);
        EXPECT_LE(differ.size(), 2u) << c.name;
        for (const QPoint& p : differ)
            EXPECT_LT(DistanceFromStrokeEdge(p.x(), p.y(), c.a, c.b, c.penWidth), 1.0 / 64)
                << c.name << " at " << p.x() << "," << p.y();
    }
}

TEST(WidePenStrokes, EndsAreRoundCapsAndAZeroLengthLinePaintsNothing)
{
    // A 2-pixel line ends one pixel beyond each end corner: the round cap
    // covers the 2 x 2 pixels around the corner and no more.
    const QPoint line[] = {{10, 10}, {20, 10}};
    const QImage drawn = CanvasStroke({32, 24}, line, 2);
    EXPECT_EQ(drawn, PainterStroke({32, 24}, line, 2));
    for (int x = 9; x <= 20; ++x) {
        EXPECT_EQ(drawn.pixel(x, 9), kRed) << x;
        EXPECT_EQ(drawn.pixel(x, 10), kRed) << x;
    }
    for (const QPoint outside : {QPoint(8, 9), QPoint(21, 10), QPoint(15, 8), QPoint(15, 11)})
        EXPECT_EQ(drawn.pixel(outside), kWhite) << outside.x() << "," << outside.y();

    const QPoint dot[] = {{5, 5}, {5, 5}};
    EXPECT_EQ(CanvasStroke({12, 12}, dot, 2), PainterStroke({12, 12}, dot, 2));
}

TEST(WidePenStrokes, ATrendTraceMatchesThePainterAndClippedDrawingStillUsesIt)
{
    // A trace as the record chart draws it: a first point repeated, steps of
    // every slope, a jump far beyond the bottom (a saturated value).
    const std::vector<QPoint> trace{{0, 30},  {0, 30},        {1, 28}, {2, 35}, {3, 35},
                                    {4, 10},  {5, 100000000}, {6, 12}, {7, 13}, {9, 2},
                                    {20, 40}, {21, 39},       {60, 20}};
    const QImage drawn = CanvasStroke({64, 48}, trace, 2);
    const QImage expected = PainterStroke({64, 48}, trace, 2);
    for (const QPoint& p : Differences(expected, drawn)) {
        double nearest = 1e9;
        for (std::size_t i = 1; i < trace.size(); ++i)
            if (trace[i] != trace[i - 1])
                nearest = std::min(nearest,
                                   DistanceFromStrokeEdge(p.x(), p.y(), trace[i - 1], trace[i], 2));
        EXPECT_LT(nearest, 1.0 / 64) << p.x() << "," << p.y();
    }

    // Through a clip the painter strokes instead; the picture stays the same
    // up to the outline's edge pixels.
    QImage clipped(64, 48, QImage::Format_RGB32);
    clipped.fill(Qt::white);
    {
        QPainter painter(&clipped);
        painter.setClipRect(QRect(0, 0, 64, 48));
        PainterCanvas canvas(painter);
        canvas.SetPen({Qt::red, 2, PenStyle::Solid});
        canvas.Polyline(trace);
    }
    EXPECT_EQ(clipped, expected);
}

TEST(CanvasFonts, PointsScaleWithTheDeviceResolution)
{
    struct Case {
        int points;
        int dpi;
        int pixels;
    };
    for (const Case& c :
         {Case{8, 96, 11}, Case{8, 192, 21}, Case{10, 600, 83}, Case{6, 96, 8}, Case{17, 300, 71}})
        EXPECT_EQ(FontPixelHeight(c.points, c.dpi), c.pixels) << c.points << " pt at " << c.dpi;

    // The same font is about twice as high on a device of twice the resolution.
    const auto extent = [](int dotsPerMeter) {
        QImage image(10, 10, QImage::Format_RGB32);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        canvas.SetFont(CanvasFont{});
        return std::pair(canvas.Resolution(), canvas.TextExtent(QStringLiteral("Hg")).height());
    };
    const auto [lowDpi, lowHeight] = extent(3780);
    const auto [highDpi, highHeight] = extent(7559);
    EXPECT_EQ(lowDpi, 96);
    EXPECT_EQ(highDpi, 192);
    EXPECT_NEAR(highHeight, 2 * lowHeight, 2);
}

} // namespace

namespace {

TEST_F(PainterCanvasTest, ClippedTextPaintsNothingFromItsClipOn)
{
    canvas().SetBrush(CanvasBrush::Solid(QColor(255, 0, 0)));
    canvas().TextOutClipped({2, 2}, QStringLiteral("WWWWWWWWWW"), 20);
    const QPoint after = canvas().State().penPosition;
    const QImage& image = finished();
    bool paintedBefore = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (x >= 20)
                EXPECT_EQ(image.pixel(x, y), kWhite) << x << ", " << y;
            else if (image.pixel(x, y) != kWhite)
                paintedBefore = true;
        }
    EXPECT_TRUE(paintedBefore);
    EXPECT_GT(after.x(), 20); // the pen moves past the whole text
}

} // namespace

// The rasteriser walks the line without dividing per pixel; every pixel must
// still be the exact line rounded as the contract says: minor coordinate
// (2 i minor + major - 1) div (2 major), halves on the side of the start.
TEST(LineRaster, EveryPixelIsTheExactLineRounded)
{
    for (int dx = -40; dx <= 40; dx += 3)
        for (int dy = -40; dy <= 40; dy += 1) {
            const QPoint from(7, -3);
            const QPoint to = from + QPoint(dx, dy);
            const long long major = std::max(std::abs(dx), std::abs(dy));
            const long long span = std::min(std::abs(dx), std::abs(dy));
            long long i = 0;
            ForEachLinePixel(from, to, [&](int x, int y) {
                const int minor = int((2 * i * span + major - 1) / (2 * major));
                const QPoint expected = std::abs(dx) >= std::abs(dy)
                                            ? QPoint(from.x() + int(i) * (dx < 0 ? -1 : 1),
                                                     from.y() + minor * (dy < 0 ? -1 : 1))
                                            : QPoint(from.x() + minor * (dx < 0 ? -1 : 1),
                                                     from.y() + int(i) * (dy < 0 ? -1 : 1));
                ASSERT_EQ(QPoint(x, y), expected) << dx << "," << dy << " pixel " << i;
                ++i;
            });
            ASSERT_EQ(i, major) << "one pixel a step, the end point left out";
        }
}
