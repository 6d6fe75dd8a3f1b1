#pragma once

#include "recordchart.h"
#include "recordchartview.h"
#include "recordcursors.h"
#include "recordexportimage.h"
#include "recordparameterpanels.h"
#include "recordtoolbar.h"
#include "spanstatisticspanel.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QDockWidget;
class QLabel;
class QMessageBox;
class QToolBar;
class QToolButton;
class RecordBrowser;
class RecordControl;
struct RecordCommandStates;
struct RecordState;
struct SharedState;

// The record window "記錄": menus, tool buttons, the chart with its ruler and
// pen images, the channel parameter panels and a seven-panel status bar. It
// shows what the recording (RecordControl) reports and hands every command
// on. "結束" and the close button only hide it; a recording goes on.
class TRecordForm : public QMainWindow {
    Q_OBJECT
public:
    TRecordForm(RecordControl& control, RecordState& record, SharedState& shared,
                const QString& programFolder, QWidget* parent = nullptr);

    // Redraws the chart and its ruler from the record state.
    void DrawRecordChart();
    // The picture of chart and ruler as last drawn, (W + 50) x H.
    QImage chartImage() const { return chart->chartImage(); }
    // The chart's size W x H: Pic4's size, at least 1 x 1.
    QSize chartSize() const { return chart->chartSize(); }

    // The span of samples the exports take, with the lines that describe
    // it; none exports the view whole.
    void setExportSpan(const std::optional<RecordExportSpan>& span);
    // The chart as last drawn with its title, time axis, legend and span.
    QImage exportImage() const;

    // Chart handlers: the cursor over column `x`, a double click.
    void Pic4MouseMove(int x);
    void Pic4DblClick();
    // A click on column `x`: cursor A, or B for `secondCursor` (the right
    // button, or the left one with Shift).
    void Pic4MousePress(int x, bool secondCursor);
    // The cursor keys of the chart; false for a key that is none of them.
    //   Left / Right           the active cursor one column left / right
    //   Shift+Left / Right     one sample newer / older
    //   A, B                   make that cursor the active one (placing it
    //                          mid-chart when it is not placed)
    //   Space                  the other cursor becomes the active one
    //   Escape, Delete         both cursors removed
    bool Pic4Key(int key, Qt::KeyboardModifiers modifiers);

    // The cursors of the view shown, on samples of its buffers.
    const RecordCursors& cursors() const;
    void placeCursor(CursorId id, int sample);
    void clearCursors();
    // What the cursor panel shows, as last worked out.
    const CursorReading& cursorReading() const;

    // A status panel's whole text; the start and end panels may show a
    // shorter form of it (shownStatusText), the whole one in their tooltip.
    QString statusText(int panel) const;
    QString shownStatusText(int panel) const;
    // The record file the recording writes, at the right of the status
    // bar: "記錄檔案：run-0002.zqr（第 2 個）" once a full file went on in
    // the next of its series; empty before any file was created.
    QString recordFileText() const;
    // The notice line above the parameter panels: what the recording in
    // progress should tell (waiting for the instrument, repeated
    // measurements, saving); empty and hidden when there is nothing.
    QString noticeText() const;
    QString channelCaption(int channel) const { return parameters->channelCaption(channel); }
    bool penImageLoaded(int channel) const { return chart->penImageLoaded(channel); }

