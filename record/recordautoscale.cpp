#include "recordautoscale.h"

#include "recordchart.h"
#include "recordstate.h"

#include <algorithm>
#include <cmath>

std::optional<ValueSpan> DrawnValueSpan(const RecordState& record, int channel, int width)
{
    const RecordView view = CurrentView(record);
    const int points = DrawnPointCount(view, width);
    const float* values = view.channels[channel];
    std::optional<ValueSpan> span;
    for (int x = 0; x < points; ++x) {
        const float v = values[view.last - view.offset - x * view.zoom];
        if (!std::isfinite(v))
            continue;
        if (!span)
            span = ValueSpan{v, v};
        span->lowest = std::min(span->lowest, v);
        span->highest = std::max(span->highest, v);
    }
    return span;
}

std::optional<int> FinestFittingScale(ValueSpan span, int rangeMode)
{
    if (rangeMode == 0) {
        span.lowest = std::max(span.lowest, 0.0f);
        span.highest = std::max(span.highest, 0.0f);
    } else if (rangeMode == 2) {
        span.lowest = std::min(span.lowest, 0.0f);
        span.highest = std::min(span.highest, 0.0f);
    }
    if (span.lowest == 0 && span.highest == 0)
        return std::nullopt;
    constexpr double kFullScale = 500;
    const auto inside = [](float value, float scale) {
        return std::abs(double(value) * double(scale)) <= kFullScale;
    };
    for (int i = int(ScaleTable.size()) - 1; i > 0; --i) {
        const float scale = ScaleTable[std::size_t(i)];
        if (inside(span.lowest, scale) && inside(span.highest, scale))
            return i;
    }
    // Nothing fits: the coarsest scale shows the most of it.
    return 0;
}

AutoscaleChoice ChooseAutoscale(const RecordState& record, int width)
{
    AutoscaleChoice choice;
    choice.rangeMode = record.RangeMode;
    std::array<std::optional<ValueSpan>, 6> spans;
    bool positive = false;
    bool negative = false;
    for (int c = 0; c < kRecordChannels; ++c) {
        if (!record.ChannelVisible[c])
            continue;
        spans[c] = DrawnValueSpan(record, c, width);
        if (spans[c]) {
            positive = positive || spans[c]->highest > 0;
            negative = negative || spans[c]->lowest < 0;
        }
    }
    if (positive && negative)
        choice.rangeMode = 1;
    else if (positive)
        choice.rangeMode = 0;
    else if (negative)
        choice.rangeMode = 2;
    for (int c = 0; c < kRecordChannels; ++c)
        if (spans[c])
            choice.scaleIndex[c] = FinestFittingScale(*spans[c], choice.rangeMode);
    return choice;
}

std::optional<int> ChooseChannelScale(const RecordState& record, int channel, int rangeMode,
                                      int width)
{
    const std::optional<ValueSpan> span = DrawnValueSpan(record, channel, width);
    return span ? FinestFittingScale(*span, rangeMode) : std::nullopt;
}

void ApplyAutoscale(RecordState& record, const AutoscaleChoice& choice)
{
    record.RangeMode = choice.rangeMode;
    for (int c = 0; c < kRecordChannels; ++c) {
        if (!choice.scaleIndex[c])
            continue;
        record.ScaleIndex[c] = *choice.scaleIndex[c];
        record.ScaleValue[c] = ScaleTable[std::size_t(*choice.scaleIndex[c])];
    }
}
