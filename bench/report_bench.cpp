#include "answerdialogs.h"
#include "inifile.h"
#include "measurementrecord.h"
#include "measurements.h"
#include "printjob.h"
#include "reportinfo.h"
#include "reportstate.h"
#include "tprinterform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

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
    const MeasurementRecord record = RectifierMeasurement();
    qint64 size = 0;
    for (auto _ : state)
        size = PrintOnce(record);
    state.counters["pdf_bytes"] = double(size);
}
BENCHMARK(PrintAnalysisPdf)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

void BuildPreview(benchmark::State& state)
{
    MeasurementRecord record = RectifierMeasurement();
    ReportState report;
    AnswerDialogs dialogs(false);
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
    const qint64 size = PrintOnce(RectifierMeasurement());
    std::printf("first analysis page to PDF: %lld ms, %lld bytes\n",
                static_cast<long long>(timer.elapsed()), static_cast<long long>(size));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
