// The instrument's burst log: the download from the start acknowledgement to
// "完成測量" against the simulated instrument at 115200 and 9600 bit/s, beside
// a reference of the requests' line time plus, for each of the six chunks,
// one 100 ms port poll and the dispatcher's whole wait (the 20 ms settle and
// fifty paced steps); the longest event-loop stall during the download with
// the final draw of the logging window; and DrawLogChart on a 1920 x 1080
// paint box. Prints one line per figure.
#include "answerdialogs.h"
#include "burstlog.h"
#include "chartbox.h"
#include "eventloopwait.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "logchart.h"
#include "measurementrecord.h"
#include "median.h"
#include "paintercanvas.h"
#include "responsedispatcher.h"
#include "simulatedinstrument.h"
#include "stallprobe.h"
#include "tstartingform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void download(TBaudRate rate, int baudIndex, int bitsPerSecond, int runs)
{
    SimulatedInstrument::Options options;
    options.startingSwitchByCommand = true;
    SimulatedInstrument sim(options);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "cannot start the simulated instrument: %s\n", error.c_str());
        return;
    }
    AnswerDialogs dialogs{true, {}, true};
    LinkState link;
    MeasurementRecord record;
    ResetMeasurementRecord(record);
    link.InstrumentAddress = 1;
    link.BaudIndex = baudIndex;
    InstrumentLink parts{link, record};
    parts.Comm1.setDeviceResolver([&sim](int) { return QString::fromStdString(sim.devicePath()); });
    parts.Comm1.setBaudRate(rate);
    parts.Comm1.setPortOpen(true);
    TStartingForm form(link, parts.dispatcher, dialogs,
                       [] {
                           return ChartColors{Qt::black, QColor(0, 128, 128)};
                       },
                       {1920, 1080});
    form.resize(810, 613);
    form.show();

    QElapsedTimer clock;
    bool triggered = false;
    bool complete = false;
    QObject::connect(&parts.dispatcher, &ResponseDispatcher::logProgress,
                     [&](LogProgress stage, int) {
                         if (stage == LogProgress::Triggered) {
                             triggered = true;
                             clock.start();
                         }
                     });
    QObject::connect(&form, &TStartingForm::statusShown, [&](const QString& text) {
        if (text == QStringLiteral("完成測量"))
            complete = true;
    });

    StallProbe probe;
    std::vector<double> totals, stalls, stallCpu;
    for (int run = 0; run < runs; ++run) {
        triggered = complete = false;
        form.StartClick();
        RunUntil([&] { return sim.closeStartingSwitch(); }, 3000, 1); // once the arm is in
        RunUntil([&] { return triggered; }, 10000, 1);
        probe.start();
        // The final draw runs right after the status: leave the loop a tick.
        RunUntil([&] { return complete; }, 60000, 1);
        const double ms = clock.nsecsElapsed() / 1e6;
        RunUntil([] { return false; }, 20, 1);
        probe.stop();
        if (!complete) {
            std::fprintf(stderr, "download %d at %d bit/s did not complete\n", run, bitsPerSecond);
            continue;
        }
        totals.push_back(ms);
        stalls.push_back(probe.longestMs());
        stallCpu.push_back(probe.longestCpuMs());
    }
    if (totals.empty())
        return;
    const double pauseMs = ResponseDispatcher::PauseForBaudIndex(baudIndex);
    const double waitMs = ResponseDispatcher::kSettleMs + ResponseDispatcher::kWaitSteps * pauseMs;
    const double requestsMs = 6 * 8 * 10.0 * 1000.0 / bitsPerSecond;
    const double chunkLineMs = 1710 * 10.0 * 1000.0 / bitsPerSecond;
    const double reference = requestsMs + 6 * (100.0 + waitMs);
    std::printf(
        "log download, %6d bit/s: start acknowledgement to \"完成測量\" median %.0f ms over %zu "
        "runs (line time %.0f ms; reference %.0f ms = requests %.1f ms + 6 x (100 ms poll + "
        "%.0f ms wait covering each chunk's %.0f ms), %+.1f %%); longest event-loop stall "
        "with the final draw median %.2f ms, worst %.2f ms (thread cpu in it %.2f ms)\n",
        bitsPerSecond, Median(totals), totals.size(), requestsMs + 6 * chunkLineMs, reference,
        requestsMs, waitMs, chunkLineMs, 100.0 * (Median(totals) - reference) / reference,
        Median(stalls), *std::max_element(stalls.begin(), stalls.end()),
        stallCpu[std::max_element(stalls.begin(), stalls.end()) - stalls.begin()]);
}

void drawing()
{
    RandomSource random(7);
    DriftingLoad load(7);
    const BurstLog log = BuildBurstLog(load.snapshot(), *RangesForCode(0x10), random);
    QImage surface(2400, 1600, QImage::Format_RGB32);
    LogChartInput input;
    input.log = log;
    input.width = 1920;
    input.height = 1080;
    input.fillSize = {1920, 1080};
    input.ChartBackColor = Qt::black;
    input.ChartGridColor = QColor(0, 128, 128);
    for (int zoom : {1, 4}) {
        input.zoom = zoom;
        std::vector<double> ms, cpuMs;
        for (int run = 0; run < 300; ++run) {
            QElapsedTimer clock;
            clock.start();
            const double cpuStart = ThreadCpuMs();
            QPainter painter(&surface);
            PainterCanvas canvas(painter);
            DrawLogChart(canvas, input);
            painter.end();
            cpuMs.push_back(ThreadCpuMs() - cpuStart);
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf(
            "DrawLogChart 1920 x 1080, zoom %d: median %.3f ms, worst %.3f ms over %zu draws; "
            "thread cpu median %.3f ms (the rest is time the loaded machine gave others)\n",
            zoom, Median(ms), *std::max_element(ms.begin(), ms.end()), ms.size(), Median(cpuMs));
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    drawing();
    download(TBaudRate::br115200, 7, 115200, 7);
    download(TBaudRate::br9600, 1, 9600, 3);
    return 0;
}
