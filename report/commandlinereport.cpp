#include "commandlinereport.h"

#include "inifile.h"
#include "measurementrecord.h"
#include "pdfexport.h"
#include "recordautoscale.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordingcanvas.h"
#include "recordreport.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "reportinfo.h"
#include "snapshotcommands.h"
#include "snapshotfile.h"

#include "losslessutf8.h"

#include <QDir>

#include <cstdio>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace {

// File names in a message go out as the bytes they were given in.
void PrintError(const QString& text)
{
    std::fputs(ToUtf8Lossless(text + QLatin1Char('\n')).constData(), stderr);
    std::fflush(stderr);
}

// Whether `output` is the file `input` (the same file under any name: a
// hard link, a symbolic link, another spelling of the path).
bool SameFile(const QString& output, const QString& input)
{
    struct stat out {
    }, in{};
    return ::stat(ToUtf8Lossless(output).constData(), &out) == 0
           && ::stat(ToUtf8Lossless(input).constData(), &in) == 0 && out.st_dev == in.st_dev
           && out.st_ino == in.st_ino;
}

std::optional<QPageSize> PaperNamed(const QString& name)
{
    if (name.isEmpty() || name.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4);
    if (name.compare(QLatin1String("A3"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A3);
    if (name.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter);
    if (name.compare(QLatin1String("Legal"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Legal);
    return std::nullopt;
}

// The orientation asked for; none for "", an error for anything else.
bool OrientationNamed(const QString& name, std::optional<QPageLayout::Orientation>& orientation)
{
    if (name.isEmpty())
        return true;
    if (name.compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
        orientation = QPageLayout::Portrait;
    else if (name.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
        orientation = QPageLayout::Landscape;
    return orientation.has_value();
}

} // namespace

std::optional<RecordReportSource> CommandLineRecordReportSource(const QString& path,
                                                                RecordState& record, bool autoscale)
{
    OpenedRecordFile file;
    const RecordFileResult result = OpenRecordFile(path, record.BrowseBuffers, file);
    if (!result.ok()) {
        // In the record window's words.
        PrintError(RecordFileFailureText(result, path));
        return std::nullopt;
    }
    // Browsed from its newest sample, as the record window opens it.
    record.BrowseLast = file.last;
    record.BrowseChannelCodes = file.codes;
    record.BrowseFileName = path;
    record.ViewMode = 1;
    record.FileReady = true;
    if (autoscale)
        ApplyAutoscale(record, ChooseAutoscale(record, kRecordChartDesignedWidth));

    RecordingCanvas chart;
    RecordingCanvas ruler;
    const RecordChartFacts facts = DrawRecordChart(record, chart, ruler, kRecordChartDesignedWidth,
                                                   kRecordChartDesignedHeight, ChartColors{});
    // The captions of the file's channels and the panels the chart writes.
    const auto panel = [&facts](int n) {
        switch (n) {
        case 0:
            return ZoomPanelText(facts);
        case 2:
            return StartPanelText(facts);
        case 3:
            return EndPanelText(facts);
        default:
            return LengthPanelText(facts);
        }
    };
    return RecordReportSourceOf(
        record, QSize(kRecordChartDesignedWidth, kRecordChartDesignedHeight),
        [] { return QImage(); },
        [&record](int c) { return QuantityCaption(record.BrowseChannelCodes[c]); }, panel);
}

int WriteCommandLineReport(const CommandLineReport& request)
{
    if (request.outputPath.isEmpty()) {
        PrintError(QStringLiteral("--report-pdf 需要輸出檔案名稱。"));
        return 1;
    }
    const std::optional<QPageSize> paper = PaperNamed(request.paper);
    if (!paper) {
        PrintError(
            QStringLiteral("不支援的紙張：%1（可用 A4、A3、Letter、Legal）").arg(request.paper));
        return 1;
    }
    std::optional<QPageLayout::Orientation> orientation;
    if (!OrientationNamed(request.orientation, orientation)) {
        PrintError(QStringLiteral("不支援的方向：%1（可用 portrait、landscape）")
                       .arg(request.orientation));
        return 1;
    }
    if (request.inputFile.isEmpty()) {
        PrintError(QStringLiteral("--report-pdf 需要一個量測檔案（.zqm）或記錄檔案（.zqr）。"));
        return 1;
    }
    // The PDF's name forgotten ("--report-pdf r2.zqr r1.zqr") or the input
    // named twice: the measurement would be replaced by a report.
    if (KindOfStartFile(request.outputPath) != StartFileKind::None) {
        PrintError(QStringLiteral("輸出檔案 %1 是量測或記錄檔案的名稱（.zqm／.zqr），不是 PDF；"
                                  "沒有寫入任何內容。")
                       .arg(QDir::toNativeSeparators(request.outputPath)));
        return 1;
    }
    if (SameFile(request.outputPath, request.inputFile)) {
        PrintError(QStringLiteral("輸出檔案 %1 就是輸入檔案 %2；沒有寫入任何內容。")
                       .arg(QDir::toNativeSeparators(request.outputPath),
                            QDir::toNativeSeparators(request.inputFile)));
        return 1;
    }

    const ReportInfo info = ReadReportInfo(
        IniFile(QDir(request.settingsFolder).filePath(QStringLiteral("EnterInfo.ini"))));
    const QString file = request.inputFile;
    MeasurementRecord measurement{};
    const auto record = std::make_unique<RecordState>();
    ReportDocument report;
    switch (KindOfStartFile(file)) {
    case StartFileKind::Snapshot: {
        if (request.autoscale) {
            PrintError(QStringLiteral("--autoscale 只適用於記錄檔案（.zqr）的報告：%1")
                           .arg(QDir::toNativeSeparators(file)));
            return 1;
        }
        ResetMeasurementRecord(measurement);
        const SnapshotFileResult result = OpenSnapshotFile(file, measurement);
        if (!result.ok()) {
            PrintError(result.error);
            return 1;
        }
        report = AnalysisReport(measurement, info, SnapshotTakenTime(file));
        break;
    }
    case StartFileKind::RecordFile: {
        const std::optional<RecordReportSource> source =
            CommandLineRecordReportSource(file, *record, request.autoscale);
        if (!source)
            return 1;
        report = RecordReport(*source);
        break;
    }
    case StartFileKind::None:
        PrintError(QStringLiteral("無法識別的檔案類型（應為 .zqm 或 .zqr）：%1")
                       .arg(QDir::toNativeSeparators(file)));
        return 1;
    }

    const QPageLayout::Orientation sheet = orientation.value_or(
        report.designedLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const SaveResult saved = WriteReportPdf(request.outputPath, report, info, *paper, sheet);
    if (!saved.ok()) {
        PrintError(
            QStringLiteral("無法寫入檔案 %1，沒有儲存任何內容：%2")
                .arg(QDir::toNativeSeparators(request.outputPath), SaveFailureReason(saved)));
        return 1;
    }
    return 0;
}
