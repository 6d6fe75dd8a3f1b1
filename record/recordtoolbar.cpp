#include "recordtoolbar.h"

#include "toolbuttons.h"

#include <QToolButton>

RecordToolBar::RecordToolBar(const std::function<void(RecordCommand)>& run, QWidget* parent)
    : QToolBar(QStringLiteral("記錄工具列"), parent)
{
    setMovable(false);
    setIconSize(QSize(32, 32));
    auto command = [&run](RecordCommand c) { return [run, c] { run(c); }; };
    using C = RecordCommand;
    // Name, picture, tip, command, and where the window keeps the button.
    const std::vector<ToolButtonRow> rows{
        {QStringLiteral("SeSkinSpeedButton1"), Glyph::Open, QStringLiteral("打開舊檔"),
         command(C::Open), &SeSkinSpeedButton1},
        {QStringLiteral("SeSkinSpeedButton12"), Glyph::Create, QStringLiteral("建立新檔"),
         command(C::Create), &SeSkinSpeedButton12},
        {QStringLiteral("SeSkinSpeedButton3"), Glyph::Print, QStringLiteral("列印記錄報告"),
         command(C::PrintReport), &SeSkinSpeedButton3},
        ToolSeparator(),
        {QStringLiteral("SeSkinSpeedButton4"), Glyph::Settings, QStringLiteral("記錄設置"),
         command(C::Settings), &SeSkinSpeedButton4},
        ToolSeparator(),
        {QStringLiteral("SeSkinSpeedButton5"), Glyph::StartRecording, QStringLiteral("啟動記錄"),
         command(C::Start), &SeSkinSpeedButton5},
        {QStringLiteral("SeSkinSpeedButton6"), Glyph::Stop, QStringLiteral("停止記錄"),
         command(C::Stop), &SeSkinSpeedButton6},
        ToolSeparator(),
        {QStringLiteral("SeSkinSpeedButton11"), Glyph::None, QStringLiteral("切換記錄／查閱"),
         command(C::SwitchView), &SeSkinSpeedButton11},
        {QStringLiteral("SeSkinSpeedButton9"), Glyph::Newer, QStringLiteral("段後移"),
         command(C::Newer), &SeSkinSpeedButton9},
        {QStringLiteral("SeSkinSpeedButton10"), Glyph::Older, QStringLiteral("段前移"),
         command(C::Older), &SeSkinSpeedButton10},
        {QStringLiteral("SeSkinSpeedButton7"), Glyph::ZoomOut, QStringLiteral("向後收縮"),
         command(C::ZoomOut), &SeSkinSpeedButton7},
        {QStringLiteral("SeSkinSpeedButton8"), Glyph::ZoomIn, QStringLiteral("向前展開"),
         command(C::ZoomIn), &SeSkinSpeedButton8},
        ToolSeparator(),
        {QStringLiteral("exportCsvButton"), Glyph::ExportCsv, QStringLiteral("匯出CSV檔案…"),
         command(C::ExportCsv), &exportCsvButton},
        {QStringLiteral("exportPngButton"), Glyph::ExportPng, QStringLiteral("儲存圖表為PNG…"),
         command(C::ExportPng), &exportPngButton},
    };
    AddToolButtons(*this, rows, GlyphLook::RecordToolBar);
}
