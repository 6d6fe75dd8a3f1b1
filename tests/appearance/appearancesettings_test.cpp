#include "appearancesettings.h"
#include "chartcolors.h"
#include "inifile.h"
#include "skinfolder.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ParseChoice, AcceptsOnlyDecimalNumbersInRange)
{
    struct Case {
        const char* text;
        int count;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"0", 7, 0},
        {"6", 7, 6},
        {"7", 7, std::nullopt},
        {"-1", 7, std::nullopt},
        {"2", 3, 2},
        {"3", 3, std::nullopt},
        {"", 3, std::nullopt},
        {"abc", 3, std::nullopt},
        {"2x", 3, std::nullopt},
        {"0x1", 3, std::nullopt},
        {" 1 ", 3, 1},
        {"1.0", 3, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseChoice(QString::fromLatin1(c.text), c.count), c.expected) << c.text;
}

TEST(ChartColors, TablesGiveTheDocumentedColoursAndBlackOutsideThem)
{
    EXPECT_EQ(ChartBackColorOf(0), 0xFF000000u);
    EXPECT_EQ(ChartBackColorOf(1), 0xFFFFFFFFu);
    EXPECT_EQ(ChartBackColorOf(2), 0xFFEEEEEEu); // 238, 238, 238
    EXPECT_EQ(ChartGridColorOf(0), 0xFF008080u); // 0, 128, 128
    EXPECT_EQ(ChartGridColorOf(1), 0xFFEFEF00u); // 239, 239, 0
    EXPECT_EQ(ChartGridColorOf(2), 0xFFAAAAAAu); // 170, 170, 170
    for (int outside : {-1, 3}) {
        EXPECT_EQ(ChartBackColorOf(outside), 0xFF000000u);
        EXPECT_EQ(ChartGridColorOf(outside), 0xFF000000u);
    }
    EXPECT_EQ(ChartBackColorText(0), QStringLiteral("黑色"));
    EXPECT_EQ(ChartBackColorText(2), QStringLiteral("灰色"));
    EXPECT_EQ(ChartGridColorText(0), QStringLiteral("藍綠"));
    EXPECT_EQ(ChartGridColorText(2), QStringLiteral("淺黑"));
}

TEST(AppearanceSettings, MissingKeysReadAsTwo)
{
    SkinFolder folder;
    const IniFile sysSet(folder.sysSetPath());
    EXPECT_EQ(SavedSkin(sysSet), 2);
    EXPECT_EQ(SavedChartBackground(sysSet), 2);
    EXPECT_EQ(SavedChartGrid(sysSet), 2);
}

TEST(AppearanceSettings, SavesUnderTheKnownSectionsAndKeys)
{
    SkinFolder folder;
    const IniFile sysSet(folder.sysSetPath());
    SaveSkin(sysSet, 2);
    SaveChartBackground(sysSet, 0);
    SaveChartGrid(sysSet, 1);
    EXPECT_EQ(folder.sysSetText(),
              QByteArray("[skinSet]\nSkin=2\n[WaveSet]\nWaveBackground=0\nScaleColor=1\n"));

    // Another skin lands in the same section whatever its spelling.
    SaveSkin(sysSet, 5);
    EXPECT_EQ(folder.sysSetText(),
              QByteArray("[skinSet]\nSkin=5\n[WaveSet]\nWaveBackground=0\nScaleColor=1\n"));
    EXPECT_EQ(SavedSkin(sysSet), 5);
}

TEST(AppearanceSettings, OtherSkinsStartTheSectionAsSkinSet)
{
    SkinFolder folder;
    SaveSkin(IniFile(folder.sysSetPath()), 4);
    EXPECT_EQ(folder.sysSetText(), QByteArray("[SkinSet]\nSkin=4\n"));
}

} // namespace
