// Start-up with a large "SysSet.ini": about 20 MB of sections the program
// does not use (a long-kept file of another tool's run list, comments in a
// legacy code page), with the program's own sections at the very end, so
// every lookup that walks the file walks all of it. Times the whole start to
// the main window shown and reports whether the start changed the file.
#include "answerdialogs.h"
#include "median.h"
#include "programrig.h"
#include "simulatedinstrument.h"
#include "tmainform.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr qint64 kFillerBytes = 20 * 1000 * 1000;
constexpr int kRuns = 3;

QByteArray largeSettings(const QByteArray& devicePath)
{
    QByteArray text;
    text.reserve(kFillerBytes + 4096);
    text += "; \xb3\x5d\xa9\x77\xc0\xc9 (CP950 comment)\r\n"; // not UTF-8 on purpose
    for (int run = 0; text.size() < kFillerBytes; ++run) {
        text += QByteArray("[Run") + QByteArray::number(run) + "]\r\n";
        text += QByteArray("File=/data/records/Caf\xe9-run") + QByteArray::number(run) + ".Zqr\r\n";
        text += "Start=2026-01-01 12:00:00\r\nSamples=1000\r\n; kept for the history\r\n";
    }
    text +=
        "[CommPort]\r\nPort=150\r\n[CommBaudrate]\r\nBaudrate=7\r\n[CommAddress]\r\nAddress=1\r\n"
        "[skinSet]\r\nSkin=2\r\n[WaveSet]\r\nWaveBackground=2\r\nScaleColor=2\r\n"
        "[PortMap]\r\nCOM150="
        + devicePath + "\r\n";
    return text;
}

QByteArray digest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result();
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    SimulatedInstrument sim;
    if (!sim.start())
        return 1;
    const QByteArray settings = largeSettings(QByteArray::fromStdString(sim.devicePath()));
    AnswerDialogs dialogs;

    // A folder of its own per start, so nothing read by an earlier start is
    // at hand. The files are written first and left alone for a few seconds,
    // as a user's settings file has been since its last change: a file changed
    // within the last two seconds is read again at every look-up.
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    std::vector<QByteArray> digests;
    for (int run = 0; run < kRuns; ++run) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        const QString file = folders.back()->filePath("SysSet.ini");
        if (!WriteWholeFile(file, settings))
            return 1;
        digests.push_back(digest(file));
    }
    QThread::msleep(3000);

    std::vector<double> starts;
    bool unchanged = true;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        {
            const auto program = StartProgram(folders[run]->path(), dialogs);
            program->MainForm().show();
            QApplication::processEvents(); // the first paint
            starts.push_back(clock.nsecsElapsed() / 1e6);
        }
        unchanged = unchanged && digest(folders[run]->filePath("SysSet.ini")) == digests[run];
    }
    std::printf("start-up with a %.1f MB SysSet.ini to the main window shown: median %.2f ms "
                "(%d starts)\n",
                settings.size() / 1e6, Median(starts), kRuns);
    std::printf("SysSet.ini left byte for byte as it was: %s\n", unchanged ? "yes" : "no");
    return 0;
}
