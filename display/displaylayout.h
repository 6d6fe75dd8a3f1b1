#pragma once

#include <QRect>

#include <array>

// Geometry of the main window's live view inside its client panel Panel1:
// four group boxes in a 2 x 2 grid, the chart panels with their paint boxes,
// and the three-by-five grid of value labels and panels in GroupBox2.
// Rectangles are (x, y, width, height) in the coordinates of the control's
// parent: group boxes in Panel1, chart panels in their group box, paint
// boxes in their chart panel (inside its 4-pixel double bevel).
struct DisplayLayout {
    QRect GroupBox1; // waveform, top left
    QRect GroupBox2; // value panels, top right
    QRect GroupBox3; // voltage harmonics, bottom left
    QRect GroupBox4; // current harmonics, bottom right
    QRect Panel2;    // in GroupBox1
    QRect Panel3;    // in GroupBox3
    QRect Panel4;    // in GroupBox4
    QRect Pic1;      // in Panel2; its size is the chart box of every chart
    QRect Pic2;      // in Panel3
    QRect Pic3;      // in Panel4

    // Inside GroupBox2: x of the labels and of the value panels of columns
    // 1-3, the width of all fifteen panels, and the tops of rows 1-5.
    std::array<int, 3> labelX{};
    std::array<int, 3> panelX{};
    int panelWidth = 0;
    std::array<int, 5> labelTop{};
    std::array<int, 5> panelTop{};

    bool operator==(const DisplayLayout&) const = default;
};

inline constexpr int kValuePanelHeight = 33;

// Captions of GroupBox1-GroupBox4 (UTF-8), blanks included.
inline constexpr std::array<const char*, 4> kGroupBoxCaptions{
    "採樣波形", "測量數據", " 電壓諧波 ( UTHD) 分佈圖 ", " 電流 ( ITHD) 分佈圖 "};

// The layout for a client panel of `width` x `height` pixels; recomputed on
// every resize of the main window.
DisplayLayout LayoutDisplay(int width, int height);
