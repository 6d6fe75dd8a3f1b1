#include "analysisreport.h"

#include "canvas.h"
#include "measurementrecord.h"
#include "numberformat.h"
#include "pageframe.h"
#include "reportformats.h"

#include <QStringList>

namespace {

const QColor kRed{255, 0, 0};
const QColor kGreen{0, 128, 0};

// Orders that carry their number under a chart's axis.
constexpr int kLabelledOrders[] = {0, 1, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50};

// Draws `label` followed by the number text `value` at `at`, ending by
// `right`. A number too wide for the room left is written in a shorter form
// (FitNumberText) rather than cut at `right`, where "3.40000001972723E+38"
// would lose its exponent and read as 3.4.
void NumberOut(Canvas& canvas, QPoint at, const QString& label, const QString& value, int right)
{
    const QString fitted = FitNumberText(value, [&](const QString& text) {
        return at.x() + canvas.TextExtent(label + text).width() <= right;
    });
    canvas.TextOutClipped(at, label + fitted, right);
}

// A trace as one polyline; the pen position ends on its last point, as if
// drawn with line-to calls.
void Trace(Canvas& canvas, const std::vector<QPoint>& points)
{
    canvas.Polyline(points);
    canvas.MoveTo(points.back());
}

const QStringList& PreviewLabels()
{
    static const QStringList labels = {
        QStringLiteral("電壓 trms： "),    QStringLiteral("峰值電壓： "),
        QStringLiteral("頻率："),          QStringLiteral("電流 trms： "),
        QStringLiteral("峰值電流： "),     QStringLiteral("電流相位： "),
        QStringLiteral("功率： "),         QStringLiteral("功率因數： "),
        QStringLiteral("視在功率：     "), QStringLiteral("虛功率：     "),
        QStringLiteral("電壓波形因數： "), QStringLiteral("電流波形因數： "),
        QStringLiteral("電壓THD： "),      QStringLiteral("電流THD： "),
    };
    return labels;
}

const QStringList& PrintLabels()
{
    static const QStringList labels = {
        QStringLiteral(" 電壓 trms：     "),   QStringLiteral(" 峰值電壓：     "),
        QStringLiteral(" 電壓頻率：     "),    QStringLiteral(" 電流 trms：     "),
        QStringLiteral(" 峰值電流：     "),    QStringLiteral(" 電流相位：     "),
        QStringLiteral(" 功率：            "), QStringLiteral(" 功率因數：     "),
        QStringLiteral(" 視在功率：     "),    QStringLiteral(" 虛功率：        "),
        QStringLiteral(" 電壓波形因數： "),    QStringLiteral(" 電流波形因數： "),
        QStringLiteral(" 電壓THD：     "),     QStringLiteral(" 電流THD：     "),
    };
    return labels;
}

// ---- preview ----

void PreviewTableLines(Canvas& canvas, int W)
{
    SetPenWidth(canvas, 2);
    canvas.Rectangle({50, 560, W - 48, 883});
    const int c = PreviewTableColumn(W);
    struct Vertical {
        int x;
        int top;
        int bottom;
        int width;
    };
    const Vertical lines[] = {
        {80, 560, 883, 1},           {80 + c, 577, 883, 1},       {80 + 2 * c, 560, 883, 1},
        {80 + 3 * c, 577, 883, 1},   {80 + 4 * c, 560, 882, 2},   {110 + 4 * c, 560, 883, 1},
        {110 + 5 * c, 577, 883, 1},  {110 + 6 * c, 560, 883, 1},  {110 + 7 * c, 577, 883, 1},
        {110 + 8 * c, 560, 882, 2},  {140 + 8 * c, 560, 883, 1},  {140 + 9 * c, 577, 883, 1},
        {140 + 10 * c, 560, 883, 1}, {140 + 11 * c, 577, 883, 1},
    };
    for (const Vertical& v : lines) {
        SetPenWidth(canvas, v.width);
        Line(canvas, {v.x, v.top}, {v.x, v.bottom});
    }
    SetPenWidth(canvas, 1);
    for (int j = 0; j <= 17; ++j)
        Line(canvas, {50, 577 + 17 * j}, {W - 50, 577 + 17 * j});
    SetPenWidth(canvas, 2);
    Line(canvas, {50, 550}, {W - 50, 550});
    canvas.TextOut({W - 150, 540}, QStringLiteral(" 各次諧波含量 "));
}

void PreviewHarmonicChart(Canvas& canvas,
                          const std::array<float, kReportHarmonicOrders>& amplitudes, int axis)
{
    SetPen(canvas, kReportGray, 2);
    Line(canvas, {50, axis}, {399, axis});
    SetFontSizeAndColor(canvas, 6, Qt::black);
    for (int k : kLabelledOrders)
        canvas.TextOut({53 + 6 * k, axis + 3}, QString::number(k));
    const auto heights = HarmonicBarHeights(amplitudes, 115);
    SetPen(canvas, Qt::black, 2);
    for (int k = 0; k < kReportHarmonicOrders; ++k) {
        const int x = 53 + 6 * k + 5;
        Line(canvas, {x, axis - heights[k]}, {x, axis - 2});
    }
}

void PreviewTableTexts(Canvas& canvas, const MeasurementRecord& r, int W)
{
    SetFontSizeAndColor(canvas, 6, kReportGray);
    for (int x : {112, 312, 512})
        canvas.TextOut({x, 562}, QStringLiteral("電    壓"));
    for (int x : {192, 392, 592})
        canvas.TextOut({x, 562}, QStringLiteral("電    流"));
    for (int x : {53, 255, 458})
        canvas.TextOut({x, 579}, QStringLiteral("階數"));
    for (int x : {84, 170, 287, 372, 488, 574})
        canvas.TextOut({x, 579}, QStringLiteral("絕對值"));
    for (int x : {128, 213, 329, 414, 531, 617})
        canvas.TextOut({x, 579}, QStringLiteral("相對值"));

    struct Group {
        int order, uAbs, uRel, iAbs, iRel;
    };
    constexpr Group groups[] = {
        {60, 86, 128, 171, 213}, {263, 290, 328, 371, 413}, {463, 490, 530, 571, 615}};
    const int c = PreviewTableColumn(W);
    for (int g = 0; g < 3; ++g) {
        // Each cell ends at its column's right line; the last at the frame.
        const int base = 80 + 30 * g + 4 * c * g;
        const int last = g == 2 ? W - 48 : base + 4 * c;
        for (int row = 0; row <= 16; ++row) {
            const int k = row + 17 * g;
            const int y = 596 + 17 * row;
            canvas.TextOutClipped({groups[g].order, y}, QString::number(k), base);
            NumberOut(canvas, {groups[g].uAbs, y}, {}, FormatHarmonicAbs(r.UHarmonic[k]), base + c);
            NumberOut(canvas, {groups[g].uRel, y}, {},
                      FormatHarmonicRel(r.UHarmonic[k], r.UHarmonic[1]), base + 2 * c);
            NumberOut(canvas, {groups[g].iAbs, y}, {}, FormatHarmonicAbs(r.IHarmonic[k]),
                      base + 3 * c);
            NumberOut(canvas, {groups[g].iRel, y}, {},
                      FormatHarmonicRel(r.IHarmonic[k], r.IHarmonic[1]), last);
        }
    }
}

// ---- printout ----

struct PrintBox {
    int left, top, right, bottom;
    int height() const { return bottom - top; }
    int width() const { return right - left; }
};

void PrintCaption(Canvas& canvas, QPoint at, const QString& text, int captionPoints)
{
    SetFontSizeAndColor(canvas, captionPoints, kReportGray);
    canvas.TextOut(at, text);
}

void PrintWaveGrid(Canvas& canvas, const PrintBox& box)
{
    SetPenStyleWidth(canvas, PenStyle::DashDot, 1);
    const int h = box.height();
    for (int y : {box.top + TruncToInt(h / 7.0), box.top + TruncToInt(h / 2.0),
                  box.top + TruncToInt(6.0 * h / 7.0)})
        Line(canvas, {box.left, y}, {box.right, y});
    SetPenStyleWidth(canvas, PenStyle::Solid, canvas.State().pen.width);
}

void PrintHarmonicChart(Canvas& canvas, const PageFrame& f, const PrintBox& box,
                        const std::array<float, kReportHarmonicOrders>& amplitudes,
                        const QColor& color)
{
    const int w = box.width();
    const int hb = box.height();
    const int axis = box.top + TruncToInt(0.85 * hb);
    SetPen(canvas, kReportGray, TruncToInt(0.0015 * f.FH));
    Line(canvas, {box.left, axis}, {box.right, axis});

    const int pitch = TruncToInt(w / 53.0);
    const int x0 = box.left + pitch / 2;
    SetFontSizeAndColor(canvas, 6, Qt::black);
    const int labelY = axis + 3 + TruncToInt(0.03 * hb);
    for (int k : kLabelledOrders)
        canvas.TextOut({x0 + k * pitch, labelY}, QString::number(k));

    const auto heights = HarmonicBarHeights(amplitudes, TruncToInt(0.8 * hb));
    const int inset = TruncToInt(0.013 * w);
    SetPen(canvas, color, TruncToInt(0.0025 * f.FW));
    canvas.SetBrush(CanvasBrush::Solid(Qt::white));
    for (int k = 0; k < kReportHarmonicOrders; ++k) {
        const int x = x0 + k * pitch + inset;
        canvas.Rectangle({x, axis + 1 - heights[k], x + 7, axis - 1});
    }
    SetPen(canvas, Qt::black, 1);
}

void PrintTableGrid(Canvas& canvas, const PageFrame& f, const PrintTableGeometry& t)
{
    const int thick = TruncToInt(0.0012 * f.FH);
    SetPen(canvas, Qt::black, thick);
    const int ruleY = TruncToInt(0.555 * f.PH);
    Line(canvas, {t.left, ruleY}, {t.right, ruleY});
    canvas.TextOut({TruncToInt(0.75 * t.right), TruncToInt(0.548 * f.PH)},
                   QStringLiteral(" 各次諧波含量 "));
    canvas.Rectangle({t.left, t.top, t.right, t.bottom});

    SetPen(canvas, kReportGray, 1);
    for (int i = 1; i <= 18; ++i)
        Line(canvas, {t.left, t.top + t.row * i}, {t.right, t.top + t.row * i});
    for (int j = 1; j <= 14; ++j) {
        const bool full =
            j == 1 || j == 3 || j == 5 || j == 6 || j == 8 || j == 10 || j == 11 || j == 13;
        const bool between = j == 5 || j == 10; // between the three groups
        SetPenWidth(canvas, between ? thick : 1);
        const int x = t.left + t.column * j;
        Line(canvas, {x, full ? t.top : t.top + t.row}, {x, t.bottom});
    }
    SetPenWidth(canvas, 1);
}

void PrintTableTexts(Canvas& canvas, const MeasurementRecord& r, const PrintTableGeometry& t)
{
    const int c = t.column;
    const auto column = [&](int j, int offset) { return t.left + c * j + offset; };
    // A cell ends at its column's right line, the last column at the frame.
    const auto cell = [&](int j, int offset, int y, const QString& text) {
        const int right = j == 14 ? t.right : t.left + c * (j + 1);
        NumberOut(canvas, {column(j, offset), y}, {}, text, right);
    };
    const int lift = TruncToInt(0.2 * t.row);

    // Table text is transparent: a face whose line is taller than the row's
    // lower part would otherwise wipe the next row line with its white cell.
    canvas.SetTextBackground(TextBackground::Transparent);
    const int headOffset = TruncToInt(2 * c * 0.2);
    for (int j : {1, 6, 11})
        canvas.TextOut({column(j, headOffset), t.top + lift}, QStringLiteral("電    壓"));
    for (int j : {3, 8, 13})
        canvas.TextOut({column(j, headOffset), t.top + lift}, QStringLiteral("電    流"));
    const int head2 = t.top + t.row + lift;
    for (int j : {0, 5, 10})
        canvas.TextOut({column(j, TruncToInt(0.1 * c)), head2}, QStringLiteral("階 數"));
    for (int j : {1, 3, 6, 8, 11, 13})
        canvas.TextOut({column(j, TruncToInt(0.07 * c)), head2}, QStringLiteral("絕對值"));
    for (int j : {2, 4, 7, 9, 12, 14})
        canvas.TextOut({column(j, TruncToInt(0.07 * c)), head2}, QStringLiteral("相對值"));

    const int orderOffset = TruncToInt(0.3 * c);
    const int cellOffset = TruncToInt(0.1 * c);
    for (int g = 0; g < 3; ++g) {
        const int j0 = 5 * g;
        for (int row = 0; row <= 16; ++row) {
            const int k = row + 17 * g;
            const int y = t.top + lift + 2 * t.row + row * t.row;
            cell(j0, orderOffset, y, QString::number(k));
            cell(j0 + 1, cellOffset, y, FormatHarmonicAbs(r.UHarmonic[k]));
            cell(j0 + 2, cellOffset, y, FormatHarmonicRel(r.UHarmonic[k], r.UHarmonic[1]));
            cell(j0 + 3, cellOffset, y, FormatHarmonicAbs(r.IHarmonic[k]));
            cell(j0 + 4, cellOffset, y, FormatHarmonicRel(r.IHarmonic[k], r.IHarmonic[1]));
        }
    }
    canvas.SetTextBackground(TextBackground::Opaque);
}

} // namespace

