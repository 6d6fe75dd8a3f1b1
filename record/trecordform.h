#pragma once

#include "imageview.h"

#include <QImage>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QMessageBox;
class QScrollBar;
class QSlider;
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
    QImage chartImage() const;
    // The chart's size W x H: Pic4's size, at least 1 x 1.
    QSize chartSize() const;

    // Chart handlers: the cursor over column `x`, a double click.
    void Pic4MouseMove(int x);
    void Pic4DblClick();

    QString statusText(int panel) const;
    // The notice line above the parameter panels: what the recording in
    // progress should tell (waiting for the instrument, repeated
    // measurements, saving); empty and hidden when there is nothing.
    QString noticeText() const;
    QString channelCaption(int channel) const; // channel 0-5
    bool penImageLoaded(int channel) const;

    // Menu items.
    QAction* openItem = nullptr;   // "打開舊檔"
    QAction* createItem = nullptr; // "建立新檔"
    QAction* printItem = nullptr;  // "列印", always disabled
    QAction* exitItem = nullptr;   // "結束"
    QAction* settingsItem = nullptr; // "設置"
    QAction* zoomInItem = nullptr;   // "向前展開"
    QAction* zoomOutItem = nullptr;  // "向後收縮"
    QAction* olderItem = nullptr;    // "段前移"
    QAction* newerItem = nullptr;    // "段後移"
    QAction* startItem = nullptr;    // "啟動記錄"
    QAction* stopItem = nullptr;     // "停止記錄"
    QAction* exportCsvItem = nullptr; // "匯出CSV檔案…"
    QAction* exportPngItem = nullptr; // "儲存圖表為PNG…"

    // Tool buttons by their designer names.
    QToolButton* SeSkinSpeedButton1 = nullptr;  // open
    QToolButton* SeSkinSpeedButton12 = nullptr; // create
    QToolButton* SeSkinSpeedButton3 = nullptr;  // print the record report
    QToolButton* SeSkinSpeedButton4 = nullptr;  // settings
    QToolButton* SeSkinSpeedButton5 = nullptr;  // start
    QToolButton* SeSkinSpeedButton6 = nullptr;  // stop
    QToolButton* SeSkinSpeedButton11 = nullptr; // view switch
    QToolButton* SeSkinSpeedButton9 = nullptr;  // toward newer samples
    QToolButton* SeSkinSpeedButton10 = nullptr; // toward older samples
    QToolButton* SeSkinSpeedButton7 = nullptr;  // zoom out
    QToolButton* SeSkinSpeedButton8 = nullptr;  // zoom in
    QToolButton* exportCsvButton = nullptr;
    QToolButton* exportPngButton = nullptr;

    // The chart area and the parameter panels.
    ImageView* Pic4 = nullptr;
    ImageView* Pic5 = nullptr;
    QScrollBar* SeSkinScrollBar1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QToolButton* SeSkinButton19 = nullptr; // display range
    QWidget* iLedArrow1 = nullptr;
    std::array<QLabel*, 6> penImages{};      // Image1 .. Image6
    std::array<QLabel*, 21> labels{};        // Label1 .. Label21 at index 0 .. 20
    std::array<QToolButton*, 18> channelButtons{}; // SeSkinButton1 .. SeSkinButton18
    QLabel* noticeLabel = nullptr;
    // The non-modal message of a failing save, made at the first failure;
    // it says so when saving works again.
    QMessageBox* saveMessage = nullptr;

signals:
    void settingsRequested();     // open the record settings window modally
    void recordReportRequested(); // ReportKind is 1: show the report preview

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QWidget* buildChartGroup();
    QWidget* buildParameterGroup();
    void loadPenImages();
    void placeOverlays();
    void applyCommandStates(const RecordCommandStates& states);
    void setCaptions(const std::array<std::int32_t, 6>& codes);
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
    QImage chartSurface_;
    QImage rulerSurface_;
    std::array<QLabel*, 7> statusPanels_{};
    bool placed_ = false;
    bool syncing_ = false; // the controls are being set to the browsing state
    // The lines of the notice: waiting, repeated measurements, saving.
    QString waitingNotice_;
    QString repeatNotice_;
    QString saveNotice_;
    QString saveFailedAt_; // time of day the failing spell began
};
