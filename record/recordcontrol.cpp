#include "recordcontrol.h"

#include "recordcsv.h"
#include "recordfile.h"
#include "recordstate.h"
#include "regularfile.h"
#include "savefile.h"
#include "sharedstate.h"
#include "userdialogs.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <algorithm>

namespace {

// The file dialogs' filter in Qt's "name (patterns)" form.
const QString kFilter = QStringLiteral("Quorvane記錄檔案(.zqr) (*.zqr)");
const QString kDefaultName = QStringLiteral("RecordFile.zqr");

const QString kNeedsContinuousSampling =
    QStringLiteral("   要開啟記錄必須在連續測量模式，記錄沒有成功啟動。 ");

QString FailureText(RecordFileFailure failure, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (failure) {
    case RecordFileFailure::None:
        break;
    case RecordFileFailure::Missing:
        return QStringLiteral("找不到檔案：%1").arg(shown);
    case RecordFileFailure::NotRegular:
        return QStringLiteral("不是記錄檔案：%1").arg(shown);
    case RecordFileFailure::Unreadable:
        return QStringLiteral("無法開啟檔案：%1").arg(shown);
    case RecordFileFailure::NoWholeBlock:
        return QStringLiteral("檔案不完整，記錄檔案至少應有 %1 位元組：%2")
            .arg(kRecordBlockSize)
            .arg(shown);
    case RecordFileFailure::TooManyBlocks:
        return QStringLiteral("檔案過大，記錄檔案最多 %1 個記錄區塊（%2 位元組）：%3")
            .arg(kMaxRecordBlocks)
            .arg(kMaxRecordBlocks * kRecordBlockSize)
            .arg(shown);
    case RecordFileFailure::ReadFailed:
        return QStringLiteral("讀取檔案失敗：%1").arg(shown);
    case RecordFileFailure::CreateFailed:
        return QStringLiteral("無法建立檔案：%1").arg(shown);
    case RecordFileFailure::WriteFailed:
        return QStringLiteral("寫入記錄檔案失敗：%1").arg(shown);
    case RecordFileFailure::CreateRefused:
        return QStringLiteral("無法建立檔案：%1").arg(shown);
    case RecordFileFailure::Replaced:
        return QStringLiteral("記錄檔案已被移走或換成其他檔案，記錄已停止，不再寫入：%1\n"
                              "已取得的樣本仍可匯出為CSV檔案。")
            .arg(shown);
    }
    return {};
}

} // namespace

QString RecordFileFailureText(const RecordFileResult& result, const QString& path)
{
    QString text = FailureText(result.failure, path);
    // The reason goes on a second line for whoever has to sort it out.
    const QString reason = result.failure == RecordFileFailure::Replaced ? QString()
                           : result.created.failure != SaveFailure::None
                               ? SaveFailureReason(result.created)
                               : SystemReason(result.errorNumber);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
}

RecordControl::RecordControl(RecordState& record, SharedState& shared, UserDialogs& dialogs,
                             QObject* parent)
    : QObject(parent), record_(record), shared_(shared), dialogs_(dialogs), writer_(record),
      browser_(record, BrowseHooks{[this] { emit redrawRequested(); },
                                   [this] { ScrollBar1ChangeTimer.start(); },
                                   [this](int ms) { GridTimer.setInterval(ms); }})
{
    Timer1.setInterval(record_.SampleStepMs);
    TimerSave.setInterval(record_.SaveIntervalMs);
    GridTimer.setInterval(1000);
    ScrollBar1ChangeTimer.setInterval(100);
    OpenTimer.setInterval(0);
    OpenTimer.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &RecordControl::Timer1Timer);
    connect(&TimerSave, &QTimer::timeout, this, &RecordControl::TimerSaveTimer);
    connect(&GridTimer, &QTimer::timeout, this, &RecordControl::GridTimerTimer);
    connect(&ScrollBar1ChangeTimer, &QTimer::timeout, this,
            &RecordControl::ScrollBar1ChangeTimerTimer);
    connect(&OpenTimer, &QTimer::timeout, this, &RecordControl::OpenTimerTimer);
    // Its first tick draws the empty chart once the program runs.
    ScrollBar1ChangeTimer.start();
}

