#include "recordchart.h"

#include "canvas.h"
#include "colorcontrast.h"
#include "paintercanvas.h"
#include "recordstate.h"

#include <QLocale>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Far outside any chart, yet far from the ends of an int after the
// arithmetic of the display ranges.
constexpr double kRawLimit = 1e8;

// The stretch from which each drawn sample gets a dot.
constexpr int kSampleDotStretch = 8;

const QColor kTeal(0, 128, 128);
const QColor kGreen(0, 128, 0);

int Near(double x)
{
    return int(std::nearbyint(x)); // the default rounding mode: halves to even
}

// The long time format without its time-zone name.
QString LongTimeFormat()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed();
}

} // namespace

RecordView CurrentView(const RecordState& record)
{
    const bool recording = record.ViewMode == 0;
    const SampleBuffers& data = recording ? record.CaptureBuffers : record.BrowseBuffers;
    RecordView view{};
    for (int c = 0; c < 6; ++c)
        view.channels[c] = data.channel(c);
    view.timestamps = data.timestamps();
    // Every index drawn lies between 0 and the last sample, so the last
    // sample is held inside the buffers whatever the state claims (a count
    // read from a file is clamped when read; this keeps the chart safe from
    // any other way in), and the offset back from it is never negative.
    const std::int64_t last = recording ? std::int64_t(record.CaptureCount) - 1 : record.BrowseLast;
    view.last = int(std::clamp<std::int64_t>(last, -1, kMaxSamples - 1));
    view.zoom = std::max(1, recording ? record.RecZoom : record.BrowseZoom);
    view.offset = std::max(0, recording ? record.RecOffset : record.BrowseOffset);
    view.stretch =
        view.zoom == 1 ? std::max(1, recording ? record.RecStretch : record.BrowseStretch) : 1;
    return view;
}

int DrawnPointCount(int last, int offset, int zoom, int width)
{
    const int p = (last - offset) / std::max(1, zoom);
    return std::min(p, width);
}

int DrawnPointCount(const RecordView& view, int width)
{
    if (view.stretch <= 1)
        return DrawnPointCount(view.last, view.offset, view.zoom, width);
    const int onChart = width > 0 ? (width - 1) / view.stretch + 1 : 0;
    return std::min(view.last - view.offset, onChart);
}

GridDivision GridDivisionAt(int stretch)
{
    const int s = std::max(1, stretch);
    for (int samples : {1, 2, 4, 5, 10})
        if (samples * s >= 20)
            return {samples, samples * s};
    return {20, 20 * s};
}

int GridRowY(int height, int b)
{
    return Near((height - 32) * (b / 10.0)) + 16;
}

int RulerTickY(int height, int i)
{
    return Near((height - 32) * (i / 50.0)) + 16;
}

float PixelsPerUnit(int height)
{
    return float((height - 32) / 500.0);
}

int ScaledRaw(float value, float scale, double k)
{
    const double raw = double(value) * double(scale) * double(k);
    if (std::isnan(raw))
        return 0;
    return Near(std::clamp(raw, -kRawLimit, kRawLimit));
}

int RangeY(int raw, int rangeMode, const RangeBand& band)
{
    switch (rangeMode) {
    case 1:
        return band.middle - Near(raw / 2.0);
    case 2:
        return band.top - raw;
    default:
        return band.bottom - raw;
    }
}

int RangeY(int raw, int rangeMode, int height)
{
    return RangeY(raw, rangeMode, RangeBand{16, height - 16, height / 2});
}

double UnitsPerDivision(int rangeMode, float scale)
{
    const double full = rangeMode == 1 ? 100000.0 : 50000.0;
    return std::nearbyint(full / double(scale)) / 1000.0;
}

QString ShortestDecimalText(double value)
{
    return QString::number(value, 'g', 15);
}

QString TimeDivisionCaption(int zoom)
{
    return QStringLiteral("Time/DIV=%1S").arg(20 * zoom);
}

