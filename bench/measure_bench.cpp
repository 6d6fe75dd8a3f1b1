// `qpa3600 measure --count 100` at 115200 bit/s against the window's
// continuous sampling on the same simulated line: measurements per second of
// each, and the time from starting the command to its first line. Prints one
// line per figure.
#include "answerdialogs.h"
#include "median.h"
#include "programrig.h"
#include "responsedispatcher.h"
#include "simulatedinstrument.h"
#include "tmainform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <vector>

namespace {

constexpr int kMeasurements = 100;
constexpr int kRuns = 3;

void runUntil(const std::function<bool()>& done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// Measurements per second between the first and the last of `times` (ms).
double rate(const std::vector<double>& times)
{
    return times.size() > 1 ? 1000.0 * double(times.size() - 1) / (times.back() - times.front())
                            : 0.0;
}

// The whole program as a user starts it, its saved port the simulator;
// "連續採樣" clicked once the settings are read back.
double windowSampling(const QString& device)
{
    QTemporaryDir settings;
    WriteWholeFile(QDir(settings.path()).filePath(QStringLiteral("SysSet.ini")),
                   PortSettings(device.toUtf8(), 7, 1));
    AnswerDialogs dialogs{true, {}, true};
    const auto program =
        StartProgram(settings.path(), dialogs, {}, QCoreApplication::applicationDirPath());
    program->MainForm().show();
    bool readBack = false;
    QObject::connect(&program->Dispatcher(), &ResponseDispatcher::readBackComplete,
                     [&] { readBack = true; });
    runUntil([&] { return readBack; }, 10000);
    std::vector<double> stored;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&program->Dispatcher(), &ResponseDispatcher::measurementStored,
                     [&] { stored.push_back(double(clock.nsecsElapsed()) / 1e6); });
    program->MainForm().SeSkinSpeedButton8->click();
    runUntil([&] { return stored.size() >= kMeasurements; }, 120000);
    program->Control().StopTest();
    runUntil([] { return false; }, 500);
    return rate(stored);
}

struct CommandFigures {
    double perSecond = 0;
    double firstLineMs = 0;
};

CommandFigures measureCommand(const QString& device)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(QPA3600_BINARY),
                  {QStringLiteral("measure"), QStringLiteral("--device"), device,
                   QStringLiteral("--baud"), QStringLiteral("115200"), QStringLiteral("--address"),
                   QStringLiteral("1"), QStringLiteral("--count"), QString::number(kMeasurements)});
    std::vector<double> lines;
    bool header = true;
    while (process.waitForReadyRead(30000) || process.canReadLine()) {
        while (process.canReadLine()) {
            process.readLine();
            if (header)
                header = false;
            else
                lines.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        if (process.state() == QProcess::NotRunning && !process.canReadLine())
            break;
    }
    process.waitForFinished(30000);
    CommandFigures figures;
    figures.perSecond = rate(lines);
    figures.firstLineMs = lines.empty() ? 0.0 : lines.front();
    if (int(lines.size()) != kMeasurements)
        std::fprintf(stderr, "measure printed %zu lines, exit code %d\n", lines.size(),
                     process.exitCode());
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    SimulatedInstrument sim;
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "cannot start the simulated instrument: %s\n", error.c_str());
        return 1;
    }
    const QString device = QString::fromStdString(sim.devicePath());
    std::vector<double> window, command, firstLine;
    for (int run = 0; run < kRuns; ++run) {
        window.push_back(windowSampling(device));
        const CommandFigures figures = measureCommand(device);
        command.push_back(figures.perSecond);
        firstLine.push_back(figures.firstLineMs);
    }
    const double windowRate = Median(window);
    const double commandRate = Median(command);
    std::printf("%-44s %.2f measurements/s (median of %d runs of %d)\n",
                "window, continuous sampling, 115200:", windowRate, kRuns, kMeasurements);
    std::printf("%-44s %.2f measurements/s (%.3f x the window)\n",
                "measure --count 100, 115200:", commandRate,
                windowRate > 0 ? commandRate / windowRate : 0.0);
    std::printf("%-44s %.0f ms (median; start of the process to its first line)\n",
                "measure, time to the first line:", Median(firstLine));
    return 0;
}
