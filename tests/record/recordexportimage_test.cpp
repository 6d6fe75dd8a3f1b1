// The chart picture that explains itself (title, time axis, legend, span) on
// recorded canvas calls and in the window, the CSV export of a span, and the
// contrast of every chart caption on every chart background.
#include "chartcolors.h"
#include "colorcontrast.h"
#include "fittedlabel.h"
#include "paintercanvas.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordcsv.h"
#include "recordexportimage.h"
#include "recordfixture.h"
#include "recordingcanvas.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "trecordform.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

const ChartColors kBlackChart{QColor(0, 0, 0), QColor(128, 128, 128)};

std::vector<CanvasCall> TextsContaining(const RecordingCanvas& canvas, const QString& part)
{
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : canvas.callsOf(CanvasOp::TextOut))
        if (call.text.contains(part))
            found.push_back(call);
    return found;
}

std::vector<CanvasCall> TextsEqualTo(const RecordingCanvas& canvas, const QString& text)
{
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : canvas.callsOf(CanvasOp::TextOut))
        if (call.text == text)
            found.push_back(call);
    return found;
}

TEST(CaptionContrast, RatiosAndChips)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0, 0, 255), QColor(0, 0, 255)), 1.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0, 0, 255), Qt::black), 2.44, 0.01);
    const struct {
        QColor text;
        QColor background;
        std::optional<QColor> chip;
    } cases[] = {
        {QColor(255, 255, 0), Qt::white, QColor(Qt::black)}, // yellow on white
        {QColor(0, 0, 255), Qt::black, QColor(Qt::white)},   // blue on black
        {QColor(128, 0, 0), Qt::black, QColor(Qt::white)},   // maroon on black
        {QColor(0, 128, 0), Qt::black, std::nullopt},        // green reads on both
        {QColor(0, 128, 0), Qt::white, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CaptionChipColor(c.text, c.background), c.chip) << c.text.name().toStdString();
        EXPECT_GE(ContrastRatio(c.text, CaptionBacking(c.text, c.background)), kMinCaptionContrast);
    }
}

// Every caption of the chart, in both views, on each of the chart
// backgrounds the appearance settings offer, and every legend entry of the
// picture on its white page, reads at 3:1 or better against what fills its
// cell.
TEST(CaptionContrast, EveryCaptionOnEveryBackground)
{
    auto record = std::make_unique<RecordState>();
    record->FileReady = true;
    for (int choice = 0; choice < kChartColorChoices; ++choice) {
        const ChartColors colors{QColor::fromRgba(ChartBackColorOf(choice)),
                                 QColor::fromRgba(ChartGridColorOf(choice))};
        for (int view = 0; view < 2; ++view) {
            record->ViewMode = view;
            RecordingCanvas chart, ruler;
            DrawRecordChart(*record, chart, ruler, 690, 300, colors);
            const auto captions = chart.callsOf(CanvasOp::TextOut);
            ASSERT_EQ(captions.size(), 7u);
            for (const CanvasCall& caption : captions) {
                EXPECT_EQ(caption.state.textBackground, TextBackground::Opaque);
                EXPECT_GE(ContrastRatio(caption.state.font.color, caption.state.brush.color),
                          kMinCaptionContrast)
                    << caption.text.toStdString() << " on "
                    << colors.ChartBackColor.name().toStdString();
            }
        }
        RecordingCanvas sheet;
        RecordExportContent content;
        DrawRecordExport(sheet, QImage(740, 300, QImage::Format_RGB32), *record, content, colors);
        const auto legend = TextsContaining(sheet, "/DIV");
        ASSERT_EQ(legend.size(), 6u);
        for (const CanvasCall& entry : legend)
            EXPECT_GE(ContrastRatio(entry.state.font.color, entry.state.brush.color),
                      kMinCaptionContrast)
                << entry.text.toStdString();
    }
}

