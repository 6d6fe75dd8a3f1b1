#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

struct MeasurementRecord;

// The harmonic table "諧波含量列表": row 0 holds the headings, row k + 1 the
// harmonic order k (0-50); column 0 is the order, columns 1-4 the voltage
// absolute and relative values and the current absolute and relative values.
inline constexpr int kHarmonicTableRows = 52;
inline constexpr int kHarmonicTableColumns = 5;

using HarmonicTableRow = std::array<QString, kHarmonicTableColumns>;
using HarmonicTableTexts = std::array<HarmonicTableRow, kHarmonicTableRows>;

// Every cell text of the table for `record`, blanks included: headings with
// 13 leading blanks, all other cells with 21. Absolute values are the RMS
// values of the amplitudes (voltage to two decimals, current to four),
// relative values the percentage of the fundamental to two decimals with a
// "%"; a text without a point is completed with ".00". An order whose
// fundamental is 0 shows "0.00%" as its relative value. Halves round to the
// even neighbour.
HarmonicTableTexts HarmonicTableCells(const MeasurementRecord& record);

// The table as comma-separated text in the conventions of the recording's
// export: a header naming each column with its unit, then one line per
// order with the numbers as the table shows them (no indent, no "%").
QByteArray HarmonicTableCsv(const HarmonicTableTexts& cells);
// The cells of `rows` (table rows 1-51) and `columns` (1-4) as tab-separated
// lines, the order first on each line and the headings above, as a
// spreadsheet takes them from the clipboard; empty without rows or columns.
QString HarmonicSelectionText(const HarmonicTableTexts& cells, const QList<int>& rows,
                              const QList<int>& columns);

// Width of each of the five columns for a grid `gridWidth` pixels wide.
int HarmonicColumnWidth(int gridWidth);
