#include "printjob.h"

#include "inifile.h"
#include "pdftext.h"
#include "qtprinters.h"
#include "reportfixtures.h"
#include "reportinfo.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr double kPointsPerPixel = 72.0 / 1200.0;

class PrintJobTest : public ::testing::Test {
protected:
    // Prints the realistic measurement to a PDF on A4; returns its path.
    QString printPdf(bool landscape, const ReportInfo& info = {})
    {
        const QString path = dir.filePath(landscape ? QStringLiteral("landscape.pdf")
                                                    : QStringLiteral("portrait.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        PrepareReportPrinter(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        EXPECT_EQ(printer.resolution(), 1200);
        EXPECT_EQ(PrintReport(printer, AnalysisReport(record, info), info), PrintOutcome::Printed);
        return path;
    }

    static const PdfWord* Find(const std::vector<PdfWord>& words, const QString& text)
    {
        const auto it = std::find_if(words.begin(), words.end(),
                                     [&](const PdfWord& w) { return w.text == text; });
        return it == words.end() ? nullptr : &*it;
    }

    QTemporaryDir dir;
    MeasurementRecord record = RealisticMeasurement();
};

TEST_F(PrintJobTest, PortraitPdfHasTheTitleCentredAndTheTableCells)
{
    const QString pdf = printPdf(false);
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+2TestReport\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    // Vector output: no raster image on the page.
    const QStringList images =
        RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(images.size(), 2) << images.join('\n').toStdString(); // the header lines only

    const auto words = PdfWords(pdf);
    ASSERT_FALSE(words.empty());
    // The title, in one or two words, centred on the middle of the sheet.
    double left = 1e9, right = 0;
    for (const PdfWord& w : words)
        if (w.text.contains(QStringLiteral("報告")) || w.text.contains(QStringLiteral("電量分"))) {
            left = std::min(left, w.xMin);
            right = std::max(right, w.xMax);
        }
    EXPECT_NEAR((left + right) / 2, 4960 * kPointsPerPixel, 2.0);

    const PdfWord* label = Find(words, QStringLiteral("第1頁"));
    ASSERT_TRUE(label);
    EXPECT_NEAR(label->xMin, 8686 * kPointsPerPixel, 1.0);
    ASSERT_TRUE(Find(words, QStringLiteral("項目：2")));
    ASSERT_TRUE(Find(words, QStringLiteral("日期：2")));
    ASSERT_TRUE(Find(words, QStringLiteral("測量儀器：Quorvane")));

    // Row 1 holds order 1: its relative voltage cell stays inside column 2.
    const PdfWord* full = Find(words, QStringLiteral("100.0%"));
    ASSERT_TRUE(full);
    EXPECT_NEAR(full->yMin, 8730 * kPointsPerPixel, 6.0);
    EXPECT_GT(full->xMin, (551 + 2 * 588) * kPointsPerPixel);
    EXPECT_LT(full->xMax, (551 + 3 * 588) * kPointsPerPixel);

    const PdfWord* thd = Find(words, QStringLiteral("5.12"));
    ASSERT_TRUE(thd);
    EXPECT_NEAR(thd->yMin, (1192 + 12 * 463) * kPointsPerPixel, 6.0);
    EXPECT_TRUE(Find(words, QStringLiteral("220.13")));
}

TEST_F(PrintJobTest, LandscapeUsesSmallerTitleAndLabel)
{
    const auto portrait = PdfWords(printPdf(false));
    const auto landscape = PdfWords(printPdf(true));
    const PdfWord* p = Find(portrait, QStringLiteral("第1頁"));
    const PdfWord* l = Find(landscape, QStringLiteral("第1頁"));
    ASSERT_TRUE(p && l);
    // Glyph boxes scale with the point size: 10 against 7.
    EXPECT_NEAR((l->yMax - l->yMin) / (p->yMax - p->yMin), 0.7, 0.05);
    const PageFrame frame = PageFrame::ForPage(14031, 9921);
    EXPECT_NEAR(l->xMin, TruncToInt(0.985 * frame.FW) * kPointsPerPixel, 1.0);
}

TEST_F(PrintJobTest, UnwritableFileIsNotStarted)
{
    QFile blocker(dir.filePath(QStringLiteral("folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("folder/report.pdf")));
    const ReportInfo info;
    EXPECT_EQ(PrintReport(printer, AnalysisReport(record, info), info), PrintOutcome::NotStarted);
}

} // namespace