    // Menu items.
    QAction* openItem = nullptr;         // "打開舊檔"
    QAction* createItem = nullptr;       // "建立新檔"
    QAction* printItem = nullptr;        // "列印", always disabled
    QAction* exitItem = nullptr;         // "結束"
    QAction* settingsItem = nullptr;     // "設置"
    QAction* zoomInItem = nullptr;       // "向前展開"
    QAction* zoomOutItem = nullptr;      // "向後收縮"
    QAction* olderItem = nullptr;        // "段前移"
    QAction* newerItem = nullptr;        // "段後移"
    QAction* stretchInItem = nullptr;    // "逐點展開", Ctrl++
    QAction* autoscaleItem = nullptr;    // "自動縮放", Ctrl+A
    QAction* startItem = nullptr;        // "啟動記錄"
    QAction* stopItem = nullptr;         // "停止記錄"
    QAction* exportCsvItem = nullptr;    // "匯出CSV檔案…"
    QAction* exportPngItem = nullptr;    // "儲存圖表為PNG…"
    QAction* cursorAItem = nullptr;      // cursor A active
    QAction* cursorBItem = nullptr;      // cursor B active
    QAction* cursorSwitchItem = nullptr; // the other cursor active
    QAction* cursorClearItem = nullptr;  // both cursors removed
    QAction* statisticsItem = nullptr;   // the cursor panel shown or hidden
    // The marked span's samples alone, enabled while a span is marked.
    QAction* exportSpanCsvItem = nullptr; // "匯出區間CSV檔案…"
    // The chart with its title, time axis, legend and span.
    QAction* exportSheetItem = nullptr; // "儲存完整圖表為PNG…"

    // The window's parts.
    RecordToolBar* tools = nullptr;
    // "檢閱工具列": autoscale and the zoom in past one sample a column.
    QToolBar* viewTools = nullptr;
    QToolButton* autoscaleButton = nullptr;
    QToolButton* stretchInButton = nullptr;
    RecordChartView* chart = nullptr;
    RecordParameterPanels* parameters = nullptr;
    QLabel* noticeLabel = nullptr;
    QDockWidget* statisticsDock = nullptr;
    SpanStatisticsPanel* statisticsPanel = nullptr;
    // The non-modal message of a failing save, made at the first failure;
    // it says so when saving works again.
    QMessageBox* saveMessage = nullptr;

signals:
    void settingsRequested();     // open the record settings window modally
    void recordReportRequested(); // show the record report's preview

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    // Shift and a click on a channel's scale button autoscales that channel.
    bool autoscaleClick(QObject* watched, QEvent* event);
    // The mouse and the keys on the chart place and move the cursors.
    bool chartInput(QObject* watched, QEvent* event);
    void buildStatusBar();
    void buildViewTools();
    // Panel 6 and the range button's tip after the display range changed.
    void showRange();
    // What a tool button or menu item asks for.
    void run(RecordCommand command);
    void applyCommandStates(const RecordCommandStates& states);
    void showViewGlyph(int viewMode);
    void connectBrowsing();
    // Runs a browsing command, then shows what it left on the controls.
    void browse(const std::function<void(RecordBrowser&)>& command);
    void syncBrowseControls();
    void connectNotices();
    void showNotices();
    void buildCursors();
    RecordCursors& viewCursors();
    void activateCursor(CursorId id);
    void moveActiveCursor(std::optional<int> sample);
    // Places the cursor marks over the chart and brings the panel up to
    // date with the cursors and the data.
    void showCursors();
    void showStatisticsPanel(bool shown);

    RecordControl& control_;
    RecordState& record_;
    SharedState& shared_;
    QString programFolder_;
    std::array<QLabel*, 7> statusPanels_{};
    QLabel* recordFileLabel_ = nullptr;
    bool placed_ = false;
    bool syncing_ = false; // the controls are being set to the browsing state
    // The lines of the notice: waiting, repeated measurements, saving.
    QString waitingNotice_;
    QString repeatNotice_;
    QString saveNotice_;
    QString saveFailedAt_; // time of day the failing spell began
    // The cursors of the recording view and of the browsing view.
    std::array<RecordCursors, 2> cursors_;
    QString cursorFile_; // the file the browsing view's cursors were placed on
    std::array<QWidget*, 2> cursorLines_{};
    std::array<QLabel*, 2> cursorTags_{};
    CursorReading reading_;
    int panelGrowth_ = 0;    // what the window grew by when the cursor panel came up
    RecordChartFacts facts_; // of the last drawing
    std::optional<RecordExportSpan> exportSpan_;
};