void DrawAnalysisPreviewBody(Canvas& canvas, const MeasurementRecord& r, int W)
{
    // Boxes with their captions over the top border.
    SetPenWidth(canvas, 1);
    canvas.SetTextBackground(TextBackground::Opaque);
    canvas.Rectangle({50, 80, 400, 227});
    canvas.TextOut({58, 72}, QStringLiteral("採樣數據"));
    canvas.Rectangle({50, 237, 400, 384});
    canvas.TextOut({58, 227}, QStringLiteral("電壓諧波分佈"));
    canvas.Rectangle({50, 394, 400, 541});
    canvas.TextOut({58, 385}, QStringLiteral("電流諧波分佈"));

    SetFontSizeAndColor(canvas, 10, kReportGray);
    const auto values = ReportValueTexts(r, ReportTarget::Preview);
    for (int n = 0; n < kReportValueRows; ++n)
        NumberOut(canvas, {420, 90 + 32 * n}, PreviewLabels()[n], values[n], W - 50);

    PreviewTableLines(canvas, W);

    SetPenStyleWidth(canvas, PenStyle::DashDot, 1);
    for (int y : {101, 153, 206})
        Line(canvas, {50, y}, {400, y});
    SetPenStyleWidth(canvas, PenStyle::Solid, 1);

    // Both traces gray: the current thin, the voltage bold on top.
    const float step = 350.0f / 512.0f;
    const bool spread = r.WaveLength != 0;
    SetPen(canvas, kReportGray, 1);
    Trace(canvas, WaveTracePoints(50, 153, 53, step, r.IWave, r.IWaveZero, spread));
    SetPen(canvas, kReportGray, 2);
    Trace(canvas, WaveTracePoints(50, 153, 58, step, r.UWave, r.UWaveZero, spread));

    PreviewHarmonicChart(canvas, r.UHarmonic, 361);
    PreviewHarmonicChart(canvas, r.IHarmonic, 518);
    PreviewTableTexts(canvas, r, W);
    SetPenStyleWidth(canvas, PenStyle::Solid, canvas.State().pen.width);
}

