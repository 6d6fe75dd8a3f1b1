#include "harmonictable.h"

#include "csvtext.h"
#include "measurementrecord.h"
#include "numberformat.h"

namespace {

// The amplitudes are peak values of sine components; dividing by this turns
// them into RMS values.
constexpr double kPeakToRms = 1.41421;

const QString kCellIndent(21, QLatin1Char(' '));
const QString kHeadingIndent(13, QLatin1Char(' '));

// Values are written with as many decimals as they need, but a whole number
// still shows two decimals so the column reads as one of amounts.
QString CompletedText(double value)
{
    QString text = FormatGeneral(value);
    if (!text.contains(QLatin1Char('.')))
        text += QStringLiteral(".00");
    return text;
}

// RMS value to as many decimals as `scale` (10^decimals) has zeros.
QString AbsoluteCell(float amplitude, double scale)
{
    return kCellIndent
           + CompletedText(RoundHalfEven(double(amplitude) * scale / kPeakToRms) / scale);
}

// Percentage of the fundamental. Without a fundamental there is nothing to
// relate to, so the cell shows zero rather than a quotient by zero.
QString RelativeCell(float amplitude, float fundamental)
{
    double percent = 0.0;
    if (fundamental != 0.0f)
        percent = RoundHalfEven(double(amplitude) / double(fundamental) * 10000.0) / 100.0;
    return kCellIndent + CompletedText(percent) + QLatin1Char('%');
}

} // namespace

HarmonicTableTexts HarmonicTableCells(const MeasurementRecord& record)
{
    HarmonicTableTexts cells;
    cells[0] = {kHeadingIndent + QStringLiteral("諧波階數"),
                kHeadingIndent + QStringLiteral("電壓絕對值"),
                kHeadingIndent + QStringLiteral("電壓相對值"),
                kHeadingIndent + QStringLiteral("電流絕對值"),
                kHeadingIndent + QStringLiteral("電流相對值")};
    const auto& u = record.UHarmonic;
    const auto& i = record.IHarmonic;
    for (int k = 0; k < kHarmonicTableRows - 1; ++k) {
        HarmonicTableRow& row = cells[k + 1];
        row[0] = kCellIndent + QString::number(k);
        row[1] = AbsoluteCell(u[k], 100.0);
        row[2] = RelativeCell(u[k], u[1]);
        row[3] = AbsoluteCell(i[k], 10000.0);
        row[4] = RelativeCell(i[k], i[1]);
    }
    return cells;
}

QByteArray HarmonicTableCsv(const HarmonicTableTexts& cells)
{
    QByteArray text = CsvLine({QStringLiteral("諧波階數"), QStringLiteral("電壓絕對值 (V)"),
                               QStringLiteral("電壓相對值 (%)"), QStringLiteral("電流絕對值 (A)"),
                               QStringLiteral("電流相對值 (%)")});
    for (int row = 1; row < kHarmonicTableRows; ++row) {
        QStringList fields;
        for (const QString& cell : cells[std::size_t(row)]) {
            QString number = cell.trimmed();
            if (number.endsWith(QLatin1Char('%')))
                number.chop(1);
            fields << number;
        }
        text += CsvLine(fields);
    }
    return text;
}

QString HarmonicSelectionText(const HarmonicTableTexts& cells, const QList<int>& rows,
                              const QList<int>& columns)
{
    if (rows.isEmpty() || columns.isEmpty())
        return QString();
    const auto line = [&](int row) {
        QStringList fields{cells[std::size_t(row)][0].trimmed()};
        for (const int column : columns)
            if (column > 0 && column < kHarmonicTableColumns)
                fields << cells[std::size_t(row)][std::size_t(column)].trimmed();
        return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    QString text = line(0);
    for (const int row : rows)
        if (row > 0 && row < kHarmonicTableRows)
            text += line(row);
    return text;
}

int HarmonicColumnWidth(int gridWidth)
{
    // A little room is left for the grid's frame and lines.
    return (gridWidth - 10) / kHarmonicTableColumns;
}
