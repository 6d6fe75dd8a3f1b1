#include "tprinterform.h"

#include "measurementrecord.h"
#include "qtprinters.h"
#include "recordingdialogs.h"
#include "reportfixtures.h"
#include "reportstate.h"

#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class PrinterFormTest : public ::testing::Test {
protected:
    PrinterFormTest()
        : form(report, record, IniFile(dir.filePath(QStringLiteral("EnterInfo.ini"))), dialogs,
               [this](QPrinter& printer, QWidget*) {
                   ++setupRuns;
                   if (setupAccepts)
                       printer.setPageOrientation(QPageLayout::Landscape);
                   return setupAccepts;
               },
               QSize(1024, 768))
    {
    }

    QTemporaryDir dir;
    ReportState report;
    MeasurementRecord record = RealisticMeasurement();
    RecordingDialogs dialogs;
    int setupRuns = 0;
    bool setupAccepts = true;
    TPrinterForm form;
};

TEST_F(PrinterFormTest, WindowAndPreviewPage)
{
    EXPECT_EQ(form.windowTitle(), "PrinterForm");
    EXPECT_EQ(form.Button(0)->text(), "輸入資料");
    EXPECT_EQ(form.Button(1)->text(), "印表機設置");
    EXPECT_EQ(form.Button(2)->text(), "列印      ");
    EXPECT_EQ(form.PageSize(), QSize(708, 1001));
    EXPECT_EQ(form.PreviewPage().size(), QSize(1024, 2400));

    // Pixels of the preview: white page, the gray waveform box's top edge.
    const QImage& page = form.PreviewPage();
    EXPECT_EQ(page.pixelColor(10, 10), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(200, 80), QColor(128, 128, 128));
    EXPECT_EQ(page.pixelColor(399, 150), QColor(128, 128, 128));
    EXPECT_EQ(page.pixelColor(1000, 2000), QColor(Qt::white));

    report.ReportKind = ReportKind::Record;
    form.BuildPreview();
    EXPECT_EQ(form.PageSize(), QSize(708, 500));
}

TEST_F(PrinterFormTest, ShowingRebuildsAndScrollsToTheTop)
{
    form.show();
    form.Rongqi()->verticalScrollBar()->setValue(200);
    record.URMS = 1.0f;
    form.hide();
    form.show();
    EXPECT_EQ(form.Rongqi()->verticalScrollBar()->value(), 0);
    form.hide();
}

TEST_F(PrinterFormTest, PrinterSetUpChangesSettingsOnlyWhenAccepted)
{
    setupAccepts = false;
    form.Button(1)->click();
    EXPECT_EQ(setupRuns, 1);
    EXPECT_EQ(form.Printer().pageLayout().orientation(), QPageLayout::Portrait);
    setupAccepts = true;
    form.SetUpPrinter();
    EXPECT_EQ(form.Printer().pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(PrinterFormTest, PrintWritesThePdfAndStaysOpen)
{
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    form.Printer().setOutputFormat(QPrinter::PdfFormat);
    form.Printer().setOutputFileName(pdf);
    form.show();
    form.Button(2)->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(QFile(pdf).size() > 0);
    EXPECT_TRUE(form.isVisible());
    form.hide();
}

TEST_F(PrinterFormTest, UnwritablePdfPathSaysNothingWasPrintedNamingTheFile)
{
    QFile blocker(dir.filePath(QStringLiteral("folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString pdf = dir.filePath(QStringLiteral("folder/report.pdf"));
    form.Printer().setOutputFormat(QPrinter::PdfFormat);
    form.Printer().setOutputFileName(pdf);
    form.Print();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(pdf));
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("沒有列印")));
}

} // namespace
