#include "tharmonicform.h"

#include "harmonictable.h"
#include "qtprinters.h"
#include "sharedstate.h"

#include <QHeaderView>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

const QString kCell(21, QLatin1Char(' '));

class HarmonicFormTest : public ::testing::Test {
protected:
    HarmonicFormTest() { InitLinkAndMeasurement(state); }

    SharedState state;
};

TEST_F(HarmonicFormTest, WindowHoldsTheWholeTable)
{
    state.MeasurementRecord.UHarmonic[1] = 311.127f;
    THarmonicForm form(state);
    EXPECT_EQ(form.windowTitle(), "諧波含量列表");
    EXPECT_EQ(form.size(), QSize(648, 500));
    EXPECT_EQ(form.p1_h->objectName(), "p1_h");
    EXPECT_EQ(form.p1_h->verticalHeader()->defaultSectionSize(), 20);
    EXPECT_EQ(form.p1_h->horizontalHeader()->defaultSectionSize(), 127);

    const HarmonicTableTexts expected = HarmonicTableCells(state.MeasurementRecord);
    for (int row = 0; row < kHarmonicTableRows; ++row)
        for (int column = 0; column < kHarmonicTableColumns; ++column)
            EXPECT_EQ(form.cellText(row, column), expected[row][column]) << row << ", " << column;
    EXPECT_EQ(form.cellText(2, 1), kCell + "220.00");
}

TEST_F(HarmonicFormTest, OrdersCannotBeSelected)
{
    THarmonicForm form(state);
    EXPECT_FALSE(form.p1_h->item(0, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_TRUE(form.p1_h->item(0, 1)->flags() & Qt::ItemIsSelectable);
}

TEST_F(HarmonicFormTest, RefreshesFromTheRecordWhenShownAndEverySecond)
{
    THarmonicForm form(state);
    EXPECT_TRUE(form.Timer1.isActive());
    EXPECT_EQ(form.Timer1.interval(), 1000);

    state.MeasurementRecord.UHarmonic[1] = 311.127f;
    form.show();
    EXPECT_EQ(form.cellText(2, 1), kCell + "220.00");

    state.MeasurementRecord.UHarmonic[3] = 15.5f;
    EXPECT_EQ(form.cellText(4, 2), kCell + "0.00%");
    ASSERT_TRUE(QMetaObject::invokeMethod(&form.Timer1, "timeout", Qt::DirectConnection));
    EXPECT_EQ(form.cellText(4, 1), kCell + "10.96");
    EXPECT_EQ(form.cellText(4, 2), kCell + "4.98%");
    form.hide();
    // The timer keeps running while the window is closed.
    EXPECT_TRUE(form.Timer1.isActive());
}

} // namespace