void RecordControl::ApplySettings(const RecordSettings& settings)
{
    if (IsSaveIntervalIndex(settings.saveInterval)) {
        record_.SaveIntervalIndex = settings.saveInterval;
        record_.SaveIntervalMs = SaveIntervalMsOf(settings.saveInterval);
    }
    TimerSave.setInterval(record_.SaveIntervalMs);
    if (IsSampleStepIndex(settings.sampleStep)) {
        record_.SampleStepIndex = settings.sampleStep;
        record_.SampleStepMs = SampleStepMsOf(settings.sampleStep);
    }
    Timer1.setInterval(record_.SampleStepMs);
    for (int k = 0; k < 6; ++k)
        record_.ChannelCodes[k] = settings.channels[k];
    emit stepTextsChanged();
    emit captionsChanged(record_.ChannelCodes);
}

void RecordControl::Start()
{
    if (shared_.link.SessionMode != SessionModeT::ContinuousSampling) {
        if (!offerContinuousSampling())
            dialogs_.message(kNeedsContinuousSampling);
        return;
    }
    beginRecording();
}

// A recording records continuous sampling. When a record file waits and the
// main window could start sampling, the user is asked to start it from here
// rather than sent to the main window (which would then cover this one).
// True when the question was put: Yes starts sampling and, once the sampling
// command has run, the recording; No starts neither.
bool RecordControl::offerContinuousSampling()
{
    if (!sampling_.available || !sampling_.available() || !record_.FileReady
        || record_.RecordFileName.isEmpty())
        return false;
    if (!dialogs_.askYesNo(QStringLiteral("記錄"),
                           QStringLiteral("  要開啟記錄必須在連續測量模式。"
                                          "現在開始連續採樣並啟動記錄嗎？  ")))
        return true;
    sampling_.start([this] {
        if (shared_.link.SessionMode != SessionModeT::ContinuousSampling) {
            dialogs_.message(kNeedsContinuousSampling);
            return;
        }
        beginRecording();
        emit showRequested();
    });
    return true;
}

void RecordControl::beginRecording()
{
    // A file opened for browsing alone is no file to record into.
    if (!record_.FileReady || record_.RecordFileName.isEmpty()) {
        dialogs_.message(QStringLiteral("    請建立記錄檔案！    "));
        return;
    }
    // The file's code bytes name the quantities of every sample in it.
    std::array<std::uint8_t, 6> codes{};
    for (int k = 0; k < 6; ++k)
        codes[k] = std::uint8_t(record_.ChannelCodes[k]);
    if (record_.CaptureCount > 0) {
        // Samples of other quantities would go under the codes already written.
        if (codes != record_.SaveBlock.Codes) {
            dialogs_.message(QStringLiteral("記錄檔案中已有按先前記錄設置取得的資料，"
                                            "不能按新的記錄設置接著記錄。\n"
                                            "請先建立新檔，再啟動記錄。"));
            return;
        }
    } else {
        // Still without samples: the file takes the quantities this recording
        // samples, written before the first sample is taken.
        record_.SaveBlock.Codes = codes;
        const RecordFileResult result = writer_.save();
        if (!result.ok()) {
            reportFileFailure(result, record_.RecordFileName);
            return;
        }
    }
    // The grid drifts once a second at zoom 1, whatever period a zoom of an
    // earlier recording left.
    GridTimer.setInterval(1000);
    Timer1.start();
    GridTimer.start();
    TimerSave.start();
    RecordCommandStates s = states_;
    s.settingsButton = false;
    s.settingsItem = false;
    s.startItem = false;
    s.stopItem = true;
    s.startButton = false;
    s.stopButton = true;
    setStates(s);
    browser_.RecordingStarted();
    waiting_ = false;
    shortestCycleMs_ = 0;
    recordingFromMs_ = shared_.link.Arrivals.lastMs;
    sampledArrival_ = 0;
    emit recordingStarted();
    emit viewModeChanged(0);
    emit modePanelChanged(0);
    emit browseControlsChanged();
}

