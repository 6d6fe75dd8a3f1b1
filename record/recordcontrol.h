#pragma once

#include "recordbrowser.h"
#include "recordfile.h"
#include "recordsettings.h"
#include "recordwriter.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QIODevice;
class QImage;
class SampleBuffers;
class UserDialogs;
struct RecordState;
struct SharedState;

// The message for a failed record file operation on `path`: what failed, and
// the system's reason on a second line where one is known.
QString RecordFileFailureText(const RecordFileResult& result, const QString& path);

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

    void Start();      // "啟動記錄"
    void Stop();       // "停止記錄": the samples taken since the last save are saved first
    void CreateFile(); // "建立新檔"
    void OpenFile();   // "打開舊檔"
    // Opens `path` for browsing; a failure is reported and changes nothing.
    bool OpenPath(const QString& path);
    // The program is closing: a recording in progress saves what it holds.
    void SaveOnExit();

    // "匯出CSV檔案…": every sample of the view in use as a CSV file.
    void ExportCsv();
    // The samples `first` .. `last` of the view in use alone (either order;
    // held inside the recording).
    void ExportCsvSpan(int first, int last);
    // The quantities of the view in use's six channels.
    std::array<std::int32_t, 6> viewCodes() const;
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

    // What writes the record file in place (SaveRecordFile); tests put a
    // failing or counting one in its place.
    using FileSaver = RecordWriter::FileSaver;
    void setFileSaver(FileSaver saver) { writer_.setFileSaver(std::move(saver)); }
    // The record writer, for tests that lower a file's capacity.
    RecordWriter& writer() { return writer_; }

    // How "啟動記錄" starts continuous sampling when it is not running: the
    // main window's command, when it is `available` now; `start` runs it and
    // then `started` once the command has taken effect.
    struct SamplingStarter {
        std::function<bool()> available;
        std::function<void(std::function<void()> started)> start;
    };
    void setSamplingStarter(SamplingStarter starter) { sampling_ = std::move(starter); }

    // Whether the sampling ticks find no fresh measurement and take no sample.
    bool waitingForInstrument() const { return waiting_; }

    QTimer Timer1;                // sampling, SampleStepMs
    QTimer TimerSave;             // saving, SaveIntervalMs
    QTimer GridTimer;             // grid drift, 1000 ms
    QTimer ScrollBar1ChangeTimer; // delayed redraw, 100 ms, one-shot by its handler
    QTimer OpenTimer;             // one-shot, 0 ms

signals:
    void commandStatesChanged(const RecordCommandStates& states);
    void redrawRequested();  // DrawRecordChart
    void stepTextsChanged(); // status panels 0 and 1 from the step and interval in use
    void captionsChanged(const std::array<std::int32_t, 6>& codes);
    void modePanelChanged(int viewMode); // status panel 5
    void viewModeChanged(int viewMode);  // the chart switched views
    void browseControlsChanged();        // positions and enabled states of the browsing controls
    void showRequested();                // show the record window
    void recordingStarted();             // a recording started: earlier notices are over
    // The ticks found the newest measurement too old and take no sample
    // (true), or measurements come again and sampling goes on (false).
    void waitingForInstrumentChanged(bool waiting);
    // The sampling step is shorter than the instrument's measurement cycle,
    // so consecutive samples will repeat a measurement. Once per recording.
    void samplesRepeatMeasurements(std::int32_t stepMs, qint64 cycleMs);
    // A save of the record file failed; the first failure of a spell only.
    // Every save tick goes on trying.
    void saveFailed(const RecordFileResult& result, const QString& path);
    // A save succeeded again after a failure spell.
    void saveRecovered(const QString& path);
    // The recording writes into `path`, file `number` of its series (1 for
    // the file "建立新檔" made, 2 on for the files a full one went on in).
    void recordFileChanged(const QString& path, int number);

private:
    bool offerContinuousSampling();
    void beginRecording();
    bool save();
    bool handleSaved(const RecordFileResult& result);
    void takeSample();
    bool measurementIsFresh() const;
    void setWaiting(bool waiting);
    void weighCycle();
    void exportCsv(std::optional<std::pair<int, int>> span);
    bool askExportPath(const QString& filter, const QString& suffix, const QString& fallback,
                       QString& path);
    void writeExport(const QString& path, const std::function<bool(QIODevice&)>& write);
    void setStates(const RecordCommandStates& states);
    void reportFileFailure(const RecordFileResult& result, const QString& path);
    void abandonRecordFile(const RecordFileResult& result);
    void stopForANewFile();

    RecordState& record_;
    SharedState& shared_;
    UserDialogs& dialogs_;
    RecordWriter writer_;
    RecordCommandStates states_;
    RecordBrowser browser_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
    SamplingStarter sampling_;
    bool waiting_ = false;
    // The measurement cycle as this recording sees it: the shortest cycle
    // between two of its measurements (0 until one was seen). Faults on the
    // line only ever lengthen a cycle.
    qint64 shortestCycleMs_ = 0;
    qint64 recordingFromMs_ = -1;      // the newest measurement when the recording started
    std::uint64_t sampledArrival_ = 0; // the measurement the last sample took
    RecordFileResult lastSaveFailure_;
};