QString TimeDivisionCaption(int zoom, int stretch)
{
    if (stretch <= 1)
        return TimeDivisionCaption(zoom);
    return QStringLiteral("Time/DIV=%1S").arg(GridDivisionAt(stretch).samples);
}

QString ChannelDivisionCaption(int channel, int rangeMode, float scale)
{
    return QStringLiteral("CH%1/DIV=").arg(channel + 1)
           + ShortestDecimalText(UnitsPerDivision(rangeMode, scale));
}

QString RulerLabel(int rangeMode, int i)
{
    switch (rangeMode) {
    case 1:
        return QStringLiteral("%1%").arg(100 - 4 * i);
    case 2:
        return QStringLiteral("-%1%").arg(2 * i);
    default:
        return QStringLiteral("%1%").arg(100 - 2 * i);
    }
}

QString RecordDateText(double oleDate)
{
    const QDateTime t = LocalFromOleDate(oleDate);
    return t.isValid() ? QLocale::system().toString(t.date(), QLocale::ShortFormat) : QString();
}

QString RecordTimeText(double oleDate)
{
    const QDateTime t = LocalFromOleDate(oleDate);
    return t.isValid() ? QLocale::system().toString(t.time(), LongTimeFormat()) : QString();
}

QString RecordDateTimeText(double oleDate)
{
    const QDateTime t = LocalFromOleDate(oleDate);
    return t.isValid() ? RecordDateText(oleDate) + QLatin1Char(' ') + RecordTimeText(oleDate)
                       : QString();
}

QString RecordDayText(double oleDate)
{
    const QDateTime t = LocalFromOleDate(oleDate);
    if (!t.isValid())
        return QString();
    // The year and the separator beside it go; day and month stay in the
    // locale's order.
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[^dMy]*y+$|y+[^dMy]*")));
    return QLocale::system().toString(t.date(), format);
}

bool RecordSameDay(double a, double b)
{
    const QDateTime ta = LocalFromOleDate(a);
    const QDateTime tb = LocalFromOleDate(b);
    return ta.isValid() && tb.isValid() && ta.date() == tb.date();
}

namespace {

// "開始：" with the whole date and time, the date without its year and the
// time, and the time alone; the date forms are left out where `sameDay`.
QStringList DateTimeForms(const QString& prefix, double oleDate, bool sameDay)
{
    const QString time = RecordTimeText(oleDate);
    if (time.isEmpty()) // no valid date: the panel has nothing to shorten
        return {prefix};
    QStringList forms{prefix + RecordDateTimeText(oleDate)};
    if (!sameDay)
        forms << prefix + RecordDayText(oleDate) + QLatin1Char(' ') + time;
    forms << prefix + time;
    forms.removeDuplicates();
    return forms;
}

} // namespace

QStringList StartPanelForms(const RecordChartFacts& facts)
{
    if (facts.points <= 0)
        return {StartPanelText(facts)};
    return DateTimeForms(QStringLiteral("開始："), facts.startTime, false);
}

QStringList EndPanelForms(const RecordChartFacts& facts)
{
    if (facts.points <= 0)
        return {EndPanelText(facts)};
    return DateTimeForms(QStringLiteral("結束："), facts.endTime,
                         RecordSameDay(facts.startTime, facts.endTime));
}

QString FirstThatFits(const QStringList& forms, const std::function<int(const QString&)>& widthOf,
                      int room)
{
    for (const QString& form : forms)
        if (widthOf(form) <= room)
            return form;
    return forms.isEmpty() ? QString() : forms.last();
}

QString ZoomPanelText(const RecordChartFacts& facts)
{
    // Stretched, a column holds a part of one sample.
    if (facts.stretch > 1)
        return QStringLiteral("採樣步長：1/%1S").arg(facts.stretch);
    return QStringLiteral("採樣步長：%1S").arg(facts.zoom);
}

QStringList ZoomPanelForms(const RecordChartFacts& facts)
{
    const QString whole = ZoomPanelText(facts);
    if (facts.stretch <= 1)
        return {whole};
    const QString step = QStringLiteral("1/%1S").arg(facts.stretch);
    return {whole, QStringLiteral("步長：") + step, step};
}