void RecordControl::Stop()
{
    // Sampling ends first, so that a message about a failing save does not
    // run over new samples; the samples since the last save go to the file
    // before saving ends.
    Timer1.stop();
    GridTimer.stop();
    setWaiting(false);
    if (TimerSave.isActive())
        save();
    TimerSave.stop();
    RecordCommandStates s = states_;
    s.stopButton = false;
    s.stopItem = false;
    s.settingsButton = true;
    s.settingsItem = true;
    setStates(s);
}

void RecordControl::CreateFile()
{
    // A recording in progress ends first, as "停止記錄" ends it: its file
    // gets the samples since the last save and is not written again.
    if (TimerSave.isActive())
        Stop();

    record_.CaptureCount = 0;
    RecordBlock& block = record_.SaveBlock;
    block = RecordBlock{};
    for (int k = 0; k < 6; ++k)
        block.Codes[k] = std::uint8_t(record_.ChannelCodes[k]);
    block.Count = 0;

    const QString path = dialogs_.saveFileNameOverwriting(QString(), kFilter, kDefaultName);
    if (path.isEmpty())
        return;
    const RecordFileResult result = writer_.create(path, block.Codes);
    if (!result.ok()) {
        reportFileFailure(result, path);
        return;
    }
    emit recordFileChanged(path, writer_.fileNumber());
    RecordCommandStates s = states_;
    s.startButton = true;
    s.startItem = true;
    s.settingsButton = true;
    s.settingsItem = true;
    setStates(s);
    emit modePanelChanged(0);
}

void RecordControl::OpenFile()
{
    const QString path = dialogs_.openFileName(QString(), kFilter, QString());
    if (path.isEmpty()) {
        emit redrawRequested();
        return;
    }
    OpenPath(path);
}

bool RecordControl::OpenPath(const QString& path)
{
    OpenedRecordFile opened;
    const RecordFileResult result = OpenRecordFile(path, record_.BrowseBuffers, opened);
    if (!result.ok()) {
        reportFileFailure(result, path);
        return false;
    }
    record_.BrowseLast = opened.last;
    record_.BrowseChannelCodes = opened.codes;
    record_.BrowseFileName = path;
    browser_.FileOpened();
    emit captionsChanged(record_.BrowseChannelCodes);
    record_.ViewMode = 1;
    emit viewModeChanged(1);
    emit modePanelChanged(1);
    record_.FileReady = true;
    RecordCommandStates s = states_;
    s.settingsButton = false;
    s.settingsItem = false;
    setStates(s);
    emit browseControlsChanged();
    emit redrawRequested();
    return true;
}

void RecordControl::SaveOnExit()
{
    if (!TimerSave.isActive())
        return;
    // Nothing goes on after this save, so a new failure may wait for the user.
    const bool alreadyReported = record_.SaveFailureReported;
    if (!save() && !alreadyReported)
        reportFileFailure(lastSaveFailure_, record_.RecordFileName);
}

void RecordControl::SwitchView()
{
    browser_.SwitchView();
    emit modePanelChanged(record_.ViewMode);
    emit viewModeChanged(record_.ViewMode);
    emit browseControlsChanged();
}

void RecordControl::ExportCsv()
{
    exportCsv(std::nullopt);
}

void RecordControl::ExportCsvSpan(int first, int last)
{
    exportCsv(std::minmax(first, last));
}

std::array<std::int32_t, 6> RecordControl::viewCodes() const
{
    std::array<std::int32_t, 6> codes{};
    for (int c = 0; c < 6; ++c)
        codes[c] = record_.ViewMode == 0 ? std::int32_t(record_.SaveBlock.Codes[c])
                                         : record_.BrowseChannelCodes[c];
    return codes;
}

void RecordControl::exportCsv(std::optional<std::pair<int, int>> span)
{
    const bool recording = record_.ViewMode == 0;
    std::int32_t last = recording ? record_.CaptureCount - 1 : record_.BrowseLast;
    std::int32_t first = 0;
    if (span) {
        first = std::max(span->first, 0);
        last = std::min(last, std::int32_t(span->second));
    }
    const bool hasData = (recording || !record_.BrowseFileName.isEmpty()) && last >= first;
    if (!hasData) {
        dialogs_.message(QStringLiteral("沒有可匯出的記錄資料。"));
        return;
    }
    QString path;
    if (!askExportPath(QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"),
                       QStringLiteral("RecordFile.csv"), path))
        return;
    const std::array<std::int32_t, 6> codes = viewCodes();
    const SampleBuffers& data = recording ? record_.CaptureBuffers : record_.BrowseBuffers;
    writeExport(path,
                [&](QIODevice& file) { return WriteRecordCsv(file, data, first, last, codes); });
}

