#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>

struct RecordState;

// What the browsing commands leave on the record window's controls: which
// commands are enabled, the positions of the scroll bar (0-450) and of the
// zoom track bar (0-150), and the display range button's text.
struct BrowseControls {
    bool zoomIn = true;    // "向前展開" and SeSkinSpeedButton8
    bool zoomOut = true;   // "向後收縮" and SeSkinSpeedButton7
    bool older = true;     // "段前移" and SeSkinSpeedButton10
    bool newer = true;     // "段後移" and SeSkinSpeedButton9
    bool stretchIn = true; // zooming in that goes on past one sample a column
    std::array<bool, 6> scaleUp{true, true, true, true, true, true};
    std::array<bool, 6> scaleDown{true, true, true, true, true, true};
    int scrollPosition = 0;
    int trackPosition = 150;

    bool operator==(const BrowseControls&) const = default;
};

// What the browsing commands ask of the timers and the chart.
struct BrowseHooks {
    std::function<void()> redraw;           // draw the chart now
    std::function<void()> startRedrawTimer; // ScrollBar1ChangeTimer
    std::function<void(int)> setGridPeriod; // GridTimer, in ms
};

// The browsing commands of the record chart: view switch, zoom, paging, the
// scroll and track bars, channel scales and visibility, the display range
// and the cursor read-out. They work on the view settings of the record
// state and on `controls`; the window mirrors both.
class RecordBrowser {
public:
    RecordBrowser(RecordState& record, BrowseHooks hooks);

    // The chart's width W in pixels, as last laid out.
    void setChartWidth(int width) { width_ = width; }
    int chartWidth() const { return width_; }
    const BrowseControls& controls() const { return controls_; }

    void SwitchView();
    void ZoomIn();
    // One step of zoom out, first taking back a stretch one pixel a step.
    void ZoomOut();
    // Zooms in as ZoomIn does down to one sample a column, then stretches
    // each sample one pixel wider a step, until about ten samples fill the
    // chart (StretchLimit).
    void StretchIn();
    // The widest stretch on a chart `width` pixels wide: ten samples across.
    static int StretchLimit(int width);
    // Every shown channel at the finest scale its drawn points fit the chart's
    // height at, and the display range their signs need; a channel without a
    // value other than zero keeps its scale.
    void Autoscale();
    // Channel `c` alone, in the display range shown.
    void AutoscaleChannel(int channel);
    void PageOlder();
    void PageNewer();
    void ScaleUp(int channel); // channel 0-5
    void ScaleDown(int channel);
    void ToggleChannel(int channel);
    void CycleRange();

    // A position set by a command: clamped to the control's range; the
    // change handling runs whenever `requested` differs from the position
    // held, even when clamping leaves it where it was.
    void SetScrollPosition(int requested);
    void SetTrackPosition(int requested);
    // The user moved the control to `position`.
    void ScrollMoved(int position);
    void TrackMoved(int position);

    // A recording starts: the recording view at zoom 1 and offset 0, the
    // scroll bar at 0, the track bar at 150.
    void RecordingStarted();
    // A file was opened into the browse buffers; an offset that leaves no
    // sample of it to draw starts again at the newest.
    void FileOpened();

    // The sample under chart column `x`, or none beyond the drawn points,
    // outside the chart, for sample 0 or without a file.
    std::optional<int> ReadoutIndex(int x) const;
    // The column where sample `sampleIndex` is drawn, or where it would lie
    // between the drawn samples of a column at Z > 1; none when it is not in
    // view. ReadoutIndex of that column gives the sample back wherever it is
    // drawn.
    std::optional<int> ColumnOfSample(int sampleIndex) const;

private:
    int dataSize() const; // N
    int& zoom();
    int& offset();
    int& stretch();
    int currentStretch() const;
    // The newest sample in view, in column 0: L - O.
    qint64 newestInView() const;
    void syncScaleButtons(const std::array<std::optional<int>, 6>& changed);
    void ScrollChanged();
    void TrackChanged();
    void syncScrollToOffset();

    RecordState& record_;
    BrowseHooks hooks_;
    BrowseControls controls_;
    int width_ = 1;
};

// "值：" and the value to three decimals in its shortest form; "NaN" and
// "INF" / "-INF" for the values a damaged file can hold.
QString ReadoutValueText(float value);
// Status panel 6 by display range: "顯示範圍：正值     " and so on.
QString RangePanelText(int rangeMode);
