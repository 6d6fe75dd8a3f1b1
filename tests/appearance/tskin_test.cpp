#include "tskin.h"

#include "sharedstate.h"
#include "skinfolder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;

// A Tskin over its own program folder (six skins of known text) that records
// the style sheets it applies and the redraws it asks for.
struct SkinWindowRig {
    SkinFolder folder;
    SharedState state;
    std::vector<QString> sheets;
    int redraws = 0;
    std::unique_ptr<Tskin> window;

    explicit SkinWindowRig(const QByteArray& sysSet = {}, bool withSkins = true)
    {
        if (withSkins)
            folder.writeAllSkins();
        if (!sysSet.isEmpty())
            folder.writeSysSet(sysSet);
    }
    Tskin& create()
    {
        window = std::make_unique<Tskin>(
            state, IniFile(folder.sysSetPath()),
            [this](const QString& sheet) { sheets.push_back(sheet); }, folder.path(),
            [this] { ++redraws; });
        return *window;
    }
};

TEST(Tskin, FirstStartAppliesSkinTwoGreyChartsAndWritesTheDefaults)
{
    SkinWindowRig rig;
    Tskin& window = rig.create();
    EXPECT_EQ(window.skinGroup()->checkedId(), 2);
    EXPECT_EQ(window.backgroundGroup()->checkedId(), 2);
    EXPECT_EQ(window.gridGroup()->checkedId(), 2);
    EXPECT_EQ(rig.sheets, std::vector<QString>{SkinFolder::skinText(2)});
    EXPECT_EQ(rig.state.ChartBackColor, 0xFFEEEEEEu);
    EXPECT_EQ(rig.state.ChartGridColor, 0xFFAAAAAAu);
    EXPECT_EQ(rig.redraws, 2);
    EXPECT_EQ(rig.folder.sysSetText(),
              QByteArray("[skinSet]\nSkin=2\n[WaveSet]\nWaveBackground=2\nScaleColor=2\n"));
}

// Saved values and what the window's creation makes of them. Values out of
// range or not numbers select nothing, apply nothing and write nothing.
TEST(Tskin, RestoresTheSavedChoices)
{
    struct Case {
        const char* sysSet;
        int skinId;
        int backgroundId;
        int gridId;
        std::optional<QString> sheet;
        std::uint32_t back;
        std::uint32_t grid;
        int redraws;
    };
    const Case cases[] = {
        {"[SkinSet]\nSkin=0\n[WaveSet]\nWaveBackground=0\nScaleColor=0\n", 0, 0, 0, QString(),
         kBlack, 0xFF008080, 2},
        // Skin 1 is the design selection: the main window has applied it already.
        {"[SkinSet]\nSkin=1\n[WaveSet]\nWaveBackground=1\nScaleColor=1\n", 1, 1, 1, std::nullopt,
         0xFFFFFFFF, 0xFFEFEF00, 2},
        {"[SkinSet]\nSkin=6\n[WaveSet]\nWaveBackground=2\nScaleColor=0\n", 6, 2, 0,
         SkinFolder::skinText(6), 0xFFEEEEEE, 0xFF008080, 2},
        {"[SkinSet]\nSkin=7\n[WaveSet]\nWaveBackground=3\nScaleColor=3\n", 1, -1, -1, std::nullopt,
         kBlack, kBlack, 0},
        {"[SkinSet]\nSkin=x\n[WaveSet]\nWaveBackground=-1\nScaleColor=grey\n", 1, -1, -1,
         std::nullopt, kBlack, kBlack, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sysSet);
        SkinWindowRig rig(c.sysSet);
        Tskin& window = rig.create();
        EXPECT_EQ(window.skinGroup()->checkedId(), c.skinId);
        EXPECT_EQ(window.backgroundGroup()->checkedId(), c.backgroundId);
        EXPECT_EQ(window.gridGroup()->checkedId(), c.gridId);
        EXPECT_EQ(rig.sheets.empty() ? std::nullopt : std::optional<QString>(rig.sheets.front()),
                  c.sheet);
        EXPECT_LE(rig.sheets.size(), 1u);
        EXPECT_EQ(rig.state.ChartBackColor, c.back);
        EXPECT_EQ(rig.state.ChartGridColor, c.grid);
        EXPECT_EQ(rig.redraws, c.redraws);
        // Restored values are written back as they were.
        EXPECT_EQ(rig.folder.sysSetText(), QByteArray(c.sysSet));
    }
}

