#pragma once

#include <array>
#include <optional>

struct RecordState;

// Autoscale of the record chart: the scales and the display range at which
// the points the chart draws fit its height. Fitting is judged in scaled
// units (full scale is value x multiplier = 500), not in the pixels of one
// chart, so that neither the screen chart nor the finer printed report shows
// a fitted trace over its edge.

struct AutoscaleChoice {
    int rangeMode = 0; // 0 positive, 1 both signs, 2 negative
    // The ScaleTable entry of each channel; none: keep the channel's scale
    // (hidden, or nothing but zeros and non-finite values in view).
    std::array<std::optional<int>, 6> scaleIndex{};
};

// The finite extremes of channel `c` over the points drawn on a chart of
// `width` columns; none when no point is drawn or none is finite.
struct ValueSpan {
    float lowest = 0;
    float highest = 0;
};
std::optional<ValueSpan> DrawnValueSpan(const RecordState& record, int channel, int width);

// The finest (largest) ScaleTable entry at which `span` lies between the
// chart's top and bottom grid rows in `rangeMode`. Only the part of the span the range shows counts
// (a positive range shows no negative value at any scale); none when that part is all zero.
std::optional<int> FinestFittingScale(ValueSpan span, int rangeMode);

// The range all shown channels' signs need (both signs as soon as one
// channel has a negative and one a positive value; unchanged when every
// value is zero) and each shown channel's finest fitting scale in it.
AutoscaleChoice ChooseAutoscale(const RecordState& record, int width);
// Channel `c` alone, in the range `rangeMode`.
std::optional<int> ChooseChannelScale(const RecordState& record, int channel, int rangeMode,
                                      int width);
// Sets RangeMode and the chosen ScaleIndex / ScaleValue entries.
void ApplyAutoscale(RecordState& record, const AutoscaleChoice& choice);
