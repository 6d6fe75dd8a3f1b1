#include "tharmonicform.h"

#include "harmonictable.h"
#include "qtprinters.h"
#include "recordingdialogs.h"
#include "sharedstate.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kCell(21, QLatin1Char(' '));

class HarmonicFormTest : public ::testing::Test {
protected:
    HarmonicFormTest() { InitLinkAndMeasurement(state); }

    SharedState state;
};

TEST_F(HarmonicFormTest, WindowHoldsTheWholeTable)
{
    state.MeasurementRecord.UHarmonic[1] = 311.127f;
    THarmonicForm form(state);
    EXPECT_EQ(form.windowTitle(), "諧波含量列表");
    EXPECT_EQ(form.size(), QSize(648, 500));
    EXPECT_EQ(form.p1_h->objectName(), "p1_h");
    EXPECT_EQ(form.p1_h->verticalHeader()->defaultSectionSize(), 20);
    EXPECT_EQ(form.p1_h->horizontalHeader()->defaultSectionSize(), 127);

    const HarmonicTableTexts expected = HarmonicTableCells(state.MeasurementRecord);
    for (int row = 0; row < kHarmonicTableRows; ++row)
        for (int column = 0; column < kHarmonicTableColumns; ++column)
            EXPECT_EQ(form.cellText(row, column), expected[row][column]) << row << ", " << column;
    EXPECT_EQ(form.cellText(2, 1), kCell + "220.00");
}

TEST_F(HarmonicFormTest, OrdersCannotBeSelected)
{
    THarmonicForm form(state);
    EXPECT_FALSE(form.p1_h->item(0, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_TRUE(form.p1_h->item(0, 1)->flags() & Qt::ItemIsSelectable);
}

TEST_F(HarmonicFormTest, RefreshesFromTheRecordWhenShownAndEverySecond)
{
    THarmonicForm form(state);
    EXPECT_TRUE(form.Timer1.isActive());
    EXPECT_EQ(form.Timer1.interval(), 1000);

    state.MeasurementRecord.UHarmonic[1] = 311.127f;
    form.show();
    EXPECT_EQ(form.cellText(2, 1), kCell + "220.00");

    state.MeasurementRecord.UHarmonic[3] = 15.5f;
    EXPECT_EQ(form.cellText(4, 2), kCell + "0.00%");
    ASSERT_TRUE(QMetaObject::invokeMethod(&form.Timer1, "timeout", Qt::DirectConnection));
    EXPECT_EQ(form.cellText(4, 1), kCell + "10.96");
    EXPECT_EQ(form.cellText(4, 2), kCell + "4.98%");
    form.hide();
    // The timer keeps running while the window is closed.
    EXPECT_TRUE(form.Timer1.isActive());
}

TEST_F(HarmonicFormTest, CtrlCCopiesTheSelectionWithItsHeadings)
{
    state.MeasurementRecord.UHarmonic[1] = 311.127f;
    THarmonicForm form(state);
    form.show();
    EXPECT_TRUE(form.selectionText().isEmpty());
    form.p1_h->setRangeSelected(QTableWidgetSelectionRange(1, 1, 2, 2), true);
    const QString expected =
        "諧波階數\t電壓絕對值\t電壓相對值\n1\t220.00\t100.00%\n2\t0.00\t0.00%\n";
    EXPECT_EQ(form.selectionText(), expected);
    QGuiApplication::clipboard()->clear();
    form.p1_h->setFocus();
    QTest::keyClick(form.p1_h, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_EQ(form.p1_h->actions(), QList<QAction*>({form.copyItem, form.exportCsvItem}));
    EXPECT_EQ(form.exportCsvItem->text(), "匯出CSV檔案…");
    EXPECT_FALSE(form.exportCsvItem->isEnabled()); // no dialogs to ask for a file
}

TEST_F(HarmonicFormTest, ExportWritesTheTableShownAndReportsAFailure)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    state.MeasurementRecord.UHarmonic[1] = 311.127f;
    THarmonicForm form(state, nullptr, &dialogs);
    ASSERT_TRUE(form.exportCsvItem->isEnabled());
    dialogs.saveAnswer = dir.filePath("h.csv");
    form.exportCsvItem->trigger();
    EXPECT_EQ(dialogs.filters, QStringList({"CSV (*.csv)"}));
    EXPECT_EQ(dialogs.offeredNames, QStringList({"Harmonics.csv"}));
    QFile file(dialogs.saveAnswer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), HarmonicTableCsv(HarmonicTableCells(state.MeasurementRecord)));
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.saveAnswer = dir.filePath("missing/h.csv");
    form.exportCsv();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("無法寫入檔案："));
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);

    dialogs.saveAnswer.clear(); // cancelled: nothing happens
    form.exportCsv();
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

} // namespace
