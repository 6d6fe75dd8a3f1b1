#include "limitstexts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Values compared unrounded are shown with the digits that keep them apart.
TEST(LimitsTexts, ValuesJustOverTheirLimitDoNotReadAsEqual)
{
    struct Case {
        double value;
        double reference;
        int minDecimals;
        int decimals;
    };
    const Case cases[] = {
        {0.5, 2.30, 4, 4},                        // far apart: the usual digits
        {2.30, 2.30, 4, 4},                       // equal: nothing to tell apart
        {2.30004, 2.30, 4, 5},                    // "2.3000" both at 4 decimals
        {std::nextafter(2.30, 3.0), 2.30, 4, 12}, // as far as the digits go
        {0.0577, 0.15 * 15 / 39, 4, 5},           // 0.05770 against 0.05769
        {100.001, 100.0, 2, 3},                   // a percentage just over 100
        {99.9999, 100.0, 2, 4},                   // just under: "100.00" would lie
    };
    for (const Case& c : cases) {
        const int decimals = DecimalsApart(c.value, c.reference, c.minDecimals);
        EXPECT_EQ(decimals, c.decimals) << c.value;
        if (c.value != c.reference && decimals < 12) {
            EXPECT_NE(FixedText(c.value, decimals), FixedText(c.reference, decimals)) << c.value;
        }
    }
}

TEST(LimitsTexts, RowsShowOrderValuesAndVerdict)
{
    OrderAssessment o;
    o.order = 39;
    o.measured = 0.0577;
    o.limit = 0.15 * 15 / 39;
    o.percent = o.measured / *o.limit * 100;
    o.state = OrderState::Exceeded;
    EXPECT_EQ(LimitsRowTexts(o, nullptr),
              (QStringList{"39", "0.05770", "0.05769", "100.01%", "超限"}));

    OrderAssessment none;
    none.order = 8;
    none.measured = std::nan("");
    none.state = OrderState::NoLimit;
    EXPECT_EQ(LimitsRowTexts(none, nullptr), (QStringList{"8", "NaN", "", "", ""}));
    EXPECT_EQ(LimitsHeadings(true).size(), kLimitsHoldColumns);
    EXPECT_EQ(LimitsHeadings(false).size(), kLimitsColumns);
}

TEST(LimitsTexts, EveryStateWithoutAVerdictIsSaidInWords)
{
    for (OrderState s : {OrderState::NoMeasurement, OrderState::NoFundamental,
                         OrderState::NoPowerFactor, OrderState::NoPower, OrderState::NotApplicable})
        EXPECT_FALSE(OrderStateText(s).isEmpty());
    EXPECT_TRUE(OrderStateText(OrderState::NoLimit).isEmpty());
    EXPECT_TRUE(
        OverallVerdictText(OverallVerdict::NotApplicable, {1.0, 0.9, 812.34}).contains("812.3 W"));
    for (const char* word : {"IEC 61000-4-7", "2.5 分鐘", "試驗電源", "預檢"})
        EXPECT_TRUE(MethodNoteText().contains(QString::fromUtf8(word))) << word;
}

} // namespace
