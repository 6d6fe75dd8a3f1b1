#pragma once

#include "measurerun.h"
#include "recordfile.h"
#include "recordoptions.h"
#include "recordwriter.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

struct RecordState;

// How a record run ended.
struct RecordOutcome {
    enum class Kind {
        Done,         // the duration ended; the file holds every sample
        Stopped,      // a stop signal ended it; the file holds every sample
        SeriesEnded,  // a full file could not go on in the next of its series
        LinkFailed,   // the port or the instrument failed before the recording started
        CreateFailed, // the record file could not be made
        Unsaved,      // the last save failed: samples are missing from the file
        Replaced,     // the file's name leads elsewhere now: the recording stopped
    };
    Kind kind = Kind::Done;
    MeasureOutcome link;      // LinkFailed
    RecordFileResult file;    // CreateFailed, Unsaved, Replaced, SeriesEnded (none: name taken)
    QString path;             // the record file written last
    QString next;             // SeriesEnded: the next file of the series
    std::int32_t samples = 0; // samples taken
    bool csvFailed = false;   // the CSV file could not be written
    QString csvReason;        // why, where known

    // 0 when every sample reached the file, 1 for a port or file that could
    // not be had, 2 for an instrument that did not answer, kRecordExitUnsaved
    // for a file that lacks samples, kRecordExitSeriesEnded for a series that
    // could not go on.
    int exitCode() const;
};

Q_DECLARE_METATYPE(RecordOutcome)

// `qpa3600 record` without its words: the measure run's link (port, the
// read-back, continuous sampling) feeding the record writer the window uses.
// The file is made when the first measurement comes; from then on one sample
// is taken per step and the file brought up to date per save interval, and
// once more at the end. The port is released when it finishes.
class RecordRun : public QObject {
    Q_OBJECT
public:
    // `options` with its step, save interval and channels resolved.
    RecordRun(const RecordOptions& options, IniFile sysSet, PortEnvironment& ports,
              QObject* parent = nullptr);
    ~RecordRun() override;

    void start();
    // Saves and ends: a stop signal.
    void stop();

    MeasureRun& measure() { return measure_; }
    // The record writer, for tests that lower a file's capacity.
    RecordWriter& writer() { return writer_; }
    const RecordState& record() const { return *record_; }

    // Where samples take their local time from; tests set a clock of their own.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    void StepTimerTimer(); // one sample
    void SaveTimerTimer(); // bring the file up to date
    QTimer StepTimer;
    QTimer SaveTimer;

signals:
    // Each measurement the instrument sent, as it came (for the broker).
    void measured(const MeasurementRecord& measurement, const QDateTime& when);
    void recordingStarted(const QString& path);
    // A full file went on in `path`, file `number` of the series.
    void nextFileStarted(const QString& path, int number);
    // No fresh measurement at a step (true), or samples come again (false).
    void waitingChanged(bool waiting);
    // The first failed save of a spell; every save tries again.
    void saveFailed(const RecordFileResult& result, const QString& path);
    void saveRecovered(const QString& path);
    void finished(const RecordOutcome& outcome);

private:
    bool onMeasurement(const MeasurementRecord& measurement);
    void begin();
    RecordFileResult save();
    void finish(RecordOutcome outcome);
    void takeSample();
    bool writeCsv(int number);
    RecordFileResult noteSaved(const RecordFileResult& result);

    RecordOptions options_;
    std::unique_ptr<RecordState> record_;
    RecordWriter writer_;
    MeasureRun measure_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
    QElapsedTimer sinceStart_;
    std::array<float, kQuantityCount> latest_{};
    std::uint64_t arrivals_ = 0;
    std::uint64_t sampledArrival_ = 0;
    qint64 latestMs_ = 0;
    qint64 cycleMs_ = 0; // between the newest two measurements
    qint64 ticks_ = 0;
    qint64 durationTicks_ = 0; // 0: until stopped
    bool recording_ = false;
    bool waiting_ = false;
    bool saveFailing_ = false;
    bool finished_ = false;
    bool csvFailed_ = false;
    QString csvReason_;
};
