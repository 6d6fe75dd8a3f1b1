#include "displaylayout.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

using Ints3 = std::array<int, 3>;
using Ints5 = std::array<int, 5>;

TEST(LayoutDisplay, DesignSizeGivesTheDesignedGeometry)
{
    const DisplayLayout layout = LayoutDisplay(1101, 629);

    EXPECT_EQ(layout.GroupBox1, QRect(4, 4, 544, 308));
    EXPECT_EQ(layout.GroupBox2, QRect(552, 4, 544, 308));
    EXPECT_EQ(layout.GroupBox3, QRect(4, 316, 544, 308));
    EXPECT_EQ(layout.GroupBox4, QRect(552, 316, 544, 308));
    for (const QRect& panel : {layout.Panel2, layout.Panel3, layout.Panel4})
        EXPECT_EQ(panel, QRect(4, 16, 536, 288));
    for (const QRect& box : {layout.Pic1, layout.Pic2, layout.Pic3})
        EXPECT_EQ(box, QRect(4, 4, 528, 280));

    EXPECT_EQ(layout.labelX, (Ints3{10, 188, 366}));
    EXPECT_EQ(layout.panelX, (Ints3{42, 236, 414}));
    EXPECT_EQ(layout.panelWidth, 93);
    // g = 288, g div 15 = 19, row step g div 5 = 57
    EXPECT_EQ(layout.labelTop, (Ints5{39, 96, 153, 210, 267}));
    EXPECT_EQ(layout.panelTop, (Ints5{28, 85, 142, 199, 256}));
}

TEST(LayoutDisplay, NarrowPanelUsesTheFixedColumns)
{
    const DisplayLayout layout = LayoutDisplay(800, 600);

    EXPECT_EQ(layout.GroupBox2, QRect(402, 4, 394, 294));
    EXPECT_EQ(layout.Pic1, QRect(4, 4, 378, 266));
    EXPECT_EQ(layout.labelX, (Ints3{5, 125, 258}));
    EXPECT_EQ(layout.panelX, (Ints3{38, 172, 303}));
    EXPECT_EQ(layout.panelWidth, 83);
}

TEST(LayoutDisplay, ColumnsSpreadFrom830AndPanelsWidenFrom930)
{
    struct Case {
        int width;
        Ints3 labelX;
        Ints3 panelX;
        int panelWidth;
    };
    const Case cases[] = {
        {829, {5, 125, 258}, {38, 172, 303}, 83},
        {830, {10, 143, 276}, {42, 191, 324}, 83}, // w = 409, c = 133
        {929, {10, 159, 308}, {42, 207, 356}, 83}, // w = 458, c = 149
        {930, {10, 159, 308}, {42, 207, 356}, 93}, // w = 459, c = 149
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const DisplayLayout layout = LayoutDisplay(c.width, 629);
        EXPECT_EQ(layout.labelX, c.labelX);
        EXPECT_EQ(layout.panelX, c.panelX);
        EXPECT_EQ(layout.panelWidth, c.panelWidth);
    }
}

TEST(LayoutDisplay, OddSizesTruncate)
{
    // w = 1091 div 2 = 545, h = 618 div 2 = 309; g = 289: 289 div 15 = 19, 289 div 5 = 57.
    const DisplayLayout layout = LayoutDisplay(1103, 630);
    EXPECT_EQ(layout.GroupBox4, QRect(553, 317, 545, 309));
    EXPECT_EQ(layout.Pic3, QRect(4, 4, 529, 281));
    EXPECT_EQ(layout.labelTop[4], 19 + 20 + 4 * 57);
}

} // namespace
