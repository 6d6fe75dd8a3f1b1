#include "printjob.h"

#include "inifile.h"
#include "measurements.h"
#include "pdfexport.h"
#include "pdftext.h"
#include "pdftextmap.h"
#include "qtprinters.h"
#include "recordreport.h"
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
        QString path = dir.filePath(landscape ? QStringLiteral("landscape.pdf")
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
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+TestReport\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    // Vector output: no raster image on the page.
    const QStringList images = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                   .split('\n', Qt::SkipEmptyParts);
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
    ASSERT_TRUE(Find(words, QStringLiteral("項目：")));
    ASSERT_TRUE(Find(words, QStringLiteral("日期：")));
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

TEST_F(PrintJobTest, PdfTextReadsAsTheCharactersWritten)
{
    // Characters whose glyphs the font shares with radicals: 頁 (⾴), 長 (⻑),
    // 目 (⽬), 電 and 壓 on the page.
    ReportInfo info;
    info.ProjectName = QStringLiteral("長度目錄");
    const QString printed = printPdf(false, info);
    const QString written = dir.filePath(QStringLiteral("written.pdf"));
    ASSERT_TRUE(WriteReportPdf(written, AnalysisReport(record, info), info,
                               QPageSize(QPageSize::A4), QPageLayout::Portrait)
                    .ok());
    const QString record = dir.filePath(QStringLiteral("record.pdf"));
    ASSERT_TRUE(WriteReportPdf(record, RecordReport(RecordReportSource{}), info,
                               QPageSize(QPageSize::A4), QPageLayout::Landscape)
                    .ok());

    const struct {
        QString pdf;
        QStringList expected;
    } cases[] = {
        {printed, {"第1頁", "電壓", "項目：長度目錄", "各次諧波含量"}},
        {written, {"第1頁", "電壓", "項目：長度目錄", "各次諧波含量"}},
        {record, {"錄報告", "項目：長度目錄", "測量日期："}},
    };
    for (const auto& c : cases) {
        const QString text = PdfText(c.pdf);
        ASSERT_FALSE(text.isEmpty()) << c.pdf.toStdString();
        for (const QString& expected : c.expected)
            EXPECT_TRUE(text.contains(expected))
                << c.pdf.toStdString() << ": " << expected.toStdString();
        EXPECT_EQ(RadicalsIn(text), QString()) << c.pdf.toStdString();
    }
}

TEST(PdfTextMap, RenamesRadicalsEntryByEntryAndKeepsTheLength)
{
    EXPECT_EQ(IdeographForRadical(0x2FB4), u'頁');
    EXPECT_EQ(IdeographForRadical(0x2ED1), u'長');
    EXPECT_EQ(IdeographForRadical(u'A'), u'A');
    EXPECT_EQ(IdeographForRadical(u'頁'), u'頁');

    QByteArray pdf = "%PDF-1.4\n"
                     "5 0 obj\n<< /Type /Font /ToUnicode 7 0 R >>\nendobj\n"
                     "7 0 obj\n<< /Length 99 >>\nstream\n"
                     "2 beginbfrange\n<0000> <0000> <0000>\n<0001> <0001> <2FB4>\n"
                     "<0002> <0004> [<2ed1> <0041> <2F6C> ]\n"
                     "<0005> <000F> <2F00>\nendbfrange\nendcmap\nendstream\nendobj\n"
                     "8 0 obj\n<< /Length 20 >>\nstream\n<0001> <0001> <2FB4>\nendstream\nendobj\n";
    const qsizetype size = pdf.size();
    EXPECT_EQ(MapRadicalsToIdeographs(pdf), 3);
    EXPECT_EQ(pdf.size(), size);
    EXPECT_TRUE(pdf.contains("<0001> <0001> <9801>\n"));
    EXPECT_TRUE(pdf.contains("[<9577> <0041> <76EE> ]"));
    // A range of consecutive codes stays; so does anything outside the maps.
    EXPECT_TRUE(pdf.contains("<0005> <000F> <2F00>"));
    EXPECT_TRUE(pdf.contains("stream\n<0001> <0001> <2FB4>\nendstream"));
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
