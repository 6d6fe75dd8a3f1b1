#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <span>

class QImage;

// The drawing model every chart and report of the program is written
// against: a device context with a current pen, brush and font, a pen
// position, and integer device-pixel coordinates with the origin at the top
// left. One drawing code serves off-screen surfaces, the screen and the
// printer; tests record it.

enum class PenStyle {
    Solid,
    Dot,     // 1-pixel pens: 3 pixels on, 3 off
    DashDot, // 1-pixel pens: 9 on, 6 off, 3 on, 6 off
};

// Pen widths are device pixels; 0 counts as 1. A styled pen wider than one
// pixel draws solid, as the classic device context does.
struct CanvasPen {
    QColor color = Qt::black;
    int width = 1;
    PenStyle style = PenStyle::Solid;

    bool operator==(const CanvasPen&) const = default;
};

// A brush fills rectangles, polygons and opaque text cells; a brush with
// `none` set fills nothing.
struct CanvasBrush {
    QColor color = Qt::white;
    bool none = false;

    static CanvasBrush Solid(const QColor& color) { return {color, false}; }
    static CanvasBrush None() { return {Qt::white, true}; }
    bool operator==(const CanvasBrush&) const = default;
};

// Size in points; the canvas turns it into pixels with its resolution, so the
// same drawing code prints at printer resolution. The face may list several
// families separated by commas: a character the first lacks comes from the
// next that has it.
struct CanvasFont {
    QString face = QStringLiteral("Sans Serif");
    int points = 8;
    QColor color = Qt::black;
    bool bold = false;

    bool operator==(const CanvasFont&) const = default;
};

// Opaque text fills the text's cell with the brush colour before the glyphs
// (nothing when the brush is none); transparent text draws glyphs only.
enum class TextBackground { Opaque, Transparent };

// A rectangle by its corners, the right and bottom edges excluded:
// (0, 0, 10, 5) covers columns 0-9 and rows 0-4.
struct CanvasRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static CanvasRect FromQRect(const QRect& r)
    {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const CanvasRect&) const = default;
};

// Everything a canvas remembers between calls. A fresh canvas starts like a
// new device context: black 1-pixel solid pen, white brush, default font,
// opaque text that moves the pen position, pen at (0, 0).
struct CanvasState {
    CanvasPen pen;
    CanvasBrush brush;
    CanvasFont font;
    TextBackground textBackground = TextBackground::Opaque;
    bool textMovesPen = true;
    QPoint penPosition;

    bool operator==(const CanvasState&) const = default;
};

// One line of several drawn at once: from `from` up to, not including, `to`.
struct CanvasLine {
    QPoint from;
    QPoint to;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SetPen(const CanvasPen& pen) = 0;
    virtual void SetBrush(const CanvasBrush& brush) = 0;
    virtual void SetFont(const CanvasFont& font) = 0;
    virtual void SetTextBackground(TextBackground background) = 0;
    // When set, TextOut leaves the pen position at (x + text width, y).
    virtual void SetTextMovesPen(bool moves) = 0;
    virtual const CanvasState& State() const = 0;

    // Lines paint every pixel from the pen position up to, but not
    // including, the end point, which becomes the new pen position. A dotted
    // pattern runs on across consecutive LineTo calls; MoveTo, SetPen and a
    // TextOut that moves the pen start it afresh.
    virtual void MoveTo(QPoint p) = 0;
    virtual void LineTo(QPoint p) = 0;
    // Segments through the points, the last point excluded, one dotted
    // pattern along all of them; the pen position is left where it was.
    virtual void Polyline(std::span<const QPoint> points) = 0;
    // Separate lines, each drawn as MoveTo(from) then LineTo(to): the pen
    // ends at the last line's end. A canvas may paint them in another order
    // (a grid's columns row by row), never other pixels.
    virtual void Lines(std::span<const CanvasLine> lines)
    {
        for (const CanvasLine& line : lines) {
            MoveTo(line.from);
            LineTo(line.to);
        }
    }

    // Fills with the current brush, no outline.
    virtual void FillRect(const CanvasRect& r) = 0;
    // Outline with the pen along the edge pixels (a 1-pixel pen paints
    // columns left and right - 1, rows top and bottom - 1), interior with
    // the brush. Corners are put in order first; an empty rectangle draws
    // nothing.
    virtual void Rectangle(const CanvasRect& r) = 0;
    // Closed outline with the pen, interior with the brush.
    virtual void Polygon(std::span<const QPoint> points) = 0;

    // Text with its cell's top-left corner at `at`, in the font's colour.
    virtual void TextOut(QPoint at, const QString& text) = 0;
    // TextOut with nothing painted from x = `clipRight` on: glyphs and the
    // opaque cell end there, so a long text cannot run into the next item.
    // The pen position moves as with TextOut.
    virtual void TextOutClipped(QPoint at, const QString& text, int clipRight) = 0;
    // Width and height of the text's cell in the current font.
    virtual QSize TextExtent(const QString& text) const = 0;

    // Copies `source` of `image` into `destination`, stretching when the
    // sizes differ.
    virtual void CopyImage(const CanvasRect& destination, const QImage& image,
                           const CanvasRect& source) = 0;

    // Logical pixels per inch of the device.
    virtual int Resolution() const = 0;
};

// Pixel height of a font of `points` on a device of `dotsPerInch`, rounded
// to the nearest pixel (8 points at 96 dpi are 11 pixels).
int FontPixelHeight(int points, int dotsPerInch);
