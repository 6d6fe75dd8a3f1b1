// The record window's browsing controls in the running window: menus by
// keyboard, the read-out by mouse moves, the channel and range buttons, the
// track bar and the chart picture the PNG export saves.
#include "recordautoscale.h"
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordfixture.h"
#include "recordingcanvas.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "trecordform.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RecordBrowsingTest : public ::testing::Test {
protected:
    RecordBrowsingTest()
    {
        shared.ChartBackColor = 0xFF000000;
        shared.ChartGridColor = 0xFF808080;
    }

    void recording(int count)
    {
        FillTestSamples(record->CaptureBuffers, 0, count);
        record->CaptureCount = count;
        record->FileReady = true;
        form->DrawRecordChart();
    }

    QLabel* label(int number) const { return form->parameters->labels[number - 1]; }

    QTemporaryDir dir;
    SharedState shared;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
    std::unique_ptr<TRecordForm> form = std::make_unique<TRecordForm>(
        control, *record, shared, QCoreApplication::applicationDirPath());
};

TEST_F(RecordBrowsingTest, HiddenWindowDrawsAtItsLaidOutSize)
{
    EXPECT_FALSE(form->isVisible());
    const QSize size = form->chartSize();
    EXPECT_GT(size.width(), 500);
    EXPECT_GT(size.height(), 200);
    recording(10);
    EXPECT_EQ(form->statusText(4), "長度：9");
    EXPECT_EQ(form->chartImage().size(), QSize(size.width() + 50, size.height()));
}

TEST_F(RecordBrowsingTest, ViewMenuByKeyboardZoomsIn)
{
    recording(100);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::keyClick(form.get(), Qt::Key_V, Qt::AltModifier);
    QMenu* menu = form->zoomInItem->associatedObjects().isEmpty()
                      ? nullptr
                      : qobject_cast<QMenu*>(form->zoomInItem->associatedObjects().first());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    // The menu opens on its first item, "向前展開".
    QTest::keyClick(menu, Qt::Key_Return);
    // Zoom 1 already: the command disables itself.
    EXPECT_FALSE(form->zoomInItem->isEnabled());
    EXPECT_FALSE(form->tools->SeSkinSpeedButton8->isEnabled());
    EXPECT_TRUE(form->zoomOutItem->isEnabled());
}

TEST_F(RecordBrowsingTest, MouseMovesReadOutTheSampleUnderTheCursor)
{
    recording(10);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(label(13)->text(), "Value：");
    QTest::mouseMove(form->chart->Pic4, QPoint(0, 40));
    EXPECT_TRUE(QTest::qWaitFor([this] { return label(13)->text() != "Value："; }));
    EXPECT_EQ(label(13)->text(), ReadoutValueText(TestValue(9, 0)));
    EXPECT_EQ(label(18)->text(), ReadoutValueText(TestValue(9, 5)));
    EXPECT_EQ(label(19)->text(), "日期：" + RecordDateText(TestTime(9)));
    EXPECT_EQ(label(20)->text(), "時間：" + RecordTimeText(TestTime(9)));
    // The date and time are shown whole, not cut at the width of the
    // labels' first texts.
    for (int number : {19, 20})
        EXPECT_GE(label(number)->width(), label(number)->sizeHint().width())
            << label(number)->text().toStdString();
    EXPECT_EQ(form->chart->iLedArrow1->x(), form->chart->Pic4->x() - 4);

    QTest::mouseMove(form->chart->Pic4, QPoint(3, 40));
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return label(13)->text() == ReadoutValueText(TestValue(6, 0)); }));
    // Right of the last drawn point nothing changes.
    QTest::mouseMove(form->chart->Pic4, QPoint(200, 40));
    QTest::qWait(20);
    EXPECT_EQ(label(13)->text(), ReadoutValueText(TestValue(6, 0)));
    EXPECT_EQ(form->chart->iLedArrow1->x(), form->chart->Pic4->x() - 4 + 200);
    // A drag past the left edge reads nothing out.
    form->Pic4MouseMove(-3);
    EXPECT_EQ(label(13)->text(), ReadoutValueText(TestValue(6, 0)));
}

