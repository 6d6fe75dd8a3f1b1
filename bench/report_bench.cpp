#include "inifile.h"
#include "measurementrecord.h"
#include "printjob.h"
#include "reportinfo.h"
#include "reportstate.h"
#include "tprinterform.h"
#include "userdialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// A 230 V supply feeding a rectifier load: odd current harmonics.
MeasurementRecord RealisticRecord()
{
    MeasurementRecord r{};
    ResetMeasurementRecord(r);
    r.URMS = 230.12f;
    r.UPP = 325.3f;
    r.UF = 50.01f;
    r.IRMS = 4.213f;
    r.IPP = 6.82f;
    r.IPA = 12.3f;
    r.PF = 0.968f;
    r.WRMS = 938.4f;
    r.PS = 969.5f;
    r.PQ = 243.7f;
    r.VTHD = 0.021f;
    r.ITHD = 0.318f;
    r.VKF = 1.414f;
    r.IKF = 1.62f;
    for (int k = 0; k <= 50; ++k) {
        const bool odd = k % 2 == 1;
        r.UHarmonic[k] = k == 1 ? 325.0f : (odd ? 6.5f / k : 0.05f);
        r.IHarmonic[k] = k == 1 ? 6.0f : (odd ? 1.9f / k : 0.01f);
    }
    for (int k = 0; k < 512; ++k) {
        const double p = 2 * std::numbers::pi * 4 * k / 512;
        r.UWave[k] = static_cast<std::uint16_t>(2047 + std::lround(1500 * std::sin(p) - 40 * std::sin(3 * p)));
        r.IWave[k] = static_cast<std::uint16_t>(
            2047 + std::lround(600 * std::sin(p - 0.2) + 180 * std::sin(3 * p) + 90 * std::sin(5 * p)));
    }
    return r;
}

class NoDialogs : public UserDialogs {
public:
    void message(const QString&, Icon, const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

QTemporaryDir& Folder()
{
    static QTemporaryDir dir;
    return dir;
}

// One A4 portrait page of the analysis report to a PDF at 1200 dpi.
qint64 PrintOnce(const MeasurementRecord& record)
{
    const QString path = Folder().filePath(QStringLiteral("analysis.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    PrepareReportPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const ReportInfo info;
    if (PrintReport(printer, AnalysisReport(record, info), info) != PrintOutcome::Printed)
        return -1;
    return QFileInfo(path).size();
}

void PrintAnalysisPdf(benchmark::State& state)
{
    const MeasurementRecord record = RealisticRecord();
    qint64 size = 0;
    for (auto _ : state)
        size = PrintOnce(record);
    state.counters["pdf_bytes"] = double(size);
}
BENCHMARK(PrintAnalysisPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(15)
    ->ReportAggregatesOnly(true);

void BuildPreview(benchmark::State& state)
{
    MeasurementRecord record = RealisticRecord();
    ReportState report;
    NoDialogs dialogs;
    TPrinterForm form(report, record, IniFile(Folder().filePath(QStringLiteral("EnterInfo.ini"))),
                      dialogs, {});
    for (auto _ : state)
        form.BuildPreview();
}
BENCHMARK(BuildPreview)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The first page pays for loading and subsetting the fonts.
    QElapsedTimer timer;
    timer.start();
    const qint64 size = PrintOnce(RealisticRecord());
    std::printf("first analysis page to PDF: %lld ms, %lld bytes\n",
                static_cast<long long>(timer.elapsed()), static_cast<long long>(size));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
