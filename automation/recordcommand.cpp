#include "recordcommand.h"

#include "inifile.h"
#include "losslessutf8.h"
#include "measurecommand.h"
#include "measurementtelemetry.h"
#include "mqttoptions.h"
#include "portenvironment.h"
#include "portmap.h"
#include "recordrun.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "regularfile.h"
#include "settingsfolder.h"
#include "stopsignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(ToUtf8Lossless(text).constData(), stream);
    std::fflush(stream);
}

QString fileReason(const RecordFileResult& result)
{
    return result.created.failure != SaveFailure::None ? SaveFailureReason(result.created)
                                                       : SystemReason(result.errorNumber);
}

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0);
}

// The step, save interval and channels not given on the command line, from
// the record settings the window saved (its fresh installation's where they
// hold no entry of its tables).
void resolveFromSettings(RecordOptions& options, const IniFile& sysSet)
{
    const RecordSettings saved = ReadRecordSettings(sysSet);
    if (options.stepMs == 0)
        options.stepMs = SampleStepMsOf(IsSampleStepIndex(saved.sampleStep) ? saved.sampleStep
                                                                            : kFallbackStepIndex);
    if (options.saveMs == 0)
        options.saveMs = SaveIntervalMsOf(IsSaveIntervalIndex(saved.saveInterval)
                                              ? saved.saveInterval
                                              : RecordSettings{}.saveInterval);
    if (!options.channels) {
        std::array<std::int32_t, 6> codes{};
        for (int k = 0; k < 6; ++k) {
            const int code = saved.channels[std::size_t(k)];
            codes[std::size_t(k)] = code >= 0 && code < kQuantityCount ? code : 2;
        }
        options.channels = codes;
    }
}

// The device the link will open: --device, else the port's device in the map.
QString inputDevice(const IniFile& sysSet)
{
    bool ok = false;
    const int port =
        sysSet.ReadString(QStringLiteral("CommPort"), QStringLiteral("Port"), {}).toInt(&ok);
    return ok ? PortMapDevicePath(port, &sysSet) : QString();
}

} // namespace

bool IsRecordCommand(int argc, const char* const* argv)
{
    return argc > 1 && std::strcmp(argv[1], "record") == 0;
}

QString RecordOutcomeText(const RecordOutcome& outcome, int savedSamples)
{
    using Kind = RecordOutcome::Kind;
    QString text;
    switch (outcome.kind) {
    case Kind::Done:
    case Kind::Stopped:
        break;
    case Kind::SeriesEnded:
        text = outcome.file.ok()
                   ? QStringLiteral("'%1' is full and the next file of its series, '%2', is "
                                    "there already; it was not overwritten and the recording "
                                    "ended, every sample saved.")
                         .arg(outcome.path, outcome.next)
                   : QStringLiteral("'%1' is full and the next file of its series, '%2', could "
                                    "not be made (%3); the recording ended, every sample saved.")
                         .arg(outcome.path, outcome.next, fileReason(outcome.file));
        break;
    case Kind::LinkFailed:
        text = MeasureOutcomeText(outcome.link);
        break;
    case Kind::CreateFailed:
        text = QStringLiteral("the record file '%1' could not be made: %2")
                   .arg(outcome.path, fileReason(outcome.file));
        break;
    case Kind::Unsaved:
        text = QStringLiteral("the last save of '%1' failed (%2): it holds %3 of the %4 samples "
                              "taken.")
                   .arg(outcome.path, fileReason(outcome.file))
                   .arg(savedSamples)
                   .arg(outcome.samples);
        break;
    case Kind::Replaced:
        text = QStringLiteral("'%1' was moved away or replaced by another file, which was left "
                              "alone; the recording stopped with %2 of the %3 samples saved.")
                   .arg(outcome.path)
                   .arg(savedSamples)
                   .arg(outcome.samples);
        break;
    }
    if (outcome.csvFailed) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QStringLiteral("the CSV file could not be written: %1").arg(outcome.csvReason);
    }
    return text;
}

int RunRecordCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const CommandStart start = StartCommand(argc, argv);
    const QString& program = start.program;
    const QStringList& words = start.words;
    const auto complain = [&](const QString& text) {
        print(stderr, QStringLiteral("%1 record: %2\n").arg(program, text));
    };

    const RecordCommandLine commandLine = ParseRecordCommandLine(words);
    if (commandLine.help) {
        print(stdout, RecordHelp(program));
        return 0;
    }
    if (!commandLine.error.isEmpty()) {
        complain(QStringLiteral("%1\nTry '%2 record --help' for the options.")
                     .arg(commandLine.error, program));
        return 1;
    }
    RecordOptions options = commandLine.options;

    IniFile sysSet(QDir(SettingsFolder()).filePath(QStringLiteral("SysSet.ini")));
    ApplyLinkOptions(options.link, sysSet);
    resolveFromSettings(options, sysSet);
    // Before the port is touched: a file that cannot be the record leaves
    // everything as it was.
    if (const QString problem = CheckRecordFiles(options, inputDevice(sysSet));
        !problem.isEmpty()) {
        complain(problem);
        return 1;
    }

    std::signal(SIGPIPE, SIG_IGN);
    const bool chatty = ::isatty(STDERR_FILENO) == 1;
    const auto note = [&](const QString& text) {
        if (chatty)
            complain(text);
    };

    bool telemetryFailed = false;
    const std::unique_ptr<MeasurementTelemetry> telemetry =
        StartCommandTelemetry(options.broker, false, chatty, complain, telemetryFailed);
    if (telemetryFailed)
        return 1;

    SystemPorts ports(sysSet);
    RecordRun run(options, sysSet, ports);
    if (telemetry)
        QObject::connect(&run, &RecordRun::measured, &run,
                         [&](const MeasurementRecord& measurement, const QDateTime& when) {
                             telemetry->publish(run.measure().comNumber(), run.measure().sysSet(),
                                                measurement, when);
                         });
    MeasureRun& link = run.measure();
    QObject::connect(&link, &MeasureRun::portOpened, &run,
                     [&](const QString& device, int baud, int address) {
                         note(QStringLiteral("%1 open at %2 bit/s, instrument address %3; "
                                             "reading its settings")
                                  .arg(device)
                                  .arg(baud)
                                  .arg(address));
                     });
    QObject::connect(&link, &MeasureRun::linkLost, &run, [&] {
        complain(QStringLiteral("the port's device is gone; waiting for it"));
    });
    QObject::connect(&link, &MeasureRun::linkRestored, &run,
                     [&] { complain(QStringLiteral("the port's device is back")); });
    QObject::connect(&run, &RecordRun::recordingStarted, &run, [&](const QString& path) {
        note(QStringLiteral("recording into %1: one sample every %2 s, saved every %3 s%4")
                 .arg(path, seconds(options.stepMs), seconds(options.saveMs),
                      options.durationMs > 0
                          ? QStringLiteral(", for %1 s").arg(seconds(options.durationMs))
                          : QStringLiteral(" until stopped")));
    });
    QObject::connect(&run, &RecordRun::nextFileStarted, &run, [&](const QString& path, int number) {
        complain(QStringLiteral("the record file is full; the recording goes "
                                "on in %1 (file %2 of the series)")
                     .arg(path)
                     .arg(number));
    });
    QObject::connect(&run, &RecordRun::waitingChanged, &run, [&](bool waiting) {
        note(waiting ? QStringLiteral("no fresh measurement: no samples until the instrument "
                                      "answers again")
                     : QStringLiteral("measurements come again; sampling goes on"));
    });
    QObject::connect(&run, &RecordRun::saveFailed, &run,
                     [&](const RecordFileResult& result, const QString& path) {
                         complain(QStringLiteral("saving '%1' failed (%2); the samples stay in "
                                                 "memory and every save tries again")
                                      .arg(path, fileReason(result)));
                     });
    QObject::connect(&run, &RecordRun::saveRecovered, &run, [&](const QString& path) {
        complain(QStringLiteral("'%1' saved again, every sample in it").arg(path));
    });
    int exitCode = 0;
    QObject::connect(&run, &RecordRun::finished, &run, [&](const RecordOutcome& outcome) {
        const QString text = RecordOutcomeText(outcome, run.record().SavedCount);
        if (!text.isEmpty())
            complain(text);
        else
            note(QStringLiteral("%1 samples saved in %2").arg(outcome.samples).arg(outcome.path));
        exitCode = outcome.exitCode();
        ExitWhenDelivered(telemetry.get(), exitCode);
    });
    CallOnStopSignals(&run, [&run] { run.stop(); });
    QTimer::singleShot(0, &run, [&run] { run.start(); });
    QCoreApplication::exec();
    return exitCode;
}