TEST_F(RecordBrowsingTest, ChannelButtonsScaleAndHide)
{
    recording(10);
    QToolButton* up1 = form->parameters->channelButtons[3 - 1];
    up1->click();
    up1->click();
    EXPECT_EQ(record->ScaleValue[0], 2.5f);
    form->parameters->channelButtons[9 - 1]->click(); // channel 3 show/hide
    EXPECT_FALSE(record->ChannelVisible[2]);
    EXPECT_FALSE(label(3)->isEnabled());
    EXPECT_FALSE(label(9)->isEnabled());
    EXPECT_FALSE(label(15)->isEnabled());
    EXPECT_FALSE(form->parameters->channelButtons[7 - 1]->isEnabled());
    EXPECT_FALSE(form->parameters->channelButtons[8 - 1]->isEnabled());
    EXPECT_FALSE(form->chart->penImages[2]->isVisibleTo(form.get()));
    form->parameters->channelButtons[9 - 1]->click();
    EXPECT_TRUE(form->parameters->channelButtons[7 - 1]->isEnabled());
    EXPECT_TRUE(form->chart->penImages[2]->isVisibleTo(form.get()));
}

TEST_F(RecordBrowsingTest, RangeButtonSetsPanelSixAndItsTooltip)
{
    form->chart->SeSkinButton19->click();
    EXPECT_EQ(form->statusText(6), "顯示範圍：正值和負值  ");
    EXPECT_EQ(form->chart->SeSkinButton19->toolTip(), "顯示範圍：正值和負值");
    form->chart->SeSkinButton19->click();
    form->chart->SeSkinButton19->click();
    EXPECT_EQ(form->statusText(6), "顯示範圍：正值     ");
}

TEST_F(RecordBrowsingTest, DoubleClickShowsTheTrackBarWhichZoomsBothViews)
{
    recording(100000);
    EXPECT_FALSE(form->chart->TrackBar1->isVisibleTo(form.get()));
    form->Pic4DblClick();
    EXPECT_TRUE(form->chart->TrackBar1->isVisibleTo(form.get()));
    form->chart->TrackBar1->setValue(141);
    EXPECT_EQ(record->RecZoom, 10);
    EXPECT_EQ(control.GridTimer.interval(), 10000);
    EXPECT_TRUE(control.ScrollBar1ChangeTimer.isActive());
    form->Pic4DblClick();
    EXPECT_FALSE(form->chart->TrackBar1->isVisibleTo(form.get()));
}

TEST_F(RecordBrowsingTest, PagingMovesTheScrollBarAndItsHandlingRequantises)
{
    recording(1200);
    form->olderItem->trigger();
    EXPECT_EQ(form->chart->SeSkinScrollBar1->value(), 188);
    EXPECT_EQ(record->RecOffset, 501);
    form->tools->SeSkinSpeedButton10->click();
    EXPECT_FALSE(form->olderItem->isEnabled());
    EXPECT_FALSE(form->tools->SeSkinSpeedButton10->isEnabled());
    form->chart->SeSkinScrollBar1->setValue(0);
    EXPECT_EQ(record->RecOffset, 0);
}

TEST_F(RecordBrowsingTest, ViewSwitchShowsTheModeAndKeepsTheViews)
{
    recording(10);
    form->tools->SeSkinSpeedButton11->click();
    EXPECT_EQ(record->ViewMode, 1);
    EXPECT_EQ(form->statusText(5), "模式：查閱");
    form->tools->SeSkinSpeedButton11->click();
    EXPECT_EQ(form->statusText(5), "模式：記錄");
}

