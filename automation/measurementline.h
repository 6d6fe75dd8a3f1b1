#pragma once

#include <QByteArray>

class QDateTime;
struct MeasurementRecord;

// The lines `qpa3600 measure` prints. CSV as the recording's export writes
// it (RFC 4180 with CRLF line ends, UTF-8, "時間" and the local time with
// milliseconds first, each value the shortest text that reads back to the
// same float) with the fifteen quantities named by their fields and units:
// "URMS (V)", "PF". JSON Lines with one object per line, keys "time", the
// fields in lower case ("urms" ... "kwh") and, with harmonics, "u_harmonics"
// and "i_harmonics" (51 amplitudes each, order 0 first); a value that is no
// finite number is null.
QByteArray MeasurementCsvHeader(bool harmonics);
QByteArray MeasurementCsvLine(const MeasurementRecord& record, const QDateTime& when,
                              bool harmonics);
QByteArray MeasurementJsonLine(const MeasurementRecord& record, const QDateTime& when,
                               bool harmonics);
