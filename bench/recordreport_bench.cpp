// The record report: one page to a PDF on A4 landscape at 1200 dpi with six
// channels and a full page of points (time per page and file size), and the
// wall time of "qpa3600 --report-pdf" for a snapshot and for a record file.
#include "median.h"
#include "pdfexport.h"
#include "recordblock.h"
#include "recordreport.h"
#include "recordstate.h"
#include "reportinfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// 5000 samples in the browsing view: six sine trends, one leaving the chart
// through the top now and then, so traces, edge rule and marks all work.
void FillRecording(RecordState& record)
{
    record.FileReady = true;
    record.ViewMode = 1;
    record.BrowseLast = 4999;
    for (int i = 0; i < 5000; ++i) {
        for (int c = 0; c < 6; ++c)
            record.BrowseBuffers.channel(c)[i] = float(250 + 230 * std::sin(i / 37.0 + c));
        record.BrowseBuffers.channel(1)[i] += (i / 150) % 4 == 0 ? 400.0f : 0.0f;
        record.BrowseBuffers.timestamps()[i] = 46000.5 + i / 86400.0;
    }
}

void WriteRecordFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int k = 0; k < 5; ++k) {
        auto block = std::make_unique<RecordBlock>();
        std::memset(block.get(), 0, sizeof *block);
        for (int i = 0; i < 1000; ++i) {
            for (int c = 0; c < 6; ++c)
                block->Values[c][i] = float(250 + 230 * std::sin((k * 1000 + i) / 37.0 + c));
            block->Timestamps[i] = 46000.5 + (k * 1000 + i) / 86400.0;
        }
        block->Codes = {0, 1, 2, 3, 4, 5};
        block->Count = 5000;
        file.write(reinterpret_cast<const char*>(block.get()), sizeof *block);
    }
}

double RunProgram(const QString& program, const QStringList& arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (process.exitCode() != 0)
        std::printf("  failed: %s\n", process.readAllStandardError().constData());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    auto record = std::make_unique<RecordState>();
    FillRecording(*record);
    RecordReportSource source;
    source.record = record.get();
    source.captions = {"電壓 ", "電流  ", "功率  ", "功率因數", "頻率", "相位"};
    source.status = {"採樣步長：1S", "開始：2025/12/9 12:00:00", "結束：2025/12/9 13:23:19",
                     "長度：690"};
    const ReportDocument report = RecordReport(source);
    const ReportInfo info;
    const QString pdf = dir.filePath(QStringLiteral("record.pdf"));

    std::vector<double> times;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer timer;
        timer.start();
        WriteReportPdf(pdf, report, info, QPageSize(QPageSize::A4), QPageLayout::Landscape);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("record report to PDF, A4 landscape, 1200 dpi, 6 channels x 1177 points:\n"
                "  first page %.1f ms, median %.1f ms, min %.1f ms, size %lld bytes\n",
                times[0], Median(times), *std::min_element(times.begin(), times.end()),
                QFileInfo(pdf).size());

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/qpa3600");
    const QString snapshot = dir.filePath(QStringLiteral("m.zqm"));
    {
        QFile file(snapshot);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(8052, '\0'));
    }
    const QString recordFile = dir.filePath(QStringLiteral("r.zqr"));
    WriteRecordFile(recordFile);
    for (const QString& input : {snapshot, recordFile}) {
        std::vector<double> walls;
        for (int run = 0; run < 7; ++run)
            walls.push_back(RunProgram(program, {QStringLiteral("--report-pdf"),
                                                 dir.filePath(QStringLiteral("out.pdf")), input}));
        std::printf("qpa3600 --report-pdf %s: median %.0f ms, min %.0f ms (7 runs), %lld bytes\n",
                    qPrintable(QFileInfo(input).fileName()), Median(walls),
                    *std::min_element(walls.begin(), walls.end()),
                    QFileInfo(dir.filePath(QStringLiteral("out.pdf"))).size());
    }
    return 0;
}