// A trace cannot sit on a chip: a palette colour that hardly shows on the
// chart background is drawn in a shade of it that does, and one that shows
// keeps its colour. Each trace is one polyline of its own colour.
TEST(TraceContrast, EveryTraceOnEveryBackground)
{
    auto record = std::make_unique<RecordState>();
    FillTestSamples(record->CaptureBuffers, 0, 300);
    record->CaptureCount = 300;
    record->FileReady = true;
    for (int choice = 0; choice < kChartColorChoices; ++choice) {
        const ChartColors colors{QColor::fromRgba(ChartBackColorOf(choice)),
                                 QColor::fromRgba(ChartGridColorOf(choice))};
        RecordingCanvas chart, ruler;
        DrawRecordChart(*record, chart, ruler, 690, 300, colors);
        const auto traces = chart.callsOf(CanvasOp::Polyline);
        ASSERT_EQ(traces.size(), 6u);
        for (std::size_t c = 0; c < 6; ++c) {
            const QColor drawn = traces[c].state.pen.color;
            const QColor palette = kRecordChannelColors[c];
            EXPECT_GE(ContrastRatio(drawn, colors.ChartBackColor), kMinCaptionContrast)
                << c << " on " << colors.ChartBackColor.name().toStdString();
            if (ContrastRatio(palette, colors.ChartBackColor) >= kMinCaptionContrast) {
                EXPECT_EQ(drawn, palette) << c;
            }
        }
    }
}

TEST(TraceContrast, ShadesKeepTheHueAndChangeNoMoreThanNeeded)
{
    const struct {
        QColor palette;
        QColor background;
        QColor drawn;
    } cases[] = {
        {QColor(255, 255, 0), Qt::white, QColor(0x9A, 0x9A, 0)},                // yellow, darkened
        {QColor(0, 0, 255), Qt::black, QColor(0x31, 0x31, 0xFF)},               // blue, lightened
        {QColor(128, 0, 0), Qt::black, QColor(0x9B, 0x38, 0x38)},               // maroon, lightened
        {QColor(255, 0, 255), QColor(0xEE, 0xEE, 0xEE), QColor(0xF1, 0, 0xF1)}, // magenta, darkened
        {QColor(0, 128, 0), Qt::black, QColor(0, 128, 0)},                      // already reads
    };
    for (const auto& c : cases) {
        const QColor drawn = TraceColorOn(c.palette, c.background);
        EXPECT_EQ(drawn.name(), c.drawn.name()) << c.palette.name().toStdString();
        EXPECT_GE(ContrastRatio(drawn, c.background), kMinCaptionContrast);
        if (drawn != c.palette) {
            EXPECT_LT(ContrastRatio(c.palette, c.background), kMinCaptionContrast);
        }
    }
}

// Captions that read on the background keep the background behind them.
TEST(CaptionContrast, ReadableCaptionsKeepTheBackground)
{
    auto record = std::make_unique<RecordState>();
    RecordingCanvas chart, ruler;
    DrawRecordChart(*record, chart, ruler, 690, 300, {Qt::white, Qt::black});
    const auto captions = chart.callsOf(CanvasOp::TextOut);
    ASSERT_EQ(captions.size(), 7u);
    for (int c : {0, 1, 2, 3, 4, 6})
        EXPECT_EQ(captions[std::size_t(c)].state.brush.color, QColor(Qt::white)) << c;
    EXPECT_EQ(captions[5].text, "CH5/DIV=50");
    EXPECT_EQ(captions[5].state.brush.color, QColor(Qt::black)); // the yellow one
}

class RecordSheetTest : public ::testing::Test {
protected:
    RecordSheetTest()
    {
        FillTestSamples(record->CaptureBuffers, 0, 300);
        record->CaptureCount = 300;
        record->FileReady = true;
        content.fileName = "trend.zqr";
        content.startTime = TestTime(10);
        content.endTime = TestTime(299);
        content.axis = {{0, TestTime(299)}, {100, TestTime(199)}, {200, TestTime(99)}};
        content.codes = {0, 1, 2, 3, 4, 5};
        content.columnOfSample = [](int sample) -> std::optional<int> {
            return sample >= 10 ? std::optional<int>(299 - sample) : std::nullopt;
        };
        chart.fill(QColor(0, 0, 0));
    }

    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordExportContent content;
    QImage chart{740, 300, QImage::Format_RGB32}; // W = 690, H = 300
};

