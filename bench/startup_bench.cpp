// Start-up timing: the 255-port scan alone, and the whole start from creating
// the windows (scan and connection included) to the main window shown, on
// this machine's real serial devices plus a simulated instrument.
#include "connectioncontroller.h"
#include "inifile.h"
#include "portenvironment.h"
#include "program.h"
#include "simulatedinstrument.h"
#include "tmainform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class QuietDialogs : public UserDialogs {
public:
    void message(const QString&, Icon, const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return true; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    SimulatedInstrument sim;
    if (!sim.start())
        return 1;
    QTemporaryDir dir;
    IniFile sysSet(dir.filePath("SysSet.ini"));
    sysSet.WriteString("PortMap", "COM150", QString::fromStdString(sim.devicePath()));
    sysSet.WriteString("CommPort", "Port", "150");
    sysSet.WriteString("CommBaudrate", "Baudrate", "7");
    QuietDialogs dialogs;

    std::vector<double> starts, scans;
    int listed = 0;
    for (int run = 0; run < 7; ++run) {
        ProgramOptions options;
        options.settingsFolder = dir.path();
        options.programFolder = dir.path();
        QElapsedTimer clock;
        clock.start();
        Program program(options, &dialogs);
        program.MainForm().show();
        QApplication::processEvents(); // the first paint
        starts.push_back(clock.nsecsElapsed() / 1e6);

        clock.restart();
        program.Connection().ScanPorts();
        scans.push_back(clock.nsecsElapsed() / 1e6);
        listed = int(program.Connection().portItems().size());
    }
    std::printf("port scan of COM1-COM255 (%d ports listed): median %.2f ms\n", listed,
                median(scans));
    std::printf("start-up to the main window shown (windows, scan, connection): median %.2f ms\n",
                median(starts));
    return 0;
}
