#pragma once

#include "recordbrowser.h"
#include "recordsettings.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>

class QIODevice;
class QImage;
class UserDialogs;
struct RecordFileResult;
struct RecordState;
struct SharedState;

// Enabled state of the record window's commands that follow the recording:
// the tool buttons start (SeSkinSpeedButton5), stop (SeSkinSpeedButton6) and
// settings (SeSkinSpeedButton4) and the menu items "啟動記錄", "停止記錄" and
// "設置". The menu items change only where a command says so, which is why
// they are kept apart from their buttons.
struct RecordCommandStates {
    bool startButton = false;
    bool stopButton = false;
    bool settingsButton = true;
    bool startItem = false;
    bool stopItem = false;
    bool settingsItem = true;

    bool operator==(const RecordCommandStates&) const = default;
};

// The recording: sampling into the capture buffers, the save timer that keeps
// the record file up to date, start and stop, creating and opening record
// files, and applying the record settings. It owns the record window's five
// timers; their handlers are public so that tests drive them directly.
// Messages go through the dialog seam; the window shows the rest from the
// signals.
class RecordControl : public QObject {
    Q_OBJECT
public:
    RecordControl(RecordState& record, SharedState& shared, UserDialogs& dialogs,
                  QObject* parent = nullptr);

    // Takes the settings as stored: periods by their tables, status texts,
    // channel codes and captions. A step or interval index that is no entry
    // of its table leaves the period in use (3 s and 20 s at start-up).
    void ApplySettings(const RecordSettings& settings);

    void Start(); // "啟動記錄"
    void Stop();  // "停止記錄": the samples taken since the last save are saved first
    void CreateFile(); // "建立新檔"
    void OpenFile();   // "打開舊檔"
    // Opens `path` for browsing; a failure is reported and changes nothing.
    bool OpenPath(const QString& path);
    // The program is closing: a recording in progress saves what it holds.
    void SaveOnExit();

    // "匯出CSV檔案…": every sample of the view in use as a CSV file.
    void ExportCsv();
    // "儲存圖表為PNG…": saves `chart`, the picture of chart and ruler.
    void ExportPng(const QImage& chart);

    // The view switch: recording view and browsing view in turn.
    void SwitchView();
    // Zoom, paging, scales, ranges and the read-out of the chart.
    RecordBrowser& browser() { return browser_; }

    // Timer handlers.
    void Timer1Timer();    // one sample
    void TimerSaveTimer(); // bring the record file up to date
    void GridTimerTimer();
    void ScrollBar1ChangeTimerTimer();
    void OpenTimerTimer(); // the record file named on the command line

    const RecordCommandStates& states() const { return states_; }

    // Where sampling takes the local time from; tests set a clock of their own.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    QTimer Timer1;                // sampling, SampleStepMs
    QTimer TimerSave;             // saving, SaveIntervalMs
    QTimer GridTimer;             // grid drift, 1000 ms
    QTimer ScrollBar1ChangeTimer; // delayed redraw, 100 ms, one-shot by its handler
    QTimer OpenTimer;             // one-shot, 0 ms

signals:
    void commandStatesChanged(const RecordCommandStates& states);
    void redrawRequested();    // DrawRecordChart
    void stepTextsChanged();   // status panels 0 and 1 from the step and interval in use
    void captionsChanged(const std::array<std::int32_t, 6>& codes);
    void modePanelChanged(int viewMode); // status panel 5
    void viewModeChanged(int viewMode);  // the chart switched views
    void browseControlsChanged(); // positions and enabled states of the browsing controls
    void showRequested();                // show the record window

private:
    bool save();
    bool askExportPath(const QString& filter, const QString& suffix, const QString& fallback,
                       QString& path);
    void writeExport(const QString& path, const std::function<bool(QIODevice&)>& write);
    void setStates(const RecordCommandStates& states);
    void reportFileFailure(const RecordFileResult& result, const QString& path);
    void abandonRecordFile(const RecordFileResult& result);

    RecordState& record_;
    SharedState& shared_;
    UserDialogs& dialogs_;
    RecordCommandStates states_;
    RecordBrowser browser_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
};
