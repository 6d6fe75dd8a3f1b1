#include "measurecommand.h"

#include "losslessutf8.h"
#include "measurementline.h"
#include "measurementtelemetry.h"
#include "measurerun.h"
#include "mqttoptions.h"
#include "networkaddress.h"
#include "portenvironment.h"
#include "settingsfolder.h"
#include "stopsignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
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

QString holdersText(const std::vector<serial::DeviceHolder>& holders)
{
    QStringList names;
    for (const serial::DeviceHolder& holder : holders)
        names << QStringLiteral("%1, process %2")
                     .arg(QString::fromLocal8Bit(holder.program.c_str()))
                     .arg(holder.pid);
    return names.isEmpty() ? QString()
                           : QStringLiteral(" (%1)").arg(names.join(QStringLiteral("; ")));
}

QString accessHint(const QString& device)
{
    return QStringLiteral("you may not open %1: the package's udev rule opens the instrument's "
                          "USB port to the user at the computer; for other devices join the "
                          "dialout group (sudo adduser $USER dialout, then log in again).")
        .arg(device);
}

// What a line of standard output is written with: whole, then flushed, so
// that a reader sees each line as it comes (`| head -3`).
struct LineWriter {
    int lastErrno = 0;

    bool write(const QByteArray& line)
    {
        if (std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout)
                != std::size_t(line.size())
            || std::fflush(stdout) != 0) {
            lastErrno = errno;
            return false;
        }
        return true;
    }
};

} // namespace

bool IsMeasureCommand(int argc, const char* const* argv)
{
    return argc > 1 && std::strcmp(argv[1], "measure") == 0;
}

QString MeasureOutcomeText(const MeasureOutcome& outcome)
{
    using Kind = MeasureOutcome::Kind;
    // A network port is known by its address; the COM number that carries it
    // for --url means nothing to the user.
    const QString port =
        IsNetworkAddress(outcome.device) ? outcome.device
        : outcome.comNumber != 0
            ? QStringLiteral("COM%1 (%2)").arg(outcome.comNumber).arg(outcome.device)
            : QString();
    switch (outcome.kind) {
    case Kind::Done:
    case Kind::Stopped:
    case Kind::OutputClosed:
        return {};
    case Kind::OutputFailed:
        return QStringLiteral("the measurements could not be written to standard output.");
    case Kind::NoPort:
        if (outcome.comNumber == 0)
            return QStringLiteral("no port is saved in the link settings; name one with --port, "
                                  "--device or --url.");
        if (outcome.deniedDevices.contains(outcome.device))
            return port + QStringLiteral(": ") + accessHint(outcome.device);
        return port + QStringLiteral(": no such serial device.");
    case Kind::PortBusy:
        return port + QStringLiteral(" is held by another program") + holdersText(outcome.holders)
               + QLatin1Char('.');
    case Kind::OpenFailed:
        switch (outcome.openError.value_or(ECommError::Reason::OpenFailed)) {
        case ECommError::Reason::NotSerial:
            return port + QStringLiteral(" is not a serial device.");
        case ECommError::Reason::HeldByOther:
            return port + QStringLiteral(" is held by another program")
                   + holdersText(outcome.holders) + QLatin1Char('.');
        case ECommError::Reason::NoPermission:
            return port + QStringLiteral(": ") + accessHint(outcome.device);
        case ECommError::Reason::OpenFailed:
        case ECommError::Reason::BadAddress:
            return port + QLatin1Char(' ') + NetworkAddressProblem(outcome.device);
        case ECommError::Reason::HostNotFound: {
            const NetworkAddressParse parsed = ParseNetworkAddress(outcome.device);
            return QStringLiteral("%1: the host '%2' is not known (its name does not resolve).")
                .arg(port, parsed.address ? parsed.address->host : outcome.device);
        }
        case ECommError::Reason::Refused:
            return port
                   + QStringLiteral(": the connection was refused; is the serial device "
                                    "server (ser2net) running, and is this its port?");
        case ECommError::Reason::Unreachable:
            return port + QStringLiteral(": the host did not answer or cannot be reached.");
        case ECommError::Reason::NotOpen:
        case ECommError::Reason::AlreadyOpen:
            break;
        }
        return port + QStringLiteral(" could not be opened.");
    case Kind::NoAnswer:
        return QStringLiteral("no answer from the instrument on %1 within %2 s%3.")
            .arg(port)
            .arg(outcome.timeoutMs / 1000.0)
            .arg(outcome.answeredBefore
                     ? QStringLiteral(" (it had answered before)")
                     : QStringLiteral(": is it switched on, connected, at this rate and address?"));
    }
    return {};
}

