#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

class QDateTime;
class QIODevice;
class SampleBuffers;

// A recording as comma-separated text (RFC 4180: CRLF line ends, quotes only
// where a field needs them; UTF-8 without a byte-order mark). One header
// line naming the channels with their units, then samples 0 .. `last`: the
// local time as recorded with milliseconds, the seconds since sample 0 with
// three decimals, and the six values as stored, each the shortest text that
// reads back to the same float.
QByteArray RecordCsv(const SampleBuffers& data, std::int32_t last,
                     const std::array<std::int32_t, 6>& codes);
// The same text written to `device` piece by piece, so that a full recording's
// tens of megabytes never sit in memory at once. False when a write failed.
bool WriteRecordCsv(QIODevice& device, const SampleBuffers& data, std::int32_t last,
                    const std::array<std::int32_t, 6>& codes);
// Samples `from` .. `last` only, under the same header; each row is the row
// of the whole recording's text, its seconds still counted from sample 0.
bool WriteRecordCsv(QIODevice& device, const SampleBuffers& data, std::int32_t from,
                    std::int32_t last, const std::array<std::int32_t, 6>& codes);

// "CH1 電壓 (V)", "CH2 功率因數", "CH3" (a code that names no quantity).
QString CsvChannelHeading(int channel, std::int32_t code);
// A column heading with its unit: "URMS (V)"; a plain fraction ("") has none.
QString CsvHeading(const QString& name, const QString& unit);
// The first column's heading, "時間".
QString CsvTimeHeading();
// The local time of `when` as the rows give it: "2026-03-01T14:05:09.250".
QString CsvLocalTimeText(const QDateTime& when);
// The shortest decimal text that reads back to `value`, "." as the point.
QString ShortestFloatText(float value);
