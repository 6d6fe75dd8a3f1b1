#include "recordbrowser.h"

#include "recordautoscale.h"
#include "recordchart.h"
#include "recordstate.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kScrollMax = 450;
constexpr int kTrackMax = 150;
constexpr int kMaxZoom = 151;
constexpr int kOlderStep = 500;
constexpr int kNewerStep = 300;
constexpr int kLastScale = 16;

int Near(double x)
{
    return int(std::nearbyint(x));
}

} // namespace

RecordBrowser::RecordBrowser(RecordState& record, BrowseHooks hooks)
    : record_(record), hooks_(std::move(hooks))
{
}

int RecordBrowser::dataSize() const
{
    return record_.ViewMode == 0 ? record_.CaptureCount : record_.BrowseLast;
}

int& RecordBrowser::zoom()
{
    return record_.ViewMode == 0 ? record_.RecZoom : record_.BrowseZoom;
}

int& RecordBrowser::offset()
{
    return record_.ViewMode == 0 ? record_.RecOffset : record_.BrowseOffset;
}

int& RecordBrowser::stretch()
{
    return record_.ViewMode == 0 ? record_.RecStretch : record_.BrowseStretch;
}

int RecordBrowser::currentStretch() const
{
    const int z = record_.ViewMode == 0 ? record_.RecZoom : record_.BrowseZoom;
    const int s = record_.ViewMode == 0 ? record_.RecStretch : record_.BrowseStretch;
    return z <= 1 ? std::max(1, s) : 1;
}

qint64 RecordBrowser::newestInView() const
{
    return record_.ViewMode == 0 ? qint64(record_.CaptureCount) - 1 - record_.RecOffset
                                 : qint64(record_.BrowseLast) - record_.BrowseOffset;
}

int RecordBrowser::StretchLimit(int width)
{
    return std::max(1, width / 10);
}

// The scroll bar follows the offset as a share of the data: Near(O * 450 / N).
void RecordBrowser::syncScrollToOffset()
{
    const int n = dataSize();
    if (n != 0)
        SetScrollPosition(Near(double(offset()) * kScrollMax / n));
}

void RecordBrowser::SwitchView()
{
    record_.ViewMode = record_.ViewMode == 0 ? 1 : 0;
    hooks_.redraw();
    SetTrackPosition(kMaxZoom - zoom());
    syncScrollToOffset();
}

void RecordBrowser::ZoomIn()
{
    int& z = zoom();
    if (z > 1)
        z -= 1;
    else
        controls_.zoomIn = false;
    SetTrackPosition(kMaxZoom - zoom());
    controls_.zoomOut = true;
    if (record_.ViewMode == 0)
        hooks_.setGridPeriod(zoom() * 1000);
    syncScrollToOffset();
    hooks_.redraw();
}

void RecordBrowser::StretchIn()
{
    if (zoom() > 1) {
        ZoomIn();
        controls_.stretchIn = true;
        return;
    }
    int& s = stretch();
    s = std::max(1, s);
    if (s < StretchLimit(width_))
        s += 1;
    controls_.stretchIn = s < StretchLimit(width_);
    controls_.zoomOut = true;
    syncScrollToOffset();
    hooks_.redraw();
}

void RecordBrowser::ZoomOut()
{
    controls_.stretchIn = true;
    if (zoom() <= 1 && stretch() > 1) {
        stretch() -= 1;
        controls_.zoomIn = true;
        syncScrollToOffset();
        hooks_.redraw();
        return;
    }
    if (dataSize() / zoom() > Near(width_ * 0.95)) {
        zoom() += 1;
        SetTrackPosition(kMaxZoom - zoom());
    } else {
        controls_.zoomOut = false;
    }
    if (record_.ViewMode == 0)
        hooks_.setGridPeriod(zoom() * 1000);
    syncScrollToOffset();
    controls_.zoomIn = true;
    hooks_.redraw();
}

