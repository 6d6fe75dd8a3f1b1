#include "recordcursors.h"

#include "recordbrowser.h"

#include <algorithm>

std::optional<std::pair<int, int>> RecordCursors::span() const
{
    if (!samples[0] || !samples[1])
        return std::nullopt;
    return std::pair{std::min(*samples[0], *samples[1]), std::max(*samples[0], *samples[1])};
}

void RecordCursors::dropBeyond(int last)
{
    for (std::optional<int>& sample : samples)
        if (sample && *sample > last)
            sample.reset();
}

std::optional<int> CursorMovedByColumns(const RecordBrowser& browser, std::optional<int> sample,
                                        int columns)
{
    const std::optional<int> column = sample ? browser.ColumnOfSample(*sample) : std::nullopt;
    if (!column)
        return browser.ReadoutIndex(0) ? browser.ReadoutIndex(0) : sample;
    const std::optional<int> moved = browser.ReadoutIndex(*column + columns);
    return moved ? moved : sample;
}

std::optional<int> CursorMovedBySamples(std::optional<int> sample, int samples, int last)
{
    if (!sample || last < 0)
        return sample;
    // Older samples lie to the right, at smaller indexes.
    return std::clamp(*sample - samples, 0, last);
}

std::optional<int> CursorStartSample(const RecordBrowser& browser)
{
    // The oldest sample with a read-out is 1; beyond the chart's width, the
    // points fill the chart.
    const int lastColumn = browser.ColumnOfSample(1).value_or(browser.chartWidth() - 1);
    return browser.ReadoutIndex(lastColumn / 2);
}
