// Start-up timing: the 255-port scan alone, and the whole start from creating
// the windows (scan and connection included) to the main window shown, on
// this machine's real serial devices plus a simulated instrument.
#include "answerdialogs.h"
#include "connectioncontroller.h"
#include "median.h"
#include "portenvironment.h"
#include "programrig.h"
#include "simulatedinstrument.h"
#include "tmainform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    SimulatedInstrument sim;
    if (!sim.start())
        return 1;
    QTemporaryDir dir;
    if (!WriteWholeFile(dir.filePath("SysSet.ini"),
                        PortSettings(QByteArray::fromStdString(sim.devicePath()))))
        return 1;
    AnswerDialogs dialogs;

    std::vector<double> starts, scans;
    int listed = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer clock;
        clock.start();
        const auto started = StartProgram(dir.path(), dialogs);
        Program& program = *started;
        program.MainForm().show();
        QApplication::processEvents(); // the first paint
        starts.push_back(clock.nsecsElapsed() / 1e6);

        clock.restart();
        program.Connection().ScanPorts();
        scans.push_back(clock.nsecsElapsed() / 1e6);
        listed = int(program.Connection().portItems().size());
    }
    std::printf("port scan of COM1-COM255 (%d ports listed): median %.2f ms\n", listed,
                Median(scans));
    std::printf("start-up to the main window shown (windows, scan, connection): median %.2f ms\n",
                Median(starts));
    return 0;
}
