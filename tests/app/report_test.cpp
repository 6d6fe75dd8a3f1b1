// The report windows inside the running program.
#include "program.h"
#include "recordingdialogs.h"
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

namespace {

TEST(ProgramReports, PrintCommandShowsTheAnalysisPreviewModally)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    ProgramOptions options;
    options.settingsFolder = dir.path();
    options.programFolder = dir.path();
    Program program(options, &dialogs);

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
    ProgramOptions options;
    options.settingsFolder = dir.path();
    options.programFolder = dir.path();
    Program program(options, &dialogs);

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
    EXPECT_GT(background, 0.5 * ((f - 10) / 4) * (545 / 4));
    EXPECT_EQ(page.pixelColor(30, 75 + f / 2), QColor(Qt::white));
}

} // namespace
