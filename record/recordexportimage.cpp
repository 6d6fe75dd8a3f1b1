#include "recordexportimage.h"

#include "canvas.h"
#include "colorcontrast.h"
#include "paintercanvas.h"
#include "recordchart.h"
#include "recordcsv.h"
#include "recordingcanvas.h"
#include "recordstate.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 6;            // between the bands of the picture
constexpr int kTickLength = 4;     // of the time axis's ticks
constexpr int kLegendSpacing = 16; // between two channels of a legend row
constexpr int kAxisLabelStep = 100;
constexpr int kAxisLabelRoom = 60; // about the width of a time label

const QColor kPage(Qt::white);

CanvasFont TitleFont()
{
    CanvasFont font = ChartFont(Qt::black);
    font.points = 10;
    font.bold = true;
    return font;
}

// Black or white, whichever stands out on the chart's background.
QColor MarkColor(const QColor& background)
{
    return ContrastRatio(Qt::white, background) >= ContrastRatio(Qt::black, background)
               ? QColor(Qt::white)
               : QColor(Qt::black);
}

struct LegendItem {
    QString text;
    QColor color;
    QPoint at; // relative to the legend's top left
};

// The shown channels' legend texts flowed into rows no wider than `width`.
std::vector<LegendItem> LayOutLegend(const Canvas& canvas, const RecordState& record,
                                     const RecordExportContent& content, int width, int lineHeight)
{
    std::vector<LegendItem> items;
    int x = 0;
    int y = 0;
    for (int c = 0; c < 6; ++c) {
        if (!record.ChannelVisible[c])
            continue;
        const QString text = RecordLegendText(c, content.codes[std::size_t(c)], record.RangeMode,
                                              record.ScaleValue[c]);
        const int textWidth = canvas.TextExtent(text).width();
        if (x > 0 && x + textWidth > width) {
            x = 0;
            y += lineHeight + 4;
        }
        items.push_back({text, kRecordChannelColors[c], {x, y}});
        x += textWidth + kLegendSpacing;
    }
    return items;
}

} // namespace

std::vector<int> RecordAxisColumns(int width, int points)
{
    const int drawn = std::min(width, points);
    std::vector<int> columns;
    for (int x = 0; x < drawn; x += kAxisLabelStep)
        columns.push_back(x);
    const int oldest = drawn - 1;
    if (oldest > 0 && oldest - columns.back() >= kAxisLabelRoom)
        columns.push_back(oldest);
    return columns;
}

QString RecordExportTitle(const RecordExportContent& content)
{
    QString title = content.fileName;
    if (content.startTime && content.endTime) {
        if (!title.isEmpty())
            title += QStringLiteral("   ");
        title += RecordDateTimeText(*content.startTime) + QStringLiteral(" – ")
                 + RecordDateTimeText(*content.endTime);
    }
    return title;
}

QString RecordLegendText(int channel, std::int32_t code, int rangeMode, float scale)
{
    return CsvChannelHeading(channel, code) + QStringLiteral("   ")
           + ShortestDecimalText(UnitsPerDivision(rangeMode, scale)) + QStringLiteral("/DIV");
}