void RecordBrowser::PageOlder()
{
    controls_.newer = true;
    int& o = offset();
    // Stretched, a page is the same share of the chart as at one sample a
    // column.
    const int step = std::max(1, kOlderStep / currentStretch());
    const bool room =
        record_.ViewMode == 0 ? o + step < record_.CaptureCount - o : o + step < record_.BrowseLast;
    if (room)
        o += step;
    else
        controls_.older = false;
    syncScrollToOffset();
    hooks_.redraw();
}

void RecordBrowser::PageNewer()
{
    controls_.older = true;
    int& o = offset();
    if (o > 0)
        o = std::max(0, o - std::max(1, kNewerStep / currentStretch()));
    else
        controls_.newer = false;
    syncScrollToOffset();
    hooks_.redraw();
}

void RecordBrowser::ScaleUp(int c)
{
    int& index = record_.ScaleIndex[c];
    index = std::min(index + 1, kLastScale);
    record_.ScaleValue[c] = ScaleTable[std::size_t(index)];
    if (index == kLastScale)
        controls_.scaleUp[c] = false;
    controls_.scaleDown[c] = true;
    hooks_.redraw();
}

void RecordBrowser::ScaleDown(int c)
{
    int& index = record_.ScaleIndex[c];
    index = std::max(index - 1, 0);
    record_.ScaleValue[c] = ScaleTable[std::size_t(index)];
    if (index == 0)
        controls_.scaleDown[c] = false;
    controls_.scaleUp[c] = true;
    hooks_.redraw();
}

void RecordBrowser::ToggleChannel(int c)
{
    const bool visible = !record_.ChannelVisible[c];
    record_.ChannelVisible[c] = visible;
    controls_.scaleUp[c] = visible;
    controls_.scaleDown[c] = visible;
    if (record_.ScaleIndex[c] == kLastScale)
        controls_.scaleUp[c] = false;
    if (record_.ScaleIndex[c] == 0)
        controls_.scaleDown[c] = false;
    hooks_.redraw();
}

void RecordBrowser::CycleRange()
{
    record_.RangeMode = (record_.RangeMode + 1) % 3;
    hooks_.redraw();
}

void RecordBrowser::SetScrollPosition(int requested)
{
    if (requested == controls_.scrollPosition)
        return;
    controls_.scrollPosition = std::clamp(requested, 0, kScrollMax);
    ScrollChanged();
}

void RecordBrowser::SetTrackPosition(int requested)
{
    if (requested == controls_.trackPosition)
        return;
    controls_.trackPosition = std::clamp(requested, 0, kTrackMax);
    TrackChanged();
}

void RecordBrowser::ScrollMoved(int position)
{
    controls_.scrollPosition = std::clamp(position, 0, kScrollMax);
    ScrollChanged();
}

void RecordBrowser::TrackMoved(int position)
{
    controls_.trackPosition = std::clamp(position, 0, kTrackMax);
    TrackChanged();
}

// The scroll bar cannot move the window so far back that fewer than 95% of
// the chart's width would stay filled; a position that passes re-quantises
// the offset to the bar's 451 steps.
void RecordBrowser::ScrollChanged()
{
    const int n = dataSize();
    if (n <= kScrollMax)
        return;
    const int a = int(qint64(controls_.scrollPosition) * n / kScrollMax);
    if (width_ * 0.95 < double(n - a) * currentStretch()) {
        offset() = a;
        hooks_.startRedrawTimer();
    }
}

// A zoom the data would fill less than half the chart with is refused; the
// grid drifts at one division per 20 Z seconds in either view.
void RecordBrowser::TrackChanged()
{
    const int candidate = kMaxZoom - controls_.trackPosition;
    if (dataSize() / candidate > Near(width_ * 0.5)) {
        // Another zoom ends a stretch; the same one (a view switch setting
        // the bar back to Z = 1) keeps it.
        if (candidate != zoom())
            stretch() = 1;
        zoom() = candidate;
        hooks_.setGridPeriod(candidate * 1000);
    }
    hooks_.startRedrawTimer();
}

