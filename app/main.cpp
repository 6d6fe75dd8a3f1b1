#include "commandline.h"
#include "commandlinereport.h"
#include "commandlinestats.h"
#include "installcheck.h"
#include "limitscommand.h"
#include "losslessutf8.h"
#include "measurecommand.h"
#include "program.h"
#include "qttranslations.h"
#include "quitsignals.h"
#include "recordcommand.h"
#include "settingsfolder.h"
#include "snapshotcommands.h"
#include "tlogoform.h"
#include "tmainform.h"
#include "windowplacement.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>

namespace {

// File names in the text go out as the bytes they were given in.
void print(FILE* stream, const QString& text)
{
    std::fputs(ToUtf8Lossless(text).constData(), stream);
}

// --help, --version, --check-install, --stats, --harmonic-limits and wrong options: answered on the
// terminal, without a window system. Returns the exit code.
int answerOnTerminal(const CommandLine& commandLine, const QString& program, bool fileWanted)
{
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        print(stdout, CommandLineHelp(program));
        return 0;
    case CommandLine::Action::Version:
        print(stdout, VersionText());
        return 0;
    case CommandLine::Action::CheckInstall: {
        QString report;
        const bool complete = CheckInstall(DataFolder(), SettingsFolder(), &report);
        print(stdout, report);
        return complete ? 0 : 1;
    }
    case CommandLine::Action::Stats: {
        const StatisticsOutcome outcome = RunStatistics(
            {commandLine.stats, commandLine.from, commandLine.to, commandLine.format});
        print(stdout, outcome.output);
        if (!outcome.error.isEmpty())
            print(stderr, QStringLiteral("%1: %2\n").arg(program, outcome.error));
        return outcome.exitCode;
    }
    case CommandLine::Action::HarmonicLimits: {
        const LimitsCommandOutcome outcome = RunHarmonicLimits(
            {commandLine.harmonicLimits, commandLine.limitsClass, commandLine.format});
        print(stdout, outcome.output);
        if (!outcome.error.isEmpty())
            print(stderr, QStringLiteral("%1: %2\n").arg(program, outcome.error));
        return outcome.exitCode;
    }
    case CommandLine::Action::Error:
    case CommandLine::Action::Run:
        break;
    }
    print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for the options.\n")
                      .arg(program, commandLine.error));
    // A report or statistics asked for with wrong words fail as any other
    // bad input of theirs does; other mistakes are usage errors.
    return fileWanted ? 1 : 2;
}

// Whether the window can be shown somewhere: a display is named, or a Qt
// platform was chosen explicitly (QT_QPA_PLATFORM, -platform), which is then
// the user's choice to answer for (offscreen included).
bool displayReachable(const QStringList& rawArguments)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (const QString& word : rawArguments) {
        if (word == QLatin1String("--"))
            break;
        if (word == QLatin1String("-platform") || word == QLatin1String("--platform"))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // A command for scripts: no window system at all.
    if (IsMeasureCommand(argc, argv))
        return RunMeasureCommand(argc, argv);
    if (IsRecordCommand(argc, argv))
        return RunRecordCommand(argc, argv);

    // File names are bytes: the arguments are read so that every byte
    // survives (QCoreApplication::arguments() would replace those that are
    // not UTF-8, and the program would open or write another name).
    const QStringList rawArguments = ArgumentsFromBytes(argc, argv);
    const QString programName = QFileInfo(FromUtf8Lossless(argv[0])).fileName();
    const auto asked = [&rawArguments](const char* option) {
        return rawArguments.contains(QLatin1String(option))
               || !rawArguments.filter(QLatin1String(option) + QLatin1Char('=')).isEmpty();
    };
    const bool reportWanted = asked("--report-pdf");
    const bool statsWanted = asked("--stats") || asked("--harmonic-limits");
    if (NeedsNoWindow(rawArguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Quorvane QPA3600"));
        return answerOnTerminal(ParseCommandLine(ArgumentsFromBytes(argc, argv)), programName,
                                reportWanted || statsWanted);
    }

    // A report never needs a display.
    if (reportWanted) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (!displayReachable(rawArguments)) {
        // A window nobody can see would still hold the instrument's port.
        QStringList options = OptionsWithoutDisplay();
        const QString last = options.takeLast();
        print(stderr, QStringLiteral("%1: no display: neither DISPLAY nor WAYLAND_DISPLAY is set; "
                                     "the window needs one, only %2 and %3 run without it.\n")
                          .arg(programName, options.join(QStringLiteral(", ")), last));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane QPA3600"));
    // QApplication has taken its own options (-platform, -style ...) out of
    // argv; what is left is this program's.
    const CommandLine commandLine = ParseCommandLine(ArgumentsFromBytes(argc, argv));
    if (commandLine.action != CommandLine::Action::Run)
        return answerOnTerminal(commandLine, programName, reportWanted);
    if (!commandLine.reportPdf.isEmpty()) {
        CommandLineReport report;
        report.outputPath = commandLine.reportPdf;
        report.paper = commandLine.paper;
        report.orientation = commandLine.orientation;
        report.autoscale = commandLine.autoscale;
        report.inputFile = StartFileFromArguments(commandLine.arguments);
        report.settingsFolder = SettingsFolder();
        return WriteCommandLineReport(report);
    }
    InstallQtTranslations(app, QString());
    // Lets the desktop match the windows to the menu entry (its icon, its name).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quorvane.qpa3600"));

    TLogoForm splash;
    splash.showNow();

    ProgramOptions options;
    options.settingsFolder = SettingsFolder();
    options.programFolder = DataFolder();
    options.arguments = commandLine.arguments;
    options.demo = commandLine.demo;

    Program program(options);
    TMainForm& mainForm = program.MainForm();
    if (const QScreen* screen = QApplication::primaryScreen())
        mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
    KeepInsideScreen(mainForm); // a screen smaller than the window: its top-left stays in reach
    mainForm.show();
    CloseOnQuitSignals(&mainForm);
    splash.close();
    return QApplication::exec();
}