TEST_F(RecordBrowsingTest, PngExportSavesTheSurfacesPixelForPixel)
{
    recording(300);
    record->CaptureBuffers.channel(1)[299] = 10000; // an overflow mark too
    form->DrawRecordChart();
    dialogs.saveAnswer = dir.filePath("chart.png");
    form->exportPngItem->trigger();
    const QImage saved = QImage(dialogs.saveAnswer).convertToFormat(QImage::Format_RGB32);
    const QSize size = form->chartSize();
    EXPECT_EQ(saved, form->chartImage());
    EXPECT_EQ(saved, RenderRecordChartImage(*record, size.width(), size.height(),
                                            {QColor(0, 0, 0), QColor(128, 128, 128)}));
    RecordingCanvas chart, ruler;
    EXPECT_TRUE(DrawRecordChart(*record, chart, ruler, size.width(), size.height(), ChartColors{})
                    .overflow.overTop[1]);
}

TEST_F(RecordBrowsingTest, StartingARecordingResetsTheGridPeriod)
{
    dialogs.saveAnswer = dir.filePath("grid.zqr");
    control.CreateFile();
    recording(100000);
    form->chart->TrackBar1->setValue(141);
    ASSERT_EQ(control.GridTimer.interval(), 10000);
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    control.Start();
    EXPECT_EQ(control.GridTimer.interval(), 1000);
    EXPECT_EQ(record->RecZoom, 1);
    EXPECT_EQ(form->chart->TrackBar1->value(), 150);
    EXPECT_EQ(form->chart->SeSkinScrollBar1->value(), 0);
    control.Stop();
}

} // namespace

namespace {

// The additions to "檢閱": autoscale by its key and tool button, a channel
// alone by Shift and a click on its scale button, and the zoom in that goes
// on past one sample a column from its key, with the scale buttons, the
// range panel and the chart's caption following.
TEST_F(RecordBrowsingTest, AutoscaleAndStretchFromKeysButtonsAndShiftClick)
{
    recording(72);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // The tool bar of the window keeps its buttons; the new ones sit beside it.
    EXPECT_EQ(form->chartSize(), QSize(kRecordChartDesignedWidth, kRecordChartDesignedHeight));
    EXPECT_EQ(form->autoscaleButton->defaultAction(), form->autoscaleItem);
    EXPECT_EQ(form->stretchInButton->defaultAction(), form->stretchInItem);

    // A channel alone: Shift and a click on its scale-up button, no step up.
    const int before = record->ScaleIndex[2];
    QTest::mouseClick(form->parameters->scaleUpButton(2), Qt::LeftButton, Qt::ShiftModifier);
    const std::optional<int> fitted =
        ChooseChannelScale(*record, 2, record->RangeMode, form->chartSize().width());
    ASSERT_TRUE(fitted);
    EXPECT_EQ(record->ScaleIndex[2], *fitted);
    EXPECT_NE(record->ScaleIndex[2], before + 1);

    record->ScaleIndex.fill(16);
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
    const AutoscaleChoice choice = ChooseAutoscale(*record, form->chartSize().width());
    for (int c = 0; c < 6; ++c) {
        ASSERT_TRUE(choice.scaleIndex[c]) << c;
        EXPECT_EQ(record->ScaleIndex[c], *choice.scaleIndex[c]) << c;
        EXPECT_EQ(form->parameters->scaleUpButton(c)->isEnabled(), record->ScaleIndex[c] < 16);
        EXPECT_EQ(form->parameters->scaleDownButton(c)->isEnabled(), record->ScaleIndex[c] > 0);
    }
    EXPECT_EQ(form->statusText(6), RangePanelText(record->RangeMode));
    form->autoscaleButton->click(); // the same again: nothing moves
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(record->ScaleIndex[c], *choice.scaleIndex[c]) << c;

    // Zoom 1 already: the key stretches the samples apart.
    QTest::keyClick(form.get(), Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(record->RecStretch, 3);
    EXPECT_TRUE(form->zoomOutItem->isEnabled());
    EXPECT_EQ(form->statusText(4), "長度：71"); // 71 x 3 columns still fit
    form->stretchInButton->click();
    QTest::keyClick(form.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(record->RecStretch, 3);
    // The read-out follows the stretched columns: column 6 is sample 69.
    QTest::mouseMove(form->chart->Pic4, QPoint(6, 40));
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return label(13)->text() == ReadoutValueText(TestValue(69, 0)); }));
}

} // namespace
