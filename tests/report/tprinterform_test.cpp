#include "tprinterform.h"

#include "measurementrecord.h"
#include "measurements.h"
#include "pdftext.h"
#include "qtprinters.h"
#include "recordingdialogs.h"
#include "reportstate.h"

#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

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
               })
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
    EXPECT_EQ(form.PreviewPage().size(), QSize(708, 1001));

    // Pixels of the preview: white page, the gray waveform box's top edge.
    const QImage& page = form.PreviewPage();
    EXPECT_EQ(page.pixelColor(10, 10), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(200, 80), QColor(128, 128, 128));
    EXPECT_EQ(page.pixelColor(399, 150), QColor(128, 128, 128));
    EXPECT_EQ(page.pixelColor(700, 990), QColor(Qt::white));

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

namespace {

QString PageSizeLine(const QString& pdf)
{
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([^\\n]*)")).match(info);
    return m.captured(1);
}

TEST_F(PrinterFormTest, SaveAsPdfOffersTheJobTitleAndRemembersTheFolder)
{
    EXPECT_EQ(form.SaveButton()->text(), "儲存PDF");
    IniFile(dir.filePath("EnterInfo.ini")).WriteString("PrintInfo", "ProjectName", "a/b:c");
    dialogs.saveAnswer = dir.filePath("first"); // ".pdf" is added
    form.SaveButton()->click();
    ASSERT_EQ(dialogs.offeredNames.size(), 1);
    EXPECT_EQ(dialogs.offeredNames[0], "a_b_cTestReport.pdf");
    EXPECT_TRUE(dialogs.messages.empty());
    const QString pdf = dir.filePath("first.pdf");
    EXPECT_TRUE(
        RunTool("pdfinfo", {pdf}).contains(QRegularExpression("Title:\\s+a/b:cTestReport\\n")));
    // An analysis report lies portrait, a record report landscape.
    EXPECT_TRUE(PageSizeLine(pdf).startsWith("595")) << PageSizeLine(pdf).toStdString();

    report.ReportKind = ReportKind::Record;
    dialogs.saveAnswer = dir.filePath("record.pdf");
    form.SaveAsPdf();
    EXPECT_EQ(dialogs.offeredNames[1], QDir(dir.path()).filePath("RecordReport.pdf"));
    EXPECT_TRUE(PageSizeLine(dir.filePath("record.pdf")).startsWith("842"));

    // Cancelling writes nothing.
    dialogs.saveAnswer.clear();
    form.SaveAsPdf();
    EXPECT_EQ(QDir(dir.path()).entryList({"*.pdf"}).size(), 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PrinterFormTest, AChosenOrientationHoldsForBothReports)
{
    form.SetUpPrinter(); // the fake set-up chooses landscape
    dialogs.saveAnswer = dir.filePath("a.pdf");
    form.SaveAsPdf();
    EXPECT_TRUE(PageSizeLine(dir.filePath("a.pdf")).startsWith("842"));
    report.ReportKind = ReportKind::Record;
    EXPECT_EQ(form.ReportOrientation(), QPageLayout::Landscape);
}

TEST_F(PrinterFormTest, AFailedSaveLeavesTheExistingFileAndNamesIt)
{
    const QString pdf = dir.filePath("kept.pdf");
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the earlier report");
    }
    // The page cannot be stored whole: files may not grow past 1000 bytes.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    dialogs.saveAnswer = pdf;
    form.SaveAsPdf();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(pdf));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "the earlier report");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter("kept").size(),
              1); // no temporary left
}

TEST_F(PrinterFormTest, WithoutAPrinterPrintOffersThePdf)
{
    // What Qt leaves when no printer is installed: PDF output with no file.
    form.Printer().setOutputFormat(QPrinter::PdfFormat);
    form.Printer().setOutputFileName(QString());
    dialogs.yesAnswer = false;
    form.Print();
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].contains("找不到印表機"));
    EXPECT_TRUE(dialogs.offeredNames.isEmpty());
    dialogs.yesAnswer = true;
    dialogs.saveAnswer = dir.filePath("instead.pdf");
    form.Button(2)->click();
    EXPECT_TRUE(QFile::exists(dir.filePath("instead.pdf")));
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
