#include "recordtoolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QToolButton>

namespace {

struct ButtonCase {
    QToolButton* RecordToolBar::*button;
    const char* name;
    const char16_t* tip;
    RecordCommand command;
    bool picture; // drawn by the program; the view switch's is read from PenData
};

// Each button of the table: its designer name, its tip, its picture and the
// command a click runs, in the bar's order with the separators between.
TEST(RecordToolBar, EveryButtonRunsItsCommandInTheBarsOrder)
{
    const ButtonCase cases[] = {
        {&RecordToolBar::SeSkinSpeedButton1, "SeSkinSpeedButton1", u"打開舊檔", RecordCommand::Open,
         true},
        {&RecordToolBar::SeSkinSpeedButton12, "SeSkinSpeedButton12", u"建立新檔",
         RecordCommand::Create, true},
        {&RecordToolBar::SeSkinSpeedButton3, "SeSkinSpeedButton3", u"列印記錄報告",
         RecordCommand::PrintReport, true},
        {nullptr, nullptr, nullptr, {}, false},
        {&RecordToolBar::SeSkinSpeedButton4, "SeSkinSpeedButton4", u"記錄設置",
         RecordCommand::Settings, true},
        {nullptr, nullptr, nullptr, {}, false},
        {&RecordToolBar::SeSkinSpeedButton5, "SeSkinSpeedButton5", u"啟動記錄",
         RecordCommand::Start, true},
        {&RecordToolBar::SeSkinSpeedButton6, "SeSkinSpeedButton6", u"停止記錄", RecordCommand::Stop,
         true},
        {nullptr, nullptr, nullptr, {}, false},
        {&RecordToolBar::SeSkinSpeedButton11, "SeSkinSpeedButton11", u"切換記錄／查閱",
         RecordCommand::SwitchView, false},
        {&RecordToolBar::SeSkinSpeedButton9, "SeSkinSpeedButton9", u"段後移", RecordCommand::Newer,
         true},
        {&RecordToolBar::SeSkinSpeedButton10, "SeSkinSpeedButton10", u"段前移",
         RecordCommand::Older, true},
        {&RecordToolBar::SeSkinSpeedButton7, "SeSkinSpeedButton7", u"向後收縮",
         RecordCommand::ZoomOut, true},
        {&RecordToolBar::SeSkinSpeedButton8, "SeSkinSpeedButton8", u"向前展開",
         RecordCommand::ZoomIn, true},
        {nullptr, nullptr, nullptr, {}, false},
        {&RecordToolBar::exportCsvButton, "exportCsvButton", u"匯出CSV檔案…",
         RecordCommand::ExportCsv, true},
        {&RecordToolBar::exportPngButton, "exportPngButton", u"儲存圖表為PNG…",
         RecordCommand::ExportPng, true},
    };
    std::vector<RecordCommand> ran;
    RecordToolBar bar([&ran](RecordCommand c) { ran.push_back(c); });
    EXPECT_EQ(bar.windowTitle(), "記錄工具列");
    EXPECT_FALSE(bar.isMovable());
    EXPECT_EQ(bar.iconSize(), QSize(32, 32));

    const QList<QAction*> actions = bar.actions();
    ASSERT_EQ(actions.size(), qsizetype(std::size(cases)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const ButtonCase& c = cases[i];
        SCOPED_TRACE(c.name ? c.name : "separator");
        if (!c.button) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        QToolButton* button = bar.*c.button;
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(bar.widgetForAction(actions[i]), button);
        EXPECT_EQ(button->objectName(), c.name);
        EXPECT_EQ(button->toolTip(), QString::fromUtf16(c.tip));
        EXPECT_TRUE(button->autoRaise());
        EXPECT_EQ(button->icon().isNull(), !c.picture);
        ran.clear();
        button->click();
        EXPECT_EQ(ran, std::vector<RecordCommand>{c.command});
    }
}

} // namespace
