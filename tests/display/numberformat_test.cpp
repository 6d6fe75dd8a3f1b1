#include "numberformat.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberFormat, RoundsHalvesToEvenAndWritesGeneralText)
{
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {300.0, 4, "300"},
        {0.5, 4, "0.5"},
        {2.5, 0, "2"},
        {3.5, 0, "4"},
        {-2.5, 0, "-2"},
        {0.125, 2, "0.12"},
        {230.1234, 3, "230.123"},
        {49.9876, 3, "49.988"},
        {1.0 / 3.0, 4, "0.3333"},
        {0.0001, 4, "0.0001"},
        {-0.00004, 4, "0"},
        {123456.789, 2, "123456.79"},
        {1e15, 0, "1E+15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatGeneral(RoundToDecimals(c.value, c.decimals)), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3"); // 15 significant digits hide binary noise
}

// A number too wide for its field: the first shorter form that fits, the
// unit after it kept, never a cut number.
TEST(NumberFormat, TextsTooWideForTheirFieldTakeAShorterFormThatKeepsTheMagnitude)
{
    const struct {
        const char* text;
        int room; // characters that fit
        const char* shown;
    } cases[] = {
        {"220.13 V", 8, "220.13 V"},
        {"3.40000001972723E+38 V", 22, "3.40000001972723E+38 V"},
        {"3.40000001972723E+38 V", 13, "3.4E+38 V"},
        {"3.40000001972723E+38 V", 8, "3E+38 V"},
        {"3.40000001972723E+38 V", 6, "# V"},
        {"-3.40000001972723E+38 VAR", 12, "-3.4E+38 VAR"},
        {"123456789.12 W", 12, "1.23457E+8 W"},
        {"123456789.12 W", 8, "1.2E+8 W"},
        {"2.40452617501887E+38", 5, "2E+38"},
        {"3.3E+40%", 6, "3E+40%"},
        {"0.000123", 5, "1E-4"},
        {"NAN", 1, "NAN"}, // no number to shorten
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FitNumberText(QString::fromUtf8(c.text),
                                [&](const QString& t) { return t.size() <= c.room; }),
                  QString::fromUtf8(c.shown));
    }
}

} // namespace