QString StartPanelText(const RecordChartFacts& facts)
{
    return QStringLiteral("開始：")
           + (facts.points > 0 ? RecordDateTimeText(facts.startTime) : QString());
}

QString EndPanelText(const RecordChartFacts& facts)
{
    return QStringLiteral("結束：")
           + (facts.points > 0 ? RecordDateTimeText(facts.endTime) : QString());
}

QString LengthPanelText(const RecordChartFacts& facts)
{
    return QStringLiteral("長度：%1").arg(std::max(0, facts.points));
}

RecordChartFacts DrawRecordChart(RecordState& record, Canvas& chart, Canvas& ruler, int width,
                                 int height, const ChartColors& colors)
{
    const int W = width;
    const int H = height;
    const RecordView view = CurrentView(record);
    RecordChartFacts facts;
    facts.zoom = view.zoom;
    facts.stretch = view.stretch;

    chart.SetBrush(CanvasBrush::Solid(colors.ChartBackColor));
    chart.FillRect({0, 0, W, H});
    chart.SetFont(ChartFont(Qt::black));
    chart.SetPen({colors.ChartGridColor, 1, PenStyle::Dot});
    for (int b = 0; b <= 10; ++b) {
        const int y = GridRowY(H, b);
        chart.MoveTo({0, y});
        chart.LineTo({W, y});
    }
    const GridDivision division = GridDivisionAt(view.stretch);
    // Stretched, the drift moves the grid by whole samples, as the traces move.
    const int drift = record.ViewMode == 0 ? record.GridShift : 0;
    const int shift = view.stretch == 1 ? drift : (drift % division.samples) * view.stretch;
    // Columns that the drift pushes past the right edge are not drawn.
    std::vector<CanvasLine> columns;
    for (int i = 0; division.pixels * i + shift < W; ++i) {
        const int x = division.pixels * i + shift;
        columns.push_back({{x, 16}, {x, H - 16}});
    }
    chart.Lines(columns);

    if (record.FileReady) {
        facts.dataDrawn = true;
        const float k = PixelsPerUnit(H);
        const int P = DrawnPointCount(view, W);
        const int S = view.stretch;
        facts.points = std::max(0, P);
        if (P > 0) {
            facts.startTime = view.timestamps[view.last - ((P - 1) * view.zoom + view.offset)];
            facts.endTime = view.timestamps[view.last - view.offset];
        }
        RecordOverflow& overflow = facts.overflow;
        // Stretched, a trace runs on to the next older sample beyond the
        // right edge, so that it reaches the edge; that point is not counted.
        const bool runOn = S > 1 && P > 0 && view.last - view.offset > P;
        // Each trace starts at the left edge at the height of its first point.
        std::vector<QPoint> trace(std::size_t(std::max(0, P)) + 1 + (runOn ? 1 : 0), QPoint(0, 0));
        chart.SetPen({chart.State().pen.color, 1, PenStyle::Solid});
        for (int c = 0; c < 6; ++c) {
            const float* values = view.channels[c];
            const float scale = record.ScaleValue[c];
            for (int x = 0; x < P; ++x) {
                const int idx = view.last - view.offset - x * view.zoom;
                const int y = RangeY(ScaledRaw(values[idx], scale, k), record.RangeMode, H);
                trace[std::size_t(x) + 1] = {x * S, y};
                if (y < 0)
                    overflow.overTop[c] = true;
                if (y > H)
                    overflow.belowBottom[c] = true;
            }
            if (runOn) {
                const int idx = view.last - view.offset - P;
                trace.back() = {P * S,
                                RangeY(ScaledRaw(values[idx], scale, k), record.RangeMode, H)};
            }
            const int y0 = P > 0 ? trace[1].y() : 0;
            trace[0] = {0, y0};
            // A palette colour that hardly shows on this background is drawn
            // in a shade of it that does.
            const QColor traceColor = TraceColorOn(kRecordChannelColors[c], colors.ChartBackColor);
            if (record.ChannelVisible[c]) {
                chart.SetPen({traceColor, 2, PenStyle::Solid});
                facts.penTops[c] = y0 - 7;
                if (P > 0)
                    chart.Polyline(trace);
                // Samples this far apart get a dot each, so that a reader sees
                // where the line only joins them.
                if (S >= kSampleDotStretch) {
                    chart.SetBrush(CanvasBrush::Solid(traceColor));
                    for (int x = 0; x < P; ++x) {
                        const QPoint at = trace[std::size_t(x) + 1];
                        chart.FillRect({at.x() - 2, at.y() - 2, at.x() + 3, at.y() + 3});
                    }
                }
            }
            const int x0 = W - 72 + 12 * c;
            if (overflow.overTop[c]) {
                chart.SetPen({chart.State().pen.color, 1, PenStyle::Solid});
                chart.SetBrush(CanvasBrush::Solid(traceColor));
                const QPoint up[] = {{x0, 5}, {x0 + 10, 5}, {x0 + 5, 0}};
                chart.Polygon(up);
            }
            if (overflow.belowBottom[c]) {
                chart.SetPen({chart.State().pen.color, 1, PenStyle::Solid});
                chart.SetBrush(CanvasBrush::Solid(traceColor));
                const QPoint down[] = {{x0, H - 6}, {x0 + 10, H - 6}, {x0 + 5, H - 1}};
                chart.Polygon(down);
            }
        }
    }

    // Captions sit on boxes of the background colour, or on a chip where
    // their colour would hardly show on it.
    SetCaptionStyle(chart, record.ViewMode == 0 ? kTeal : kGreen, colors.ChartBackColor);
    // A chart narrower than the captions ends them at its right edge.
    chart.TextOutClipped({5, H - 12}, TimeDivisionCaption(view.zoom, view.stretch), W);
    for (int c = 0; c < 6; ++c) {
        SetCaptionStyle(chart, kRecordChannelColors[c], colors.ChartBackColor);
        if (100 + 85 * c < W)
            chart.TextOutClipped({100 + 85 * c, H - 12},
                                 ChannelDivisionCaption(c, record.RangeMode, record.ScaleValue[c]),
                                 W);
    }

    ruler.SetBrush(CanvasBrush::Solid(Qt::white));
    ruler.FillRect({0, 0, kRecordRulerWidth, H});
    ruler.SetPen({Qt::black, 1, PenStyle::Solid});
    ruler.SetFont(ChartFont(Qt::black));
    for (int i = 0; i <= 50; ++i) {
        const int y = RulerTickY(H, i);
        if (i % 5 == 0) {
            ruler.MoveTo({3, y});
            ruler.LineTo({13, y});
            ruler.TextOut({20, y - 6}, RulerLabel(record.RangeMode, i));
        } else {
            ruler.MoveTo({7, y});
            ruler.LineTo({13, y});
        }
    }
    ruler.SetPen({Qt::black, 2, PenStyle::Solid});
    ruler.MoveTo({13, 16});
    ruler.LineTo({13, H - 16});
    return facts;
}

QImage ComposeRecordChartImage(const QImage& chartSurface, const QImage& rulerSurface, int width,
                               int height)
{
    QImage image(width + kRecordRulerWidth, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPoint(0, 0), chartSurface, QRect(0, 0, width, height));
    painter.drawImage(QPoint(width, 0), rulerSurface, QRect(0, 0, kRecordRulerWidth, height));
    return image;
}

QImage RenderRecordChartImage(RecordState& record, int width, int height, const ChartColors& colors)
{
    QImage chartSurface(width, height, QImage::Format_RGB32);
    QImage rulerSurface(kRecordRulerWidth, height, QImage::Format_RGB32);
    {
        QPainter chartPainter(&chartSurface);
        QPainter rulerPainter(&rulerSurface);
        PainterCanvas chart(chartPainter);
        PainterCanvas ruler(rulerPainter);
        DrawRecordChart(record, chart, ruler, width, height, colors);
    }
    return ComposeRecordChartImage(chartSurface, rulerSurface, width, height);
}
