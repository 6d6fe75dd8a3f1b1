#include "reportformats.h"

#include "measurementrecord.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct AbsCase {
    double amplitude;
    const char* text;
};

TEST(ReportFormats, HarmonicAbsoluteIsTheRmsValueWithTwoDecimals)
{
    const AbsCase cases[] = {
        {1.414, "1.00"}, // the divisor is 1.414, not the square root of two
        {0.0, "0.00"},        {2.0 * 1.414, "2.00"},
        {1.5 * 1.414, "1.5"}, // a point is present: nothing appended
        {311.127, "220.03"},  {0.12345 * 1.414, "0.12"},
    };
    for (const AbsCase& c : cases)
        EXPECT_EQ(FormatHarmonicAbs(c.amplitude), c.text) << c.amplitude;
}

struct RelCase {
    double amplitude;
    double fundamental;
    const char* text;
};

TEST(ReportFormats, HarmonicRelativeIsPercentOfTheFundamental)
{
    const double inf = std::numeric_limits<double>::infinity();
    const RelCase cases[] = {
        {220.0, 220.0, "100.0%"},
        {5.25, 100.0, "5.25%"},
        {5.0, 100.0, "5.0%"},
        {1.0, 3.0, "33.33%"},
        {0.0, 220.0, "0.0%"},
        // Without a usable fundamental every cell shows the format's zero.
        {5.0, 0.0, "0.0%"},
        {0.0, 0.0, "0.0%"},
        {5.0, std::nan(""), "0.0%"},
        {5.0, inf, "0.0%"},
    };
    for (const RelCase& c : cases)
        EXPECT_EQ(FormatHarmonicRel(c.amplitude, c.fundamental), c.text)
            << c.amplitude << " / " << c.fundamental;
}

TEST(ReportFormats, ValuesRoundHalfToEvenBeforeTheShortestForm)
{
    EXPECT_EQ(FormatReportValue(0.125f, 2), "0.12");
    EXPECT_EQ(FormatReportValue(0.375f, 2), "0.38");
    EXPECT_EQ(FormatReportValue(230.0, 2), "230");
    EXPECT_EQ(FormatReportValue(230.5, 2), "230.5");
    EXPECT_EQ(FormatReportValue(230.57, 2), "230.57");
    EXPECT_EQ(FormatReportValue(0.9996, 3), "1");
}

TEST(ReportFormats, ValueListDiffersBetweenPreviewAndPrint)
{
    MeasurementRecord r{};
    ResetMeasurementRecord(r);
    r.URMS = 0.125f;
    r.IRMS = 0.0625f; // exactly 62.5 thousandths: to the even 62
    r.IPA = 30.0f;
    r.PQ = 12.5f;
    r.VKF = 1.41f;
    r.VTHD = 0.0512f;
    r.ITHD = 0.25f;

    const auto preview = ReportValueTexts(r, ReportTarget::Preview);
    const auto print = ReportValueTexts(r, ReportTarget::Print);
    EXPECT_EQ(preview[0], "0.12 V");
    EXPECT_EQ(preview[1], "0 V");
    EXPECT_EQ(preview[2], "0 Hz");
    EXPECT_EQ(preview[3], "0.062 A");
    EXPECT_EQ(preview[5], "30 度");
    EXPECT_EQ(preview[7], "0");
    EXPECT_EQ(preview[9], "12.5 VAR");
    EXPECT_EQ(preview[10], "1.41 ");
    EXPECT_EQ(print[10], "1.41");
    EXPECT_EQ(preview[11], "0 ");
    EXPECT_EQ(print[11], "0");
    EXPECT_EQ(preview[12], "5.1 %");
    EXPECT_EQ(print[12], "5.12 %");
    EXPECT_EQ(preview[13], "25 %");
    r.URMS = 0.375f;
    EXPECT_EQ(ReportValueTexts(r, ReportTarget::Print)[0], "0.38 V");
}

} // namespace
