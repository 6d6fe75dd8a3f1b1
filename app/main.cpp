#include "commandlinereport.h"
#include "program.h"
#include "quitsignals.h"
#include "settingsfolder.h"
#include "snapshotcommands.h"
#include "tlogoform.h"
#include "tmainform.h"

#include <QApplication>
#include <QScreen>

namespace {

// "--report-pdf OUT [--paper P] [--orientation O] FILE": the report of FILE
// written as a PDF, with no window and no port; `wanted` tells whether the
// arguments ask for it.
CommandLineReport ReportRequest(int argc, char** argv, bool& wanted)
{
    CommandLineReport report;
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const QString value = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        if (argument == QLatin1String("--report-pdf")) {
            wanted = true;
            report.outputPath = value;
            ++i;
        } else if (argument == QLatin1String("--paper")) {
            report.paper = value;
            ++i;
        } else if (argument == QLatin1String("--orientation")) {
            report.orientation = value;
            ++i;
        } else if (argument != QLatin1String("--demo")) {
            files << argument;
        }
    }
    report.inputFile = StartFileFromArguments(files);
    return report;
}

} // namespace

int main(int argc, char** argv)
{
    bool reportWanted = false;
    CommandLineReport report = ReportRequest(argc, argv, reportWanted);
    // A report never needs a display; without one the program still starts.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY")
                           && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                           && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (reportWanted || noDisplay)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane QPA3600"));
    if (reportWanted) {
        report.settingsFolder = SettingsFolder();
        return WriteCommandLineReport(report);
    }
    TLogoForm splash;
    splash.showNow();

    ProgramOptions options;
    options.settingsFolder = SettingsFolder();
    options.programFolder = ProgramFolder();
    for (const QString& argument : QApplication::arguments().mid(1)) {
        if (argument == QLatin1String("--demo"))
            options.demo = true;
        else
            options.arguments << argument;
    }

    Program program(options);
    TMainForm& mainForm = program.MainForm();
    if (const QScreen* screen = QApplication::primaryScreen())
        mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
    mainForm.show();
    CloseOnQuitSignals(&mainForm);
    splash.close();
    return app.exec();
}
