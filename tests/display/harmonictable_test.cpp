#include "harmonictable.h"

#include "measurementrecord.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

const QString kCell(21, QLatin1Char(' '));

MeasurementRecord StartRecord()
{
    MeasurementRecord record{};
    ResetMeasurementRecord(record);
    return record;
}

TEST(HarmonicTable, HeadingsAndOrdersCarryTheirBlanks)
{
    const HarmonicTableTexts cells = HarmonicTableCells(StartRecord());
    const HarmonicTableRow headings = {
        QStringLiteral("             諧波階數"), QStringLiteral("             電壓絕對值"),
        QStringLiteral("             電壓相對值"), QStringLiteral("             電流絕對值"),
        QStringLiteral("             電流相對值")};
    EXPECT_EQ(cells[0], headings);
    EXPECT_EQ(cells[1][0], kCell + "0");
    EXPECT_EQ(cells[2][0], kCell + "1");
    EXPECT_EQ(cells[51][0], kCell + "50");
}

TEST(HarmonicTable, AllZeroRecordShowsZeroEverywhere)
{
    const HarmonicTableTexts cells = HarmonicTableCells(StartRecord());
    for (int row = 1; row < kHarmonicTableRows; ++row) {
        const HarmonicTableRow expected = {kCell + QString::number(row - 1), kCell + "0.00",
                                           kCell + "0.00%", kCell + "0.00", kCell + "0.00%"};
        EXPECT_EQ(cells[row], expected) << "row " << row;
    }
}

TEST(HarmonicTable, VoltageValuesAtTheWorkedExamples)
{
    MeasurementRecord record = StartRecord();
    record.UHarmonic[1] = 311.127f;
    record.UHarmonic[3] = 15.5f;
    const HarmonicTableTexts cells = HarmonicTableCells(record);
    // 220 completed with ".00"; the fundamental is its own 100 %.
    EXPECT_EQ(cells[2][1], kCell + "220.00");
    EXPECT_EQ(cells[2][2], kCell + "100.00%");
    EXPECT_EQ(cells[4][1], kCell + "10.96");
    EXPECT_EQ(cells[4][2], kCell + "4.98%");
    EXPECT_EQ(cells[3][2], kCell + "0.00%");
}

TEST(HarmonicTable, CellTextsForSingleValues)
{
    struct Case {
        float voltage;     // UHarmonic[k]
        float fundamental; // UHarmonic[1]
        const char* absolute;
        const char* relative;
    };
    const Case cases[] = {
        // no fundamental: zero percent, never a quotient by zero
        {15.5f, 0.0f, "10.96", "0.00%"},
        {-15.5f, 0.0f, "-10.96", "0.00%"},
        // one decimal stays one decimal; only whole numbers get ".00"
        {0.141421f, 1.0f, "0.1", "14.14%"},
        {141.421f, 100.0f, "100.00", "141.42%"},
        {3.0f, 2.0f, "2.12", "150.00%"},
    };
    for (const Case& c : cases) {
        MeasurementRecord record = StartRecord();
        record.UHarmonic[1] = c.fundamental;
        record.UHarmonic[7] = c.voltage;
        const HarmonicTableRow row = HarmonicTableCells(record)[8];
        EXPECT_EQ(row[1], kCell + c.absolute) << c.voltage << " of " << c.fundamental;
        EXPECT_EQ(row[2], kCell + c.relative) << c.voltage << " of " << c.fundamental;
    }
}

TEST(HarmonicTable, CurrentIsShownToFourDecimalsAgainstItsOwnFundamental)
{
    MeasurementRecord record = StartRecord();
    record.UHarmonic[1] = 311.127f; // has no say in the current columns
    record.IHarmonic[0] = 0.01f;
    record.IHarmonic[1] = 7.07105f;
    record.IHarmonic[5] = 2.5f;
    const HarmonicTableTexts cells = HarmonicTableCells(record);
    EXPECT_EQ(cells[1][3], kCell + "0.0071");
    EXPECT_EQ(cells[1][4], kCell + "0.14%");
    EXPECT_EQ(cells[2][3], kCell + "5.00");
    EXPECT_EQ(cells[2][4], kCell + "100.00%");
    EXPECT_EQ(cells[6][3], kCell + "1.7678");
    EXPECT_EQ(cells[6][4], kCell + "35.36%");

    record.IHarmonic[1] = 0.0f;
    EXPECT_EQ(HarmonicTableCells(record)[6][4], kCell + "0.00%");
    EXPECT_EQ(HarmonicTableCells(record)[2][4], kCell + "0.00%");
}

TEST(HarmonicTable, ColumnWidthLeavesRoomForTheFrame)
{
    EXPECT_EQ(HarmonicColumnWidth(648), 127);
    EXPECT_EQ(HarmonicColumnWidth(10), 0);
}

TEST(HarmonicTable, CsvHoldsTheWholeTableAsNumbersWithUnits)
{
    MeasurementRecord record{};
    record.UHarmonic[1] = 311.127f;
    record.UHarmonic[3] = 15.5f;
    record.IHarmonic[1] = 7.07105f;
    const QList<QByteArray> lines = HarmonicTableCsv(HarmonicTableCells(record)).split('\n');
    ASSERT_EQ(lines.size(), 53); // header, 51 orders, nothing after the last CRLF
    EXPECT_EQ(lines[0], "諧波階數,電壓絕對值 (V),電壓相對值 (%),電流絕對值 (A),電流相對值 (%)\r");
    EXPECT_EQ(lines[1], "0,0.00,0.00,0.00,0.00\r");
    EXPECT_EQ(lines[2], "1,220.00,100.00,5.00,100.00\r");
    EXPECT_EQ(lines[4], "3,10.96,4.98,0.00,0.00\r");
    EXPECT_EQ(lines[51], "50,0.00,0.00,0.00,0.00\r");
    EXPECT_TRUE(lines[52].isEmpty());
}

TEST(HarmonicTable, SelectionTextHasTheHeadingsAndTheOrders)
{
    MeasurementRecord record{};
    record.UHarmonic[1] = 311.127f;
    record.UHarmonic[3] = 15.5f;
    const HarmonicTableTexts cells = HarmonicTableCells(record);
    EXPECT_EQ(HarmonicSelectionText(cells, {2, 4}, {1, 2}), "諧波階數\t電壓絕對值\t電壓相對值\n"
                                                            "1\t220.00\t100.00%\n"
                                                            "3\t10.96\t4.98%\n");
    EXPECT_EQ(HarmonicSelectionText(cells, {1}, {4}), "諧波階數\t電流相對值\n0\t0.00%\n");
    EXPECT_TRUE(HarmonicSelectionText(cells, {}, {1}).isEmpty());
    EXPECT_TRUE(HarmonicSelectionText(cells, {2}, {}).isEmpty());
    // Rows and columns beyond the table are left out, never read.
    EXPECT_EQ(HarmonicSelectionText(cells, {0, 2, 52}, {1, 5}),
              "諧波階數\t電壓絕對值\n1\t220.00\n");
}

} // namespace