CommandStart StartCommand(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quorvane QPA3600"));
    CommandStart start;
    start.program = QFileInfo(FromUtf8Lossless(argv[0])).fileName();
    for (int i = 2; i < argc; ++i)
        start.words << FromUtf8Lossless(argv[i]);
    return start;
}

int RunMeasureCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const CommandStart start = StartCommand(argc, argv);
    const QString& program = start.program;
    const QStringList& words = start.words;

    const MeasureCommandLine commandLine = ParseMeasureCommandLine(words);
    if (commandLine.help) {
        print(stdout, MeasureHelp(program));
        return 0;
    }
    if (!commandLine.error.isEmpty()) {
        print(stderr, QStringLiteral("%1 measure: %2\nTry '%1 measure --help' for the options.\n")
                          .arg(program, commandLine.error));
        return 1;
    }
    const MeasureOptions& options = commandLine.options;

    // A reader that went away (`| head -3`) is noticed as a failed write,
    // not as a signal that would end the program before the port is released.
    std::signal(SIGPIPE, SIG_IGN);
    const bool chatty = ::isatty(STDERR_FILENO) == 1;
    const auto note = [&](const QString& text) {
        if (chatty)
            print(stderr, QStringLiteral("%1 measure: %2\n").arg(program, text));
    };

    bool telemetryFailed = false;
    const std::unique_ptr<MeasurementTelemetry> telemetry = StartCommandTelemetry(
        options.broker, options.harmonics, chatty,
        [&](const QString& text) {
            print(stderr, QStringLiteral("%1 measure: %2\n").arg(program, text));
        },
        telemetryFailed);
    if (telemetryFailed)
        return 1;

    IniFile sysSet(QDir(SettingsFolder()).filePath(QStringLiteral("SysSet.ini")));
    ApplyLinkOptions(options.link, sysSet);
    SystemPorts ports(sysSet);

    LineWriter writer;
    bool headerDone = false;
    MeasureRun* runOfSink = nullptr;
    const auto writeLine = [&](const MeasurementRecord& record, const QDateTime& when) {
        if (options.format == MeasureOptions::Format::Json)
            return writer.write(MeasurementJsonLine(record, when, options.harmonics));
        if (!headerDone) {
            headerDone = true;
            if (!writer.write(MeasurementCsvHeader(options.harmonics)))
                return false;
        }
        return writer.write(MeasurementCsvLine(record, when, options.harmonics));
    };
    MeasureRun::Sink sink;
    sink.write = [&](const MeasurementRecord& record, const QDateTime& when) {
        if (!writeLine(record, when))
            return false;
        if (telemetry)
            telemetry->publish(runOfSink->comNumber(), runOfSink->sysSet(), record, when);
        return true;
    };
    sink.outputClosed = [&] { return writer.lastErrno == EPIPE; };

    MeasureRun run(options, sysSet, ports, sink);
    runOfSink = &run;
    QObject::connect(&run, &MeasureRun::portOpened, &run,
                     [&](const QString& device, int baud, int address) {
                         note(QStringLiteral("%1 open at %2 bit/s, instrument address %3; "
                                             "reading its settings")
                                  .arg(device)
                                  .arg(baud)
                                  .arg(address));
                     });
    QObject::connect(&run, &MeasureRun::settingsReadBack, &run, [&](bool wide, bool csa) {
        note(QStringLiteral("the instrument answers (%1 current band, %2 harmonics)")
                 .arg(wide ? QStringLiteral("wide") : QStringLiteral("narrow"),
                      csa ? QStringLiteral("CSA") : QStringLiteral("IEC")));
    });
    QObject::connect(&run, &MeasureRun::linkLost, &run,
                     [&] { note(QStringLiteral("the port's device is gone; waiting for it")); });
    QObject::connect(&run, &MeasureRun::linkRestored, &run,
                     [&] { note(QStringLiteral("the port's device is back")); });
    int exitCode = 0;
    QObject::connect(&run, &MeasureRun::finished, &run, [&](const MeasureOutcome& outcome) {
        const QString text = MeasureOutcomeText(outcome);
        if (!text.isEmpty())
            print(stderr, QStringLiteral("%1 measure: %2\n").arg(program, text));
        exitCode = outcome.exitCode();
        ExitWhenDelivered(telemetry.get(), exitCode);
    });
    CallOnStopSignals(&run, [&run] { run.stop(); });
    QTimer::singleShot(0, &run, [&run] { run.start(); });
    QCoreApplication::exec();
    return exitCode;
}
