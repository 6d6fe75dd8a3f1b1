#pragma once

#include "recordchartview.h"
#include "recordparameterpanels.h"
#include "recordtoolbar.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>

class QAction;
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

    // Chart handlers: the cursor over column `x`, a double click.
    void Pic4MouseMove(int x);
    void Pic4DblClick();

    QString statusText(int panel) const;
    // The notice line above the parameter panels: what the recording in
    // progress should tell (waiting for the instrument, repeated
    // measurements, saving); empty and hidden when there is nothing.
    QString noticeText() const;
    QString channelCaption(int channel) const { return parameters->channelCaption(channel); }
    bool penImageLoaded(int channel) const { return chart->penImageLoaded(channel); }

    // Menu items.
    QAction* openItem = nullptr;      // "打開舊檔"
    QAction* createItem = nullptr;    // "建立新檔"
    QAction* printItem = nullptr;     // "列印", always disabled
    QAction* exitItem = nullptr;      // "結束"
    QAction* settingsItem = nullptr;  // "設置"
    QAction* zoomInItem = nullptr;    // "向前展開"
    QAction* zoomOutItem = nullptr;   // "向後收縮"
    QAction* olderItem = nullptr;     // "段前移"
    QAction* newerItem = nullptr;     // "段後移"
    QAction* stretchInItem = nullptr; // "逐點展開", Ctrl++
    QAction* autoscaleItem = nullptr; // "自動縮放", Ctrl+A
    QAction* startItem = nullptr;     // "啟動記錄"
    QAction* stopItem = nullptr;      // "停止記錄"
    QAction* exportCsvItem = nullptr; // "匯出CSV檔案…"
    QAction* exportPngItem = nullptr; // "儲存圖表為PNG…"

    // The window's parts.
    RecordToolBar* tools = nullptr;
    // "檢閱工具列": autoscale and the zoom in past one sample a column.
    QToolBar* viewTools = nullptr;
    QToolButton* autoscaleButton = nullptr;
    QToolButton* stretchInButton = nullptr;
    RecordChartView* chart = nullptr;
    RecordParameterPanels* parameters = nullptr;
    QLabel* noticeLabel = nullptr;
    // The non-modal message of a failing save, made at the first failure;
    // it says so when saving works again.
    QMessageBox* saveMessage = nullptr;

signals:
    void settingsRequested();     // open the record settings window modally
    void recordReportRequested(); // show the record report's preview

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Shift and a click on a channel's scale button autoscales that channel.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
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

    RecordControl& control_;
    RecordState& record_;
    SharedState& shared_;
    QString programFolder_;
    std::array<QLabel*, 7> statusPanels_{};
    bool placed_ = false;
    bool syncing_ = false; // the controls are being set to the browsing state
    // The lines of the notice: waiting, repeated measurements, saving.
    QString waitingNotice_;
    QString repeatNotice_;
    QString saveNotice_;
    QString saveFailedAt_; // time of day the failing spell began
};
