#include "displaylayout.h"

DisplayLayout LayoutDisplay(int width, int height)
{
    DisplayLayout layout;
    // Every division truncates toward zero, as C++ integer division does;
    // four-pixel margins around and between the group boxes.
    const int w = (width - 12) / 2;
    const int h = (height - 12) / 2;
    layout.GroupBox1 = QRect(4, 4, w, h);
    layout.GroupBox2 = QRect(w + 8, 4, w, h);
    layout.GroupBox3 = QRect(4, h + 8, w, h);
    layout.GroupBox4 = QRect(w + 8, h + 8, w, h);

    // The chart panels leave room for the group box caption on top; the
    // paint boxes sit inside the panels' double bevel of 2 + 2 pixels.
    const QRect panel(4, 16, w - 8, h - 20);
    layout.Panel2 = layout.Panel3 = layout.Panel4 = panel;
    const QRect box(4, 4, panel.width() - 8, panel.height() - 8);
    layout.Pic1 = layout.Pic2 = layout.Pic3 = box;

    // Wide windows spread the three value columns over the group box;
    // narrow ones fall back to the fixed columns of the design.
    if (width >= 830) {
        const int c = (w - 10) / 3;
        layout.labelX = {10, c + 10, 2 * c + 10};
        layout.panelX = {42, c + 58, 2 * c + 58};
    } else {
        layout.labelX = {5, 125, 258};
        layout.panelX = {38, 172, 303};
    }
    layout.panelWidth = width >= 930 ? 93 : 83;

    const int g = h - 20;
    const int step = g / 5;
    for (int k = 0; k < 5; ++k) {
        layout.labelTop[k] = g / 15 + 20 + k * step;
        layout.panelTop[k] = g / 15 + 9 + k * step;
    }
    return layout;
}
