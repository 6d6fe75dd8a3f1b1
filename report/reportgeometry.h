#pragma once

#include <QPoint>

#include <array>
#include <cstdint>
#include <vector>

// Page geometry of the reports, as plain arithmetic the tests drive directly.

// Truncation toward zero and rounding half to even, as integers.
int TruncToInt(double x);
int RoundToInt(double x);

// The frame of a printed page in device pixels, counted from the paper edge.
struct PageFrame {
    int PW = 0; // page width and height
    int PH = 0;
    int L = 0;
    int T = 0;
    int R = 0;
    int B = 0;
    int CX = 0;
    int FW = 0; // R - L
    int FH = 0; // B - T

    static PageFrame ForPage(int pageWidth, int pageHeight);
};

// The top of a text cell `cellHeight` high that must end above a horizontal
// rule drawn at `ruleY` with a pen `ruleWidth` thick: `wantedTop`, or higher
// by as much as keeps one pen width of paper between the cell and the rule.
// The header texts sit on their rule; with the report font's line height
// the printed title would otherwise reach into it.
int TextTopClearOfRule(int wantedTop, int cellHeight, int ruleY, int ruleWidth);

// The preview page is drawn for a fixed page width; the analysis page is a
// portrait sheet, the record page a landscape one.
inline constexpr int kPreviewPageWidth = 708;
int PreviewPageHeight(int width, bool landscape);

inline constexpr int kWaveSamples = 512;

// The points of a waveform trace: sample i less the zero level, scaled so the
// largest excursion reaches `halfRange`, around the centre line `yc`; x runs
// from `x0` in steps of `step` accumulated as a 32-bit float (all points on
// x0 when `spread` is false, i.e. when the record's WaveLength is 0).
std::vector<QPoint> WaveTracePoints(int x0, int yc, int halfRange, float step,
                                    const std::array<std::uint16_t, kWaveSamples>& samples,
                                    std::uint16_t zero, bool spread);

inline constexpr int kReportHarmonicOrders = 51;

// Bar heights of the 51 orders: Trunc(fullHeight / max · a_k), the maximum
// over every finite amplitude, order 0 included. Amplitudes that are not
// finite or not positive, and all bars when the maximum is not positive, are
// 0 high.
std::array<int, kReportHarmonicOrders>
HarmonicBarHeights(const std::array<float, kReportHarmonicOrders>& amplitudes, int fullHeight);

// Column width of the preview's harmonic table for page width `width`.
int PreviewTableColumn(int width);

// The printed harmonic table: rectangle, column width and row height.
struct PrintTableGeometry {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int column = 0;
    int row = 0;
};
PrintTableGeometry PrintTable(const PageFrame& frame);