void RecordControl::ExportPng(const QImage& chart)
{
    QString path;
    if (!askExportPath(QStringLiteral("PNG (*.png)"), QStringLiteral(".png"),
                       QStringLiteral("RecordChart.png"), path))
        return;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        chart.save(&buffer, "PNG");
    }
    writeExport(path, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}

// Offers the name of the record file of the view in use with `suffix`, and
// asks before replacing a file as creating a record file does.
bool RecordControl::askExportPath(const QString& filter, const QString& suffix,
                                  const QString& fallback, QString& path)
{
    const QString recordFile =
        record_.ViewMode == 0 ? record_.RecordFileName : record_.BrowseFileName;
    QString offered = fallback;
    if (!recordFile.isEmpty()) {
        const QFileInfo info(recordFile);
        offered = info.dir().filePath(info.completeBaseName() + suffix);
    }
    path = dialogs_.saveFileNameOverwriting(QString(), filter, offered);
    return !path.isEmpty();
}

void RecordControl::writeExport(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const SaveResult saved = SaveFile(path, write);
    if (saved.ok())
        return;
    dialogs_.message(SaveFailureMessage(path, saved), UserDialogs::Icon::Error);
}

void RecordControl::Timer1Timer()
{
    if (shared_.link.SessionMode == SessionModeT::ContinuousSampling) {
        // A tick without a fresh measurement would record the last one again
        // under a new time, as if the instrument had measured it.
        if (!measurementIsFresh()) {
            setWaiting(true);
            emit redrawRequested();
            return;
        }
        setWaiting(false);
        weighCycle();
        const MeasurementArrivals& arrivals = shared_.link.Arrivals;
        // At a step shorter than the cycle every tick takes a sample, repeating
        // measurements, so that the samples keep their equal steps. Otherwise a
        // tick that finds no measurement since the last sample (one was lost
        // on the line) takes none rather than record one measurement twice.
        const qint64 cycle = shortestCycleMs_ > 0 ? shortestCycleMs_ : arrivals.cycleMs;
        if (arrivals.count == sampledArrival_ && cycle <= record_.SampleStepMs) {
            emit redrawRequested();
            return;
        }
        sampledArrival_ = arrivals.count;
        record_.SampleVector = SampleVectorOf(shared_.MeasurementRecord);
        takeSample();
    } else {
        Timer1.stop();
        setWaiting(false);
        dialogs_.message(QStringLiteral("   你已經停止了連續測量，記錄停止。   "));
        RecordCommandStates s = states_;
        s.stopButton = false;
        setStates(s);
    }
    emit redrawRequested();
}

// Fresh while the newest measurement is younger than two steps or two
// measurement cycles, whichever is longer: a slow line still delivers within
// two of its cycles, and a step longer than the cycle still finds one.
bool RecordControl::measurementIsFresh() const
{
    const MeasurementArrivals& arrivals = shared_.link.Arrivals;
    const qint64 age = arrivals.ageMs();
    const qint64 limit = 2 * std::max<qint64>(record_.SampleStepMs, arrivals.cycleMs);
    return age >= 0 && age < limit;
}

void RecordControl::setWaiting(bool waiting)
{
    if (waiting == waiting_)
        return;
    waiting_ = waiting;
    emit waitingForInstrumentChanged(waiting);
}

// Takes in the cycle of the newest two measurements when both came during
// this recording (a cycle across a pause of continuous sampling before the
// start says nothing), and says once per recording, at the first such cycle,
// whether samples will repeat measurements.
void RecordControl::weighCycle()
{
    const MeasurementArrivals& arrivals = shared_.link.Arrivals;
    if (arrivals.cycleMs <= 0 || arrivals.lastMs - arrivals.cycleMs < recordingFromMs_)
        return;
    const bool first = shortestCycleMs_ == 0;
    if (first || arrivals.cycleMs < shortestCycleMs_)
        shortestCycleMs_ = arrivals.cycleMs;
    if (first && shortestCycleMs_ > record_.SampleStepMs)
        emit samplesRepeatMeasurements(record_.SampleStepMs, shortestCycleMs_);
}