TEST_F(RecordSheetTest, TitleChartAxisAndLegend)
{
    record->ChannelVisible[3] = false;
    record->RangeMode = 1;
    record->ScaleValue[0] = 2;
    RecordingCanvas sheet(96, PainterTextExtent);
    const QSize size = DrawRecordExport(sheet, chart, *record, content, kBlackChart);

    const auto texts = sheet.callsOf(CanvasOp::TextOut);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, "trend.zqr   " + RecordDateTimeText(TestTime(10)) + " – "
                                 + RecordDateTimeText(TestTime(299)));
    EXPECT_TRUE(texts[0].state.font.bold);

    const auto copies = sheet.callsOf(CanvasOp::CopyImage);
    ASSERT_EQ(copies.size(), 1u);
    const CanvasRect placed = copies[0].rect;
    EXPECT_EQ(placed.right - placed.left, 740);
    EXPECT_EQ(placed.bottom - placed.top, 300);
    EXPECT_GT(placed.top, texts[0].points[0].y());
    EXPECT_EQ(size.width(), 740 + 2 * placed.left);

    // A label under each tick, the date under the first one only: the three
    // times lie on one day.
    for (const RecordAxisTick& tick : content.axis) {
        const auto label = TextsEqualTo(sheet, RecordTimeText(tick.time));
        ASSERT_EQ(label.size(), 1u) << tick.column;
        EXPECT_EQ(label[0].points[0].x(), placed.left + tick.column);
        EXPECT_GT(label[0].points[0].y(), placed.bottom);
    }
    EXPECT_EQ(TextsEqualTo(sheet, RecordDateText(TestTime(99))).size(), 1u);

    const auto legend = TextsContaining(sheet, "/DIV");
    ASSERT_EQ(legend.size(), 5u);
    EXPECT_EQ(legend[0].text, "CH1 電壓 (V)   50/DIV"); // both signs: 100 / 2
    EXPECT_EQ(legend[0].state.font.color, kRecordChannelColors[0]);
    EXPECT_EQ(legend[3].text, "CH5 虛功率 (var)   100/DIV");
    for (const CanvasCall& entry : legend) {
        EXPECT_GT(entry.points[0].y(), placed.bottom);
        EXPECT_LT(entry.points[0].y(), size.height());
    }
    EXPECT_TRUE(sheet.CallsOutside({0, 0, size.width(), size.height()}).empty());
}

TEST(RecordAxis, LabelsWhereThereArePointsAndAtTheOldest)
{
    const struct {
        int width;
        int points;
        std::vector<int> columns;
    } cases[] = {
        {690, 1000, {0, 100, 200, 300, 400, 500, 600, 689}},
        {650, 1000, {0, 100, 200, 300, 400, 500, 600}},
        {690, 71, {0, 70}},
        {690, 50, {0}}, // the oldest too near the first label
        {690, 161, {0, 100, 160}},
        {690, 1, {0}},
        {690, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordAxisColumns(c.width, c.points), c.columns) << c.points;
}

TEST_F(RecordSheetTest, SpanIsMarkedAndDescribed)
{
    RecordingCanvas without;
    const QSize plain = DrawRecordExport(without, chart, *record, content, kBlackChart);
    EXPECT_TRUE(without.callsOf(CanvasOp::LineTo).size() == 1u + content.axis.size());

    content.span = RecordExportSpan{250, 5, {"Δt = 245 s", "CH1 平均 12.5 V"}};
    RecordingCanvas sheet;
    const QSize size = DrawRecordExport(sheet, chart, *record, content, kBlackChart);
    EXPECT_GT(size.height(), plain.height());
    const int left = sheet.callsOf(CanvasOp::CopyImage)[0].rect.left;

    // Sample 250 is drawn in column 49; sample 5 is not in view.
    const auto edges = TextsEqualTo(sheet, "A");
    ASSERT_EQ(edges.size(), 1u);
    EXPECT_EQ(edges[0].points[0].x(), left + 49 + 2);
    EXPECT_EQ(edges[0].state.font.color, QColor(Qt::white));
    EXPECT_TRUE(TextsEqualTo(sheet, "B").empty());
    const auto lines = sheet.callsOf(CanvasOp::LineTo);
    ASSERT_EQ(lines.size(), 2u + content.axis.size());
    EXPECT_EQ(lines[0].start.x(), left + 49);
    EXPECT_EQ(lines[0].state.pen.color, QColor(Qt::white));

    const auto described = sheet.callsOf(CanvasOp::TextOut);
    ASSERT_GE(described.size(), 2u);
    EXPECT_EQ(described[described.size() - 2].text, "Δt = 245 s");
    EXPECT_EQ(described.back().text, "CH1 平均 12.5 V");
    EXPECT_LT(described.back().points[0].y(), size.height());
}

TEST_F(RecordSheetTest, PictureHoldsTheChartPixelForPixel)
{
    chart.setPixelColor(3, 4, QColor(255, 0, 0));
    const QImage picture = RenderRecordExport(chart, *record, content, kBlackChart);
    RecordingCanvas layout(picture.logicalDpiY(), PainterTextExtent);
    EXPECT_EQ(picture.size(), DrawRecordExport(layout, chart, *record, content, kBlackChart));
    const QRect placed = layout.callsOf(CanvasOp::CopyImage)[0].rect.toQRect();
    EXPECT_EQ(picture.copy(placed), chart);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::white));
}

