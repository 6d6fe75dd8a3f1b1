#pragma once

// The log chart's view and the enabled state of its four picture buttons.
// LogScroll runs 0-2240 in steps of 320, LogZoom 1-4; both start there and
// are kept across downloads. A button is disabled by the first click made
// at its limit (that click changes nothing) and enabled again by a click of
// its opposite. The window redraws the chart after every click.
struct LogView {
    static constexpr int kScrollStep = 320;
    static constexpr int kLastScroll = 2240;
    static constexpr int kMaxZoom = 4;

    int LogScroll = 0;
    int LogZoom = 1;

    bool scrollLeftEnabled = true;
    bool scrollRightEnabled = true;
    bool coarserEnabled = true;
    bool finerEnabled = true;

    void ScrollLeft();
    void ScrollRight();
    void Coarser(); // sample step up
    void Finer();   // sample step down

    bool operator==(const LogView&) const = default;
};
