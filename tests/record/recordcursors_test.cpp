// The cursors of the record chart and their panel in the running window:
// placed by mouse and keys, kept on their samples through zoom and paging,
// and the panel's times, values and span statistics.
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordcursors.h"
#include "recordfixture.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "spanstatistics.h"
#include "spanstatisticspanel.h"
#include "trecordform.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RecordCursorsTest : public ::testing::Test {
protected:
    void recording(int count)
    {
        FillTestSamples(record->CaptureBuffers, 0, count);
        record->CaptureCount = count;
        record->SaveBlock.Codes = {2, 1, 0, 3, 4, 7};
        record->FileReady = true;
        form->DrawRecordChart();
    }

    std::optional<int> at(CursorId id) const { return form->cursors().at(id); }
    QWidget* line(char name) const
    {
        return form->chart->Pic4->findChild<QWidget*>(QStringLiteral("cursorLine") + name);
    }

    SharedState shared;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
    std::unique_ptr<TRecordForm> form = std::make_unique<TRecordForm>(
        control, *record, shared, QCoreApplication::applicationDirPath());
};

TEST_F(RecordCursorsTest, MouseAndKeysPlaceAndMoveTheCursors)
{
    recording(100); // column x shows sample 99 - x
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QWidget* pic = form->chart->Pic4;
    const auto click = [pic](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x) {
        return [=] { QTest::mouseClick(pic, button, modifiers, QPoint(x, 40)); };
    };
    const auto key = [pic](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        return [=] { QTest::keyClick(pic, k, modifiers); };
    };
    const struct Step {
        const char* what;
        std::function<void()> act;
        std::optional<int> a;
        std::optional<int> b;
        CursorId active;
    } steps[] = {
        {"left click", click(Qt::LeftButton, {}, 10), 89, std::nullopt, CursorId::A},
        {"right click", click(Qt::RightButton, {}, 20), 89, 79, CursorId::B},
        {"shift click", click(Qt::LeftButton, Qt::ShiftModifier, 5), 89, 94, CursorId::B},
        {"right: a column older", key(Qt::Key_Right), 89, 93, CursorId::B},
        {"shift+right: a sample older", key(Qt::Key_Right, Qt::ShiftModifier), 89, 92, CursorId::B},
        {"A", key(Qt::Key_A), 89, 92, CursorId::A},
        {"left: a column newer", key(Qt::Key_Left), 90, 92, CursorId::A},
        {"space", key(Qt::Key_Space), 90, 92, CursorId::B},
        {"escape", key(Qt::Key_Escape), std::nullopt, std::nullopt, CursorId::A},
        // Placed by the keyboard alone: mid-way along the drawn points.
        {"B", key(Qt::Key_B), std::nullopt, 50, CursorId::B},
        {"click past the points", click(Qt::LeftButton, {}, 400), std::nullopt, 50, CursorId::B},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(at(CursorId::A), step.a) << step.what;
        EXPECT_EQ(at(CursorId::B), step.b) << step.what;
        EXPECT_EQ(form->cursors().active, step.active) << step.what;
    }
    // At column 0 a step newer stays, as does a sample step past the newest.
    form->placeCursor(CursorId::A, 99);
    form->Pic4Key(Qt::Key_Left, {});
    form->Pic4Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(at(CursorId::A), 99);
    EXPECT_TRUE(form->statisticsDock->isVisible());
    EXPECT_TRUE(form->statisticsItem->isChecked());
}

TEST_F(RecordCursorsTest, CursorsStayOnTheirSamplesThroughZoomAndPaging)
{
    recording(5000);
    form->placeCursor(CursorId::A, 4400);
    form->placeCursor(CursorId::B, 4990);
    EXPECT_EQ(line('A')->x(), 599);
    form->zoomOutItem->trigger();
    ASSERT_EQ(record->RecZoom, 2);
    EXPECT_EQ(at(CursorId::A), 4400);
    EXPECT_EQ(line('A')->x(), 299); // (4999 - 4400) div 2
    EXPECT_TRUE(line('B')->isVisibleTo(form.get()));
    form->olderItem->trigger(); // 500 samples older
    EXPECT_EQ(line('A')->x(), 49);
    EXPECT_FALSE(line('B')->isVisibleTo(form.get())) << "newer than the samples in view";
    EXPECT_EQ(at(CursorId::B), 4990);
    // The browsing view has cursors of its own.
    control.SwitchView();
    ASSERT_EQ(record->ViewMode, 1);
    EXPECT_EQ(at(CursorId::A), std::nullopt);
    EXPECT_FALSE(line('A')->isVisibleTo(form.get()));
}