TEST(RecordCsvSpan, RowsOfTheSpanAreThoseOfTheWholeText)
{
    auto data = std::make_unique<SampleBuffers>();
    FillTestSamples(*data, 0, 20);
    const std::array<std::int32_t, 6> codes{0, 1, 2, 3, 4, 5};
    const QList<QByteArray> whole = RecordCsv(*data, 19, codes).split('\n');
    const struct {
        int first;
        int last;
        int rows;
    } cases[] = {{5, 9, 5}, {0, 19, 20}, {19, 19, 1}, {-3, 2, 3}, {9, 5, 0}};
    for (const auto& c : cases) {
        QByteArray text;
        QBuffer buffer(&text);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(WriteRecordCsv(buffer, *data, c.first, c.last, codes));
        const QList<QByteArray> lines = text.split('\n');
        ASSERT_EQ(lines.size(), c.rows + 2) << c.first << ".." << c.last; // header, last CRLF
        EXPECT_EQ(lines[0], whole[0]);
        for (int r = 0; r < c.rows; ++r)
            EXPECT_EQ(lines[r + 1], whole[std::max(c.first, 0) + r + 1]);
    }
}

class RecordSheetWindowTest : public ::testing::Test {
protected:
    RecordSheetWindowTest()
    {
        shared.ChartBackColor = 0xFF000000;
        shared.ChartGridColor = 0xFF808080;
        FillTestSamples(record->CaptureBuffers, 0, 300);
        record->CaptureCount = 300;
        record->FileReady = true;
        record->RecordFileName = dir.filePath("trend.zqr");
        form->DrawRecordChart();
    }

    QTemporaryDir dir;
    SharedState shared;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
    std::unique_ptr<TRecordForm> form = std::make_unique<TRecordForm>(
        control, *record, shared, QCoreApplication::applicationDirPath());
};

TEST_F(RecordSheetWindowTest, SheetCommandSavesTheChartWithItsCaptions)
{
    dialogs.saveAnswer = dir.filePath("sheet.png");
    form->exportSheetItem->trigger();
    EXPECT_EQ(dialogs.offeredNames, QStringList({dir.filePath("trend.png")}));
    const QImage saved = QImage(dialogs.saveAnswer).convertToFormat(QImage::Format_RGB32);
    const QImage bare = form->chartImage();
    EXPECT_GT(saved.width(), bare.width());
    EXPECT_GT(saved.height(), bare.height() + 40);
    EXPECT_EQ(saved, form->exportImage());
    // The bare chart sits inside it whole.
    bool found = false;
    for (int top = 0; top + bare.height() <= saved.height() && !found; ++top)
        found = saved.copy(8, top, bare.width(), bare.height()) == bare;
    EXPECT_TRUE(found);
}

