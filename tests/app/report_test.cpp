// The report windows inside the running program.
#include "commandlinereport.h"
#include "program.h"
#include "programrig.h"
#include "recordblock.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "reportstate.h"
#include "tenterinfoform.h"
#include "tmainform.h"
#include "tprinterform.h"
#include "trecordform.h"

#include <QToolButton>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(ProgramReports, PrintCommandShowsTheAnalysisPreviewModally)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    const auto started = StartProgram(dir.path(), dialogs);
    Program& program = *started;

    TPrinterForm& preview = program.PrinterForm();
    EXPECT_EQ(program.EnterInfoForm().parentWidget(), &preview);
    program.Report().ReportKind = ReportKind::Record;

    bool modal = false;
    QTimer::singleShot(0, &preview, [&] {
        modal = QApplication::activeModalWidget() == &preview;
        preview.reject();
    });
    emit program.MainForm().printRequested();
    EXPECT_TRUE(modal);
    EXPECT_EQ(program.Report().ReportKind, ReportKind::Analysis);
    EXPECT_EQ(preview.PageSize(), QSize(708, 1001));
}

TEST(ProgramReports, RecordPrintButtonShowsTheRecordPreviewOfTheChartAsShown)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    const auto started = StartProgram(dir.path(), dialogs);
    Program& program = *started;

    TPrinterForm& preview = program.PrinterForm();
    TRecordForm& record = program.RecordForm();
    bool modal = false;
    QImage page;
    QTimer::singleShot(0, &preview, [&] {
        modal = QApplication::activeModalWidget() == &preview;
        page = preview.PreviewPage().copy();
        preview.reject();
    });
    record.tools->SeSkinSpeedButton3->click();
    EXPECT_TRUE(modal);
    EXPECT_EQ(program.Report().ReportKind, ReportKind::Record);
    EXPECT_EQ(preview.PageSize(), QSize(708, 500));
    ASSERT_FALSE(page.isNull());
    // The chart picture lies between the margins: mostly the chart's
    // background.
    const QSize chart = record.chartSize();
    const int f = qRound(608 / (float(chart.width()) / float(chart.height())));
    const QRgb back = program.State().ChartBackColor;
    int background = 0;
    for (int y = 80; y < 70 + f; y += 4)
        for (int x = 55; x < 600; x += 4)
            background += page.pixel(x, y) == back;
    // More than half of the rows and columns sampled (every fourth) are background.
    EXPECT_GT(2 * background, ((f - 10) / 4) * (545 / 4));
    EXPECT_EQ(page.pixelColor(30, 75 + f / 2), QColor(Qt::white));
}

// The record report of a file opened in the record window and the one the
// command line writes take the same fields: captions and status panels.
TEST(ProgramReports, RecordReportFieldsAreTheCommandLinesForTheSameFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("r.zqr");
    auto block = std::make_unique<RecordBlock>();
    std::memset(block.get(), 0, sizeof *block);
    for (int i = 0; i < 700; ++i) {
        for (int c = 0; c < 6; ++c)
            block->Values[c][i] = 100.0f + 10 * c;
        block->Timestamps[i] = 46000.5 + i / 86400.0;
    }
    block->Codes = {3, 1, 0, 5, 2, 4};
    block->Count = 700;
    ASSERT_TRUE(CreateRecordFile(path, *block).ok());

    RecordingDialogs dialogs;
    ProgramOptions options;
    options.settingsFolder = dir.path();
    options.programFolder = dir.path();
    Program program(options, &dialogs);
    ASSERT_TRUE(program.Recording().OpenPath(path));
    const RecordReportSource window = program.PrinterForm().recordReportSource();

    const auto record = std::make_unique<RecordState>();
    const std::optional<RecordReportSource> commandLine =
        CommandLineRecordReportSource(path, *record);
    ASSERT_TRUE(commandLine);
    EXPECT_EQ(window.chartSize, commandLine->chartSize);
    EXPECT_EQ(window.captions, commandLine->captions);
    EXPECT_EQ(window.status, commandLine->status);
    EXPECT_TRUE(window.status[3].startsWith("長度：")) << window.status[3].toStdString();
    EXPECT_FALSE(window.chartPicture.isNull());
    EXPECT_TRUE(commandLine->chartPicture.isNull());
}

} // namespace
