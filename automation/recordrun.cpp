#include "recordrun.h"

#include "recordcsv.h"
#include "recordstate.h"
#include "savefile.h"

#include <algorithm>

namespace {

MeasureOptions measureOptionsOf(const RecordOptions& options)
{
    MeasureOptions measure;
    measure.link = options.link;
    measure.count = 0;      // until the recording ends
    measure.intervalMs = 0; // continuous sampling, as the window records it
    measure.timeoutMs = options.timeoutMs;
    measure.waitOnceMeasuring = true;
    return measure;
}

} // namespace

int RecordOutcome::exitCode() const
{
    switch (kind) {
    case Kind::Done:
    case Kind::Stopped:
        return csvFailed ? kRecordExitUnsaved : 0;
    case Kind::SeriesEnded:
        return csvFailed ? kRecordExitUnsaved : kRecordExitSeriesEnded;
    case Kind::LinkFailed:
        return std::max(link.exitCode(), 1);
    case Kind::CreateFailed:
        return 1;
    case Kind::Unsaved:
    case Kind::Replaced:
        break;
    }
    return kRecordExitUnsaved;
}

RecordRun::RecordRun(const RecordOptions& options, IniFile sysSet, PortEnvironment& ports,
                     QObject* parent)
    : QObject(parent), options_(options), record_(std::make_unique<RecordState>()),
      writer_(*record_),
      measure_(
          measureOptionsOf(options), std::move(sysSet), ports,
          MeasureRun::Sink{[this](const MeasurementRecord& measurement, const QDateTime& when) {
                               emit measured(measurement, when);
                               return onMeasurement(measurement);
                           },
                           [] { return false; }})
{
    // Steps add up over days: each tick is due a whole step after the last.
    StepTimer.setTimerType(Qt::PreciseTimer);
    StepTimer.setInterval(options_.stepMs);
    SaveTimer.setInterval(options_.saveMs);
    if (options_.durationMs > 0)
        durationTicks_ = (options_.durationMs + options_.stepMs - 1) / options_.stepMs;
    // Each full file of the series gets its CSV before the capture starts over.
    writer_.setFileComplete([this](const QString&, int number) {
        if (!options_.csv.isEmpty())
            writeCsv(number);
    });
    connect(&StepTimer, &QTimer::timeout, this, &RecordRun::StepTimerTimer);
    connect(&SaveTimer, &QTimer::timeout, this, &RecordRun::SaveTimerTimer);
    connect(&measure_, &MeasureRun::finished, this, [this](const MeasureOutcome& outcome) {
        RecordOutcome ended;
        ended.kind = RecordOutcome::Kind::LinkFailed;
        ended.link = outcome;
        finish(ended);
    });
}

RecordRun::~RecordRun() = default;

void RecordRun::start()
{
    sinceStart_.start();
    measure_.start();
}

void RecordRun::stop()
{
    RecordOutcome outcome;
    outcome.kind = RecordOutcome::Kind::Stopped;
    finish(outcome);
}

bool RecordRun::onMeasurement(const MeasurementRecord& measurement)
{
    const qint64 now = sinceStart_.elapsed();
    if (arrivals_ > 0)
        cycleMs_ = now - latestMs_;
    latest_ = SampleVectorOf(measurement);
    latestMs_ = now;
    ++arrivals_;
    if (!recording_ && !finished_)
        begin();
    return true;
}

void RecordRun::begin()
{
    std::array<std::uint8_t, 6> codes{};
    for (int k = 0; k < 6; ++k)
        codes[std::size_t(k)] = std::uint8_t(options_.channels.value()[std::size_t(k)]);
    const RecordFileResult created = writer_.create(options_.out, codes);
    if (!created.ok()) {
        RecordOutcome outcome;
        outcome.kind = RecordOutcome::Kind::CreateFailed;
        outcome.file = created;
        finish(outcome);
        return;
    }
    recording_ = true;
    StepTimer.start();
    SaveTimer.start();
    emit recordingStarted(options_.out);
}