QSize DrawRecordExport(Canvas& canvas, const QImage& chart, const RecordState& record,
                       const RecordExportContent& content, const ChartColors& colors)
{
    const int chartWidth = chart.width() - kRecordRulerWidth; // W
    const int chartHeight = chart.height();                   // H
    const QString title = RecordExportTitle(content);
    const QStringList spanLines = content.span ? content.span->lines : QStringList();

    canvas.SetFont(TitleFont());
    const int titleHeight =
        canvas.TextExtent(title.isEmpty() ? QStringLiteral("0") : title).height();
    canvas.SetFont(ChartFont(Qt::black));
    const int lineHeight = canvas.TextExtent(QStringLiteral("0")).height();
    // The span's figures are read whole: the picture grows to its widest line.
    int width = chart.width() + 2 * kMargin;
    for (const QString& line : spanLines)
        width = std::max(width, canvas.TextExtent(line).width() + 2 * kMargin);
    const std::vector<LegendItem> legend =
        LayOutLegend(canvas, record, content, width - 2 * kMargin, lineHeight);
    const int legendHeight = legend.empty() ? 0 : legend.back().at.y() + lineHeight;

    const int chartTop = kMargin + titleHeight + kGap;
    const int axisTop = chartTop + chartHeight;
    const int legendTop = axisTop + kTickLength + 2 * lineHeight + kGap;
    const int spanTop = legendTop + legendHeight + kGap;
    const int height = spanTop + int(spanLines.size()) * lineHeight + kMargin;

    canvas.SetBrush(CanvasBrush::Solid(kPage));
    canvas.FillRect({0, 0, width, height});
    canvas.CopyImage({kMargin, chartTop, kMargin + chart.width(), chartTop + chartHeight}, chart,
                     {0, 0, chart.width(), chartHeight});

    canvas.SetTextBackground(TextBackground::Transparent);
    canvas.SetFont(TitleFont());
    canvas.TextOutClipped({kMargin, kMargin}, title, width - kMargin);

    // The edges of the marked span, lettered at the chart's top.
    if (content.span && content.columnOfSample) {
        const QColor mark = MarkColor(colors.ChartBackColor);
        const std::pair<int, const char*> edges[] = {{content.span->first, "A"},
                                                     {content.span->last, "B"}};
        for (const auto& [sample, letter] : edges) {
            const std::optional<int> column = content.columnOfSample(sample);
            if (!column || *column < 0 || *column >= chartWidth)
                continue;
            const int x = kMargin + *column;
            canvas.SetPen({mark, 1, PenStyle::Solid});
            canvas.MoveTo({x, chartTop + 16});
            canvas.LineTo({x, axisTop - 16});
            SetCaptionStyle(canvas, mark, colors.ChartBackColor);
            canvas.TextOutClipped({x + 2, chartTop + 2}, QString::fromLatin1(letter),
                                  kMargin + chartWidth);
        }
    }

    // The time axis: a tick and the time under each labelled column, the
    // date under the first label and wherever the day changes.
    canvas.SetPen({Qt::black, 1, PenStyle::Solid});
    canvas.MoveTo({kMargin, axisTop});
    canvas.LineTo({kMargin + chartWidth, axisTop});
    canvas.SetTextBackground(TextBackground::Transparent);
    canvas.SetFont(ChartFont(Qt::black));
    QString lastDate;
    for (const RecordAxisTick& tick : content.axis) {
        if (tick.column < 0 || tick.column >= chartWidth)
            continue;
        const int x = kMargin + tick.column;
        canvas.MoveTo({x, axisTop});
        canvas.LineTo({x, axisTop + kTickLength});
        const QString time = RecordTimeText(tick.time);
        const QString date = RecordDateText(tick.time);
        // Labels start at their tick, the last ones end at the picture's edge.
        const auto place = [&](const QString& text, int y) {
            const int textWidth = canvas.TextExtent(text).width();
            const int left = std::clamp(x, kMargin, std::max(kMargin, width - kMargin - textWidth));
            canvas.TextOutClipped({left, y}, text, width - kMargin);
        };
        place(time, axisTop + kTickLength);
        if (date != lastDate)
            place(date, axisTop + kTickLength + lineHeight);
        lastDate = date;
    }

    for (const LegendItem& item : legend) {
        SetCaptionStyle(canvas, item.color, kPage);
        canvas.TextOutClipped(QPoint(kMargin, legendTop) + item.at, item.text, width - kMargin);
    }

    canvas.SetTextBackground(TextBackground::Transparent);
    canvas.SetFont(ChartFont(Qt::black));
    for (int i = 0; i < spanLines.size(); ++i)
        canvas.TextOutClipped({kMargin, spanTop + i * lineHeight}, spanLines[i], width - kMargin);
    return {width, height};
}

QImage RenderRecordExport(const QImage& chart, const RecordState& record,
                          const RecordExportContent& content, const ChartColors& colors)
{
    // Laid out once without painting to learn the size, then painted.
    RecordingCanvas layout(QImage(1, 1, QImage::Format_RGB32).logicalDpiY(), PainterTextExtent);
    const QSize size = DrawRecordExport(layout, chart, record, content, colors);
    QImage image(size, QImage::Format_RGB32);
    image.fill(kPage);
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    DrawRecordExport(canvas, chart, record, content, colors);
    return image;
}
