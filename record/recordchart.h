#pragma once

#include "chartbox.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class Canvas;
struct RecordState;

// The record window's trend chart: six traces, the newest sample in column 0
// and older samples to the right, one column per Z samples; a dotted grid of
// 10 rows, a 50-pixel percentage ruler beside the chart, the scale captions
// along the bottom and a small triangle per channel whose values leave the
// chart. Everything is computed from the record state and the chart size.

inline const std::array<QColor, 6> kRecordChannelColors{QColor(0, 128, 0),   QColor(255, 0, 0),
                                                        QColor(0, 0, 255),   QColor(128, 0, 0),
                                                        QColor(255, 255, 0), QColor(255, 0, 255)};
inline constexpr int kRecordRulerWidth = 50;
// The chart's size W x H when the record window has its designed shape,
// 797 x 598: what a report of a record file drawn without the window shows.
inline constexpr int kRecordChartDesignedWidth = 690;
inline constexpr int kRecordChartDesignedHeight = 300;

// The data of the view in use: the recording view shows the capture buffers
// up to CaptureCount - 1, the browsing view the opened file up to BrowseLast.
struct RecordView {
    const float* channels[6];
    const double* timestamps;
    int last;    // L, -1 when there is no sample
    int zoom;    // Z
    int offset;  // O
    int stretch; // S, pixels per sample: above 1 only at Z = 1
};
RecordView CurrentView(const RecordState& record);

// P = (L - O) div Z, at most W: the number of drawn points (0 or less: none).
int DrawnPointCount(int last, int offset, int zoom, int width);
// The same for the view: stretched, the points whose columns x S fall on
// the chart, at most L - O.
int DrawnPointCount(const RecordView& view, int width);

// One division of the time grid: `samples` samples over `pixels` columns. At
// one sample a column 20 over 20; stretched, the fewest samples that divide
// 20 and span at least 20 pixels, so that grid lines fall on samples and the
// recording view's drift (one sample a tick, wrapping at 20) stays even.
struct GridDivision {
    int samples;
    int pixels;
};
GridDivision GridDivisionAt(int stretch);

// Row b (0-10) of the horizontal grid: Near((H - 32) * (b / 10)) + 16.
int GridRowY(int height, int b);
// Tick i (0-50) of the ruler: Near((H - 32) * (i / 50)) + 16.
int RulerTickY(int height, int i);
// k = (H - 32) / 500 as a 32-bit float: pixels per scaled unit.
float PixelsPerUnit(int height);
// Near(value * scale * k) in double. NaN counts as 0; infinities and values
// beyond any chart saturate far outside it, so no integer overflows. The
// chart's k is a 32-bit float, the printed report's a double.
int ScaledRaw(float value, float scale, double k);
// Where a display range puts its zero: the band of the plot from `top` to
// `bottom`, `middle` its zero line in the range of both signs.
struct RangeBand {
    int top;
    int bottom;
    int middle;
};
// The y of a raw value by the display range (0 positive, 1 both, 2 negative):
// zero on the bottom, middle or top line, raw units upward.
int RangeY(int raw, int rangeMode, const RangeBand& band);
// The same on the chart of height H: the band from 16 to H - 16, middle H div 2.
int RangeY(int raw, int rangeMode, int height);

// Units per division of a channel caption: 50 / s to three decimals in the
// positive and the negative range; 100 / s in the range of both signs, where
// ±500 scaled units span the whole band. The record report shows the same.
double UnitsPerDivision(int rangeMode, float scale);
// A number in its shortest decimal form: 50, 0.5, 0.005.
QString ShortestDecimalText(double value);
// "Time/DIV=" 20 Z "S" and "CHc/DIV=" followed by the units per division.
QString TimeDivisionCaption(int zoom);
// Stretched (S > 1, Z = 1): "Time/DIV=" the samples of one grid division "S".
QString TimeDivisionCaption(int zoom, int stretch);
QString ChannelDivisionCaption(int channel, int rangeMode, float scale); // channel 0-5
// "100%" .. "0%", "100%" .. "-100%" or "-0%" .. "-100%" at tick i (multiple of 5).
QString RulerLabel(int rangeMode, int i);
// The system locale's short date, a blank and its long time without a time
// zone; empty for a timestamp that is no valid date.
QString RecordDateText(double oleDate);
QString RecordTimeText(double oleDate);
QString RecordDateTimeText(double oleDate);
// The short date without its year ("12/11", "11.12"), for where room is short.
QString RecordDayText(double oleDate);
// True when both timestamps are valid dates on the same local day.
bool RecordSameDay(double a, double b);

// What a drawing found out, for the status panels and the pen images.
// The channels with a drawn point above the chart's top or below its
// bottom: each gets an overflow mark.
struct RecordOverflow {
    std::array<bool, 6> overTop{};
    std::array<bool, 6> belowBottom{};
};

struct RecordChartFacts {
    bool dataDrawn = false; // FileReady was set
    int zoom = 1;
    int stretch = 1;
    int points = 0;                            // P, 0 when none
    double startTime = 0;                      // the oldest drawn sample (points > 0 only)
    double endTime = 0;                        // the newest drawn sample (points > 0 only)
    std::array<std::optional<int>, 6> penTops; // set for the visible channels
    RecordOverflow overflow;                   // of the drawn points (none without data)
};

// Status panels 0, 2, 3 and 4 after a drawing with data.
QString ZoomPanelText(const RecordChartFacts& facts); // "採樣步長：" Z "S", "1/" S "S" stretched
QString StartPanelText(const RecordChartFacts& facts);  // "開始：" date-time
QString EndPanelText(const RecordChartFacts& facts);    // "結束：" date-time
QString LengthPanelText(const RecordChartFacts& facts); // "長度：" P

// The forms panel 0 may take: stretched, the step's fraction without its
// caption's first word, then alone.
QStringList ZoomPanelForms(const RecordChartFacts& facts);
// The forms panels 2 and 3 may take, whole first, each shorter than the one
// before; the time is in every form. The start's date goes from whole to
// without its year to none; the end's the same, but it drops the date first
// where it is the start's day.
QStringList StartPanelForms(const RecordChartFacts& facts);
QStringList EndPanelForms(const RecordChartFacts& facts);
// The first of `forms` whose width fits `room` pixels, else the last.
QString FirstThatFits(const QStringList& forms, const std::function<int(const QString&)>& widthOf,
                      int room);

// Draws the chart of `width` x `height` pixels on `chart` and its ruler on
// `ruler`.
RecordChartFacts DrawRecordChart(RecordState& record, Canvas& chart, Canvas& ruler, int width,
                                 int height, const ChartColors& colors);

// The picture of chart and ruler side by side, (W + 50) x H, from the two
// surfaces the chart was drawn on.
QImage ComposeRecordChartImage(const QImage& chartSurface, const QImage& rulerSurface, int width,
                               int height);
// Draws chart and ruler afresh into a (W + 50) x H picture.
QImage RenderRecordChartImage(RecordState& record, int width, int height,
                              const ChartColors& colors);