void RecordControl::TimerSaveTimer()
{
    save();
}

// Takes the sample of SampleVector. A full file goes on in the next file of
// its series; where the series cannot go on without overwriting a file it
// did not make, or the next file cannot be made, the recording stops with
// every sample taken in the full file.
void RecordControl::takeSample()
{
    const RecordWriter::TakeResult taken =
        writer_.take(record_.SampleVector, OleDateFromLocal(clock_()));
    switch (taken.taken) {
    case RecordWriter::Taken::Taken:
        return;
    case RecordWriter::Taken::NextFile:
        emit recordFileChanged(taken.path, writer_.fileNumber());
        return;
    case RecordWriter::Taken::FullUnsaved:
        // A spell of failing saves: the tick after the next save tries again.
        handleSaved(taken.file);
        return;
    case RecordWriter::Taken::NextExists:
    case RecordWriter::Taken::NextFailed:
        break;
    }
    stopForANewFile();
    const QString shown = QDir::toNativeSeparators(taken.path);
    if (taken.taken == RecordWriter::Taken::NextExists)
        dialogs_.message(QStringLiteral("記錄檔案已滿，下一個檔案的名稱已被其他檔案使用，"
                                        "為免覆蓋，記錄已停止：%1\n"
                                        "已取得的樣本都已存入：%2")
                             .arg(shown, QDir::toNativeSeparators(record_.RecordFileName)),
                         UserDialogs::Icon::Error);
    else
        reportFileFailure(taken.file, taken.path);
}

bool RecordControl::save()
{
    if (!record_.FileReady || record_.RecordFileName.isEmpty())
        return true;
    return handleSaved(writer_.save());
}

bool RecordControl::handleSaved(const RecordFileResult& result)
{
    if (result.ok()) {
        if (record_.SaveFailureReported) {
            record_.SaveFailureReported = false;
            emit saveRecovered(record_.RecordFileName);
        }
        return true;
    }
    if (result.failure == RecordFileFailure::Replaced) {
        abandonRecordFile(result);
        return false;
    }
    // Announced once per spell and never waited on: every tick tries again
    // and the samples stay in memory meanwhile.
    lastSaveFailure_ = result;
    if (!record_.SaveFailureReported) {
        record_.SaveFailureReported = true;
        emit saveFailed(result, record_.RecordFileName);
    }
    return false;
}

// Sampling stops and the commands wait for a new record file: only the
// settings stay open.
void RecordControl::stopForANewFile()
{
    Timer1.stop();
    GridTimer.stop();
    TimerSave.stop();
    setWaiting(false);
    RecordCommandStates s = states_;
    s.startButton = false;
    s.startItem = false;
    s.stopButton = false;
    s.stopItem = false;
    s.settingsButton = true;
    s.settingsItem = true;
    setStates(s);
}

// The record file's name leads elsewhere now (replaced by a link or another
// file): every later save would write into whatever stands there, so the
// recording stops and needs a new file. The file is let go (no name to save
// to or start into), while its samples stay in memory: the chart, the record
// report and the CSV export still show them until a new file is created.
void RecordControl::abandonRecordFile(const RecordFileResult& result)
{
    stopForANewFile();
    const QString abandoned = record_.RecordFileName;
    record_.RecordFileName.clear();
    record_.RecordFileIdentity = {};
    reportFileFailure(result, abandoned);
}

void RecordControl::GridTimerTimer()
{
    record_.GridShift = (record_.GridShift + 1) % 20;
}

void RecordControl::ScrollBar1ChangeTimerTimer()
{
    ScrollBar1ChangeTimer.stop();
    emit redrawRequested();
}

void RecordControl::OpenTimerTimer()
{
    OpenTimer.stop();
    emit showRequested();
    OpenPath(shared_.CommandLineFile);
}

void RecordControl::setStates(const RecordCommandStates& states)
{
    states_ = states;
    emit commandStatesChanged(states_);
}

void RecordControl::reportFileFailure(const RecordFileResult& result, const QString& path)
{
    dialogs_.message(RecordFileFailureText(result, path), UserDialogs::Icon::Error);
}