TEST_F(RecordCursorsTest, PanelShowsTheCursorsAndTheSpanStatistics)
{
    recording(100); // one sample a second
    // Samples rarely fall on a whole second: the panel shows the time to the
    // millisecond, in the form "--stats" takes for the same span.
    for (int i = 0; i < 100; ++i)
        record->CaptureBuffers.timestamps()[i] += 0.994 / 86400;
    SpanStatisticsPanel* panel = form->statisticsPanel;
    form->placeCursor(CursorId::A, 80);
    EXPECT_EQ(panel->spanLabel->text(), "統計範圍：整個記錄（100 點）");
    EXPECT_EQ(panel->cursorBLabel->text(), "游標B：—");
    form->placeCursor(CursorId::B, 20);
    EXPECT_EQ(panel->cursorALabel->text(), "游標A：2025-12-09T12:01:20.994");
    EXPECT_EQ(panel->cursorBLabel->text(), "游標B：2025-12-09T12:00:20.994");
    EXPECT_EQ(panel->deltaLabel->text(), "Δt：-0:01:00.000");
    EXPECT_EQ(panel->spanLabel->text(), "統計範圍：A–B（61 點）");

    SpanSource source;
    for (int c = 0; c < 6; ++c)
        source.channels[std::size_t(c)] = record->CaptureBuffers.channel(c);
    source.timestamps = record->CaptureBuffers.timestamps();
    source.codes = {2, 1, 0, 3, 4, 7};
    const SpanStatistics expected = ComputeSpanStatistics(source, 20, 80);
    const SpanStatistics& shown = form->cursorReading().statistics;
    EXPECT_EQ(shown.first, 20);
    EXPECT_EQ(shown.last, 80);
    // Values 8 i + c + 0.25 over 61 samples a second apart: power's mean
    // 8 * 50 + 0.25 and energy 400.25 W for 60 s.
    EXPECT_DOUBLE_EQ(shown.channels[0].mean, 400.25);
    EXPECT_NEAR(*shown.channels[0].energy, 400.25 * 60 / 3600, 1e-6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(shown.channels[c].minimum, expected.channels[c].minimum);
        EXPECT_EQ(shown.channels[c].maximum, expected.channels[c].maximum);
        EXPECT_EQ(shown.channels[c].mean, expected.channels[c].mean);
        EXPECT_EQ(shown.channels[c].energy, expected.channels[c].energy);
    }

    QTableWidget* table = panel->table;
    ASSERT_EQ(table->rowCount(), 6);
    const QStringList first{"CH1",
                            "功率 (W)",
                            StatisticText(TestValue(80, 0)),
                            StatisticText(TestValue(20, 0)),
                            StatisticText(-480),
                            StatisticText(TestValue(20, 0)),
                            StatisticText(TestValue(80, 0)),
                            "400.25",
                            StatisticText(400.25 * 60 / 3600) + " Wh"};
    for (int k = 0; k < first.size(); ++k)
        EXPECT_EQ(table->item(0, k)->text(), first[k]) << k;
    EXPECT_EQ(table->item(2, 8)->text(), "—") << "voltage has no energy";

    // A hidden channel leaves the table.
    form->parameters->showHideButton(1)->click();
    ASSERT_EQ(table->rowCount(), 5);
    EXPECT_EQ(table->item(1, 0)->text(), "CH3");
    EXPECT_EQ(panel->summaryLines().size(), 6);
    EXPECT_TRUE(panel->summaryLines().front().contains("Δt：-0:01:00.000"));

    form->clearCursors();
    EXPECT_EQ(panel->spanLabel->text(), "統計範圍：整個記錄（100 點）");
    EXPECT_EQ(form->cursorReading().statistics.last, 99);
}

TEST_F(RecordCursorsTest, ThePanelMakesRoomAndGivesItBack)
{
    recording(100);
    const QSize chart = form->chartSize();
    const int height = form->height();
    form->statisticsItem->trigger();
    EXPECT_TRUE(form->statisticsDock->isVisibleTo(form.get()));
    EXPECT_GT(form->height(), height);
    form->statisticsItem->trigger();
    EXPECT_FALSE(form->statisticsDock->isVisibleTo(form.get()));
    EXPECT_EQ(form->height(), height);
    EXPECT_EQ(form->chartSize(), chart);
}

} // namespace