void RecordRun::StepTimerTimer()
{
    if (!recording_ || finished_)
        return;
    ++ticks_;
    // A measurement not sampled yet is taken; the last one again only while
    // it is young (a step shorter than the instrument's cycle), never one a
    // silent instrument left behind under a new time.
    const qint64 age = sinceStart_.elapsed() - latestMs_;
    const bool fresh =
        arrivals_ != sampledArrival_ || age < 2 * std::max<qint64>(options_.stepMs, cycleMs_);
    if (fresh == waiting_) {
        waiting_ = !fresh;
        emit waitingChanged(waiting_);
    }
    if (fresh) {
        sampledArrival_ = arrivals_;
        takeSample();
    }
    if (!finished_ && durationTicks_ > 0 && ticks_ >= durationTicks_)
        finish({});
}

// A full file goes on in the next file of its series; where that cannot
// be, the recording ends with every sample in the files written.
void RecordRun::takeSample()
{
    const RecordWriter::TakeResult taken = writer_.take(latest_, OleDateFromLocal(clock_()));
    switch (taken.taken) {
    case RecordWriter::Taken::Taken:
        return;
    case RecordWriter::Taken::NextFile:
        emit nextFileStarted(taken.path, writer_.fileNumber());
        return;
    case RecordWriter::Taken::FullUnsaved:
        noteSaved(taken.file); // the next tick tries again
        return;
    case RecordWriter::Taken::NextExists:
    case RecordWriter::Taken::NextFailed:
        break;
    }
    RecordOutcome outcome;
    outcome.kind = RecordOutcome::Kind::SeriesEnded;
    outcome.file = taken.file;
    outcome.next = taken.path;
    finish(outcome);
}

void RecordRun::SaveTimerTimer()
{
    const RecordFileResult result = save();
    if (result.failure == RecordFileFailure::Replaced) {
        RecordOutcome outcome;
        outcome.kind = RecordOutcome::Kind::Replaced;
        outcome.file = result;
        finish(outcome);
    }
}

// Announced once per spell of failures; each save tries again and the
// samples stay in memory meanwhile.
RecordFileResult RecordRun::save()
{
    return noteSaved(writer_.save());
}

RecordFileResult RecordRun::noteSaved(const RecordFileResult& result)
{
    if (result.ok()) {
        if (saveFailing_) {
            saveFailing_ = false;
            emit saveRecovered(record_->RecordFileName);
        }
    } else if (result.failure != RecordFileFailure::Replaced && !saveFailing_) {
        saveFailing_ = true;
        emit saveFailed(result, record_->RecordFileName);
    }
    return result;
}

void RecordRun::finish(RecordOutcome outcome)
{
    if (finished_)
        return;
    finished_ = true;
    StepTimer.stop();
    SaveTimer.stop();
    if (recording_ && outcome.kind != RecordOutcome::Kind::Replaced) {
        const RecordFileResult saved = save();
        if (!saved.ok()) {
            outcome.kind = saved.failure == RecordFileFailure::Replaced
                               ? RecordOutcome::Kind::Replaced
                               : RecordOutcome::Kind::Unsaved;
            outcome.file = saved;
        }
    }
    if (recording_ && !options_.csv.isEmpty())
        writeCsv(writer_.fileNumber());
    outcome.csvFailed = csvFailed_;
    outcome.csvReason = csvReason_;
    outcome.path = recording_ ? record_->RecordFileName : options_.out;
    outcome.samples = record_->CaptureCount;
    measure_.stop(); // releases the port
    emit finished(outcome);
}

// The CSV of file `number` of the series (the capture's samples) as the
// same number of the CSV's own series. False when it could not be written.
bool RecordRun::writeCsv(int number)
{
    std::array<std::int32_t, 6> codes{};
    for (int k = 0; k < 6; ++k)
        codes[std::size_t(k)] = record_->SaveBlock.Codes[std::size_t(k)];
    const SaveResult saved =
        SaveFile(RecordWriter::SeriesFileName(options_.csv, number), [&](QIODevice& file) {
            return WriteRecordCsv(file, record_->CaptureBuffers, record_->CaptureCount - 1, codes);
        });
    if (saved.ok())
        return true;
    csvFailed_ = true;
    csvReason_ = SaveFailureReason(saved);
    return false;
}