void DrawAnalysisPrintBody(Canvas& canvas, const MeasurementRecord& r, const PageFrame& f,
                           bool landscape)
{
    const int captionPoints = landscape ? 7 : 10;
    const bool spread = r.WaveLength != 0;

    const int y1 = TruncToInt(0.072 * f.PH);
    const PrintBox wave{f.L, y1, f.L + TruncToInt(0.55 * f.PW), y1 + TruncToInt(0.15 * f.PH)};
    const int h = wave.height();
    SetPen(canvas, Qt::black, 1);
    canvas.Rectangle({wave.left, wave.top, wave.right, wave.bottom});
    PrintCaption(canvas, {TruncToInt(0.072 * f.PW), TruncToInt(0.065 * f.PH)},
                 QStringLiteral(" 採樣資料 "), captionPoints);
    PrintWaveGrid(canvas, wave);

    const int yc = y1 + h / 2;
    const float step = float(wave.right - f.L) / 512.0f;
    SetPen(canvas, kRed, TruncToInt(0.0008 * f.FH));
    Trace(canvas,
          WaveTracePoints(f.L, yc, TruncToInt(h * 2.5 / 7), step, r.IWave, r.IWaveZero, spread));
    // The grid again over the current trace, in the trace's colour.
    PrintWaveGrid(canvas, wave);
    SetPen(canvas, kGreen, TruncToInt(0.0015 * f.FH));
    Trace(canvas,
          WaveTracePoints(f.L, yc, TruncToInt(h * 2.8 / 7), step, r.UWave, r.UWaveZero, spread));
    SetPen(canvas, Qt::black, 1);

    const int uTop = TruncToInt(0.23 * f.PH);
    const PrintBox uBox{f.L, uTop, wave.right, uTop + h};
    canvas.Rectangle({uBox.left, uBox.top, uBox.right, uBox.bottom});
    PrintCaption(canvas, {TruncToInt(0.072 * f.PW), TruncToInt(0.223 * f.PH)},
                 QStringLiteral(" 電壓諧波分佈圖 "), captionPoints);
    PrintHarmonicChart(canvas, f, uBox, r.UHarmonic, kGreen);

    const int iTop = TruncToInt(0.388 * f.PH);
    const PrintBox iBox{f.L, iTop, wave.right, iTop + h};
    canvas.Rectangle({iBox.left, iBox.top, iBox.right, iBox.bottom});
    PrintCaption(canvas, {TruncToInt(0.072 * f.PW), TruncToInt(0.382 * f.PH)},
                 QStringLiteral(" 電流諧波分佈圖 "), captionPoints);
    PrintHarmonicChart(canvas, f, iBox, r.IHarmonic, kRed);

    SetFontSizeAndColor(canvas, 12, kReportGray);
    const auto values = ReportValueTexts(r, ReportTarget::Print);
    const int valueX = wave.right + TruncToInt(0.009 * f.PW);
    const int valueTop = TruncToInt(0.085 * f.PH);
    const int valueStep = TruncToInt(0.033 * f.PH);
    for (int n = 0; n < kReportValueRows; ++n)
        NumberOut(canvas, {valueX, valueTop + n * valueStep}, PrintLabels()[n], values[n], f.R);

    SetFontSizeAndColor(canvas, landscape ? 6 : 10, kReportGray);
    const PrintTableGeometry table = PrintTable(f);
    PrintTableGrid(canvas, f, table);
    PrintTableTexts(canvas, r, table);
}