TEST(Tskin, SavedSkinTwoStaysInItsSection)
{
    SkinWindowRig rig("[SkinSet]\nSkin=2\n");
    rig.create();
    EXPECT_EQ(rig.folder.sysSetText(),
              QByteArray("[SkinSet]\nSkin=2\n[WaveSet]\nWaveBackground=2\nScaleColor=2\n"));
}

TEST(Tskin, UserChoicesApplyAtOnceAndAreSaved)
{
    SkinWindowRig rig;
    Tskin& window = rig.create();
    rig.sheets.clear();
    rig.redraws = 0;

    window.skinGroup()->button(4)->click();
    EXPECT_EQ(rig.sheets, std::vector<QString>{SkinFolder::skinText(4)});
    window.skinGroup()->button(0)->click();
    EXPECT_EQ(rig.sheets.back(), QString());
    EXPECT_EQ(rig.redraws, 0) << "a skin needs no chart redraw";

    window.backgroundGroup()->button(0)->click();
    EXPECT_EQ(rig.state.ChartBackColor, kBlack);
    EXPECT_EQ(rig.redraws, 1);
    window.gridGroup()->button(1)->click();
    EXPECT_EQ(rig.state.ChartGridColor, 0xFFEFEF00u);
    EXPECT_EQ(rig.redraws, 2);

    // Clicking the item already chosen changes nothing.
    window.gridGroup()->button(1)->click();
    EXPECT_EQ(rig.redraws, 2);
    EXPECT_EQ(rig.sheets.size(), 2u);

    EXPECT_EQ(rig.folder.sysSetText(),
              QByteArray("[skinSet]\nSkin=0\n[WaveSet]\nWaveBackground=0\nScaleColor=1\n"));
}

TEST(Tskin, MissingSkinFileFallsBackToThePlatformLook)
{
    SkinWindowRig rig({}, false);
    Tskin& window = rig.create();
    EXPECT_EQ(rig.sheets, std::vector<QString>{QString()});
    window.skinGroup()->button(3)->click();
    EXPECT_EQ(rig.sheets.back(), QString());
    EXPECT_EQ(window.skinGroup()->checkedId(), 3);
}

TEST(Tskin, WindowLayout)
{
    SkinWindowRig rig;
    Tskin& window = rig.create();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("顯示樣式"));
    EXPECT_EQ(window.size(), QSize(275, 362));

    auto texts = [](QButtonGroup* group) {
        QStringList result;
        for (int id = 0; group->button(id); ++id)
            result << group->button(id)->text();
        return result;
    };
    EXPECT_EQ(
        texts(window.skinGroup()),
        (QStringList{QStringLiteral("WINDOWS系統默認"), QStringLiteral("風格1"),
                     QStringLiteral("風格2"), QStringLiteral("風格3"), QStringLiteral("風格4"),
                     QStringLiteral("風格5"), QStringLiteral("風格6")}));
    EXPECT_EQ(
        texts(window.backgroundGroup()),
        (QStringList{QStringLiteral("黑色"), QStringLiteral("白色"), QStringLiteral("灰色")}));
    EXPECT_EQ(texts(window.gridGroup()),
              (QStringList{QStringLiteral("藍綠"), QStringLiteral("黃"), QStringLiteral("淺黑")}));

    auto caption = [](QButtonGroup* group) {
        return qobject_cast<QGroupBox*>(group->button(0)->parentWidget())->title();
    };
    EXPECT_EQ(caption(window.skinGroup()), QStringLiteral("選擇風格"));
    EXPECT_EQ(caption(window.backgroundGroup()), QStringLiteral("圖形背景顏色"));
    EXPECT_EQ(caption(window.gridGroup()), QStringLiteral("刻度顏色"));

    window.show();
    EXPECT_EQ(window.closeButton()->text(), QStringLiteral("結束"));
    window.closeButton()->click();
    EXPECT_FALSE(window.isVisible());
}

} // namespace