void RecordBrowser::RecordingStarted()
{
    record_.ViewMode = 0;
    record_.RecZoom = 1;
    record_.RecOffset = 0;
    record_.RecStretch = 1;
    SetScrollPosition(0);
    SetTrackPosition(kTrackMax);
}

void RecordBrowser::FileOpened()
{
    if ((record_.BrowseLast - record_.BrowseOffset) / std::max(1, record_.BrowseZoom) <= 0)
        record_.BrowseOffset = 0;
}

std::optional<int> RecordBrowser::ReadoutIndex(int x) const
{
    if (!record_.FileReady || x < 0 || x >= width_)
        return std::nullopt;
    if (const int s = currentStretch(); s > 1) {
        // The nearest drawn sample; the last column's may lie past the edge.
        qint64 p = (x + s / 2) / s;
        if (p * s >= width_)
            p = x / s;
        const qint64 idx = newestInView() - p;
        return idx > 0 ? std::optional<int>(int(idx)) : std::nullopt;
    }
    const qint64 z = record_.ViewMode == 0 ? record_.RecZoom : record_.BrowseZoom;
    if (record_.ViewMode == 0) {
        const qint64 o = record_.RecOffset;
        if (x * z + o + 1 < record_.CaptureCount)
            return int(record_.CaptureCount - 1 - o - x * z);
    } else {
        const qint64 o = record_.BrowseOffset;
        if (x * z + o < record_.BrowseLast)
            return int(record_.BrowseLast - o - x * z);
    }
    return std::nullopt;
}

std::optional<int> RecordBrowser::ColumnOfSample(int sampleIndex) const
{
    const qint64 newest = newestInView();
    if (!record_.FileReady || sampleIndex < 1 || sampleIndex > newest)
        return std::nullopt;
    const qint64 back = newest - sampleIndex;
    const int s = currentStretch();
    const qint64 z = std::max(1, record_.ViewMode == 0 ? record_.RecZoom : record_.BrowseZoom);
    const qint64 x = s > 1 ? back * s : back / z;
    return x < width_ ? std::optional<int>(int(x)) : std::nullopt;
}

// The scale buttons of the channels autoscale set, as after a manual change.
void RecordBrowser::syncScaleButtons(const std::array<std::optional<int>, 6>& changed)
{
    for (int c = 0; c < 6; ++c) {
        if (!changed[c])
            continue;
        controls_.scaleUp[c] = record_.ChannelVisible[c] && record_.ScaleIndex[c] < kLastScale;
        controls_.scaleDown[c] = record_.ChannelVisible[c] && record_.ScaleIndex[c] > 0;
    }
}

void RecordBrowser::Autoscale()
{
    const AutoscaleChoice choice = ChooseAutoscale(record_, width_);
    ApplyAutoscale(record_, choice);
    syncScaleButtons(choice.scaleIndex);
    hooks_.redraw();
}

void RecordBrowser::AutoscaleChannel(int c)
{
    AutoscaleChoice choice;
    choice.rangeMode = record_.RangeMode;
    choice.scaleIndex[c] = ChooseChannelScale(record_, c, record_.RangeMode, width_);
    ApplyAutoscale(record_, choice);
    syncScaleButtons(choice.scaleIndex);
    hooks_.redraw();
}

QString ReadoutValueText(float value)
{
    if (std::isnan(value))
        return QStringLiteral("值：NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("值：INF") : QStringLiteral("值：-INF");
    return QStringLiteral("值：")
           + ShortestDecimalText(std::nearbyint(double(value) * 1000) / 1000);
}

QString RangePanelText(int rangeMode)
{
    switch (rangeMode) {
    case 1:
        return QStringLiteral("顯示範圍：正值和負值  ");
    case 2:
        return QStringLiteral("顯示範圍：負值     ");
    default:
        return QStringLiteral("顯示範圍：正值     ");
    }
}