TEST_F(RecordSheetWindowTest, SpanCsvOnlyWithASpan)
{
    EXPECT_FALSE(form->exportSpanCsvItem->isEnabled());
    form->setExportSpan(RecordExportSpan{120, 100, {}});
    EXPECT_TRUE(form->exportSpanCsvItem->isEnabled());
    dialogs.saveAnswer = dir.filePath("span.csv");
    form->exportSpanCsvItem->trigger();
    QByteArray expected;
    QBuffer buffer(&expected);
    buffer.open(QIODevice::WriteOnly);
    WriteRecordCsv(buffer, record->CaptureBuffers, 100, 120, control.viewCodes());
    EXPECT_EQ(FileBytes(dialogs.saveAnswer), expected);
    EXPECT_EQ(FileBytes(dialogs.saveAnswer).count("\r\n"), 22);

    // A span past the recording's end keeps to the samples there are.
    control.ExportCsvSpan(290, 5000);
    EXPECT_EQ(FileBytes(dialogs.saveAnswer).count("\r\n"), 11);
    form->setExportSpan(std::nullopt);
    EXPECT_FALSE(form->exportSpanCsvItem->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace

namespace {

// Seven pixels a character, as a plain measure of the panels' fitting.
int SevenPerCharacter(const QString& text)
{
    return 7 * int(text.size());
}

TEST(PanelTimes, FormsGoFromWholeToTheTimeAlone)
{
    RecordChartFacts facts;
    facts.points = 10;
    facts.startTime = TestTime(0);
    facts.endTime = TestTime(9);
    const QString startTime = RecordTimeText(facts.startTime);
    const QStringList start = StartPanelForms(facts);
    ASSERT_EQ(start.size(), 3);
    EXPECT_EQ(start[0], StartPanelText(facts));
    EXPECT_EQ(start[1], "開始：" + RecordDayText(facts.startTime) + " " + startTime);
    EXPECT_EQ(start[2], "開始：" + startTime);
    EXPECT_FALSE(RecordDayText(facts.startTime).contains("25")); // 2025 has gone
    EXPECT_LT(RecordDayText(facts.startTime).size(), RecordDateText(facts.startTime).size());

    // On the start's day the end drops its date as soon as it does not fit.
    EXPECT_EQ(EndPanelForms(facts),
              QStringList({EndPanelText(facts), "結束：" + RecordTimeText(facts.endTime)}));
    facts.endTime = TestTime(0) + 1.0;
    EXPECT_EQ(EndPanelForms(facts).size(), 3);

    // No samples, or a timestamp that is no date: the one text there is.
    facts.startTime = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(StartPanelForms(facts), QStringList({"開始："}));
    facts.points = 0;
    EXPECT_EQ(EndPanelForms(facts), QStringList({"結束："}));

    const QStringList forms{"abcdef", "abcd", "ab"};
    const struct {
        int room;
        QString chosen;
    } cases[] = {{42, "abcdef"}, {41, "abcd"}, {28, "abcd"}, {14, "ab"}, {3, "ab"}};
    for (const auto& c : cases)
        EXPECT_EQ(FirstThatFits(forms, SevenPerCharacter, c.room), c.chosen) << c.room;
}

} // namespace

TEST_F(RecordSheetWindowTest, StartEndAndReadoutTimesAreNeverCut)
{
    // Samples a day apart, so both panels need their dates.
    for (int i = 0; i < 300; ++i)
        record->CaptureBuffers.timestamps()[i] = 46000.0 + i / 100.0 + 0.0415;
    form->show();
    form->DrawRecordChart();
    for (const int panel : {2, 3}) {
        const QLabel* label = form->statusBar()->findChildren<QLabel*>()[panel];
        const QString shown = form->shownStatusText(panel);
        EXPECT_EQ(label->text(), shown);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), LabelTextRoom(*label)) << panel;
        EXPECT_EQ(label->toolTip(), form->statusText(panel));
        // The oldest sample drawn is sample 1: 299 points back from 299.
        const double time = record->CaptureBuffers.timestamps()[panel == 2 ? 1 : 299];
        EXPECT_TRUE(shown.endsWith(RecordTimeText(time))) << shown.toStdString();
    }
    EXPECT_EQ(form->statusText(3),
              "結束：" + RecordDateTimeText(record->CaptureBuffers.timestamps()[299]));

    form->Pic4MouseMove(5);
    for (const int number : {19, 20}) {
        const QLabel* label = form->parameters->labels[number - 1];
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), LabelTextRoom(*label));
        EXPECT_EQ(label->toolTip(), RecordDateTimeText(record->CaptureBuffers.timestamps()[294]));
    }
}
