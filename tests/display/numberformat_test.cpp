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
        {300.0, 4, "300"},        {0.5, 4, "0.5"},          {2.5, 0, "2"},
        {3.5, 0, "4"},            {-2.5, 0, "-2"},          {0.125, 2, "0.12"},
        {230.1234, 3, "230.123"}, {49.9876, 3, "49.988"},   {1.0 / 3.0, 4, "0.3333"},
        {0.0001, 4, "0.0001"},    {-0.00004, 4, "0"},       {123456.789, 2, "123456.79"},
        {1e15, 0, "1E+15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatGeneral(RoundToDecimals(c.value, c.decimals)), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3"); // 15 significant digits hide binary noise
}

} // namespace
