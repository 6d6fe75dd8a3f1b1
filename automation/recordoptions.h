#pragma once

#include "brokersettings.h"
#include "linkoptions.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

// What `qpa3600 record` was asked for.
struct RecordOptions {
    LinkOptions link;
    QString out; // the record file
    QString csv; // the CSV file written alongside; empty for none
    // The quantity codes of the six channels; none: the saved record settings.
    std::optional<std::array<std::int32_t, 6>> channels;
    std::int32_t stepMs = 0;              // the sampling step; 0: the saved record settings
    std::int32_t saveMs = 0;              // the save interval; 0: the saved record settings
    qint64 durationMs = 0;                // 0: until stopped
    int timeoutMs = 10000;                // no answer for this long at the start ends the command
    std::optional<BrokerSettings> broker; // --mqtt: each measurement also goes there
};

struct RecordCommandLine {
    RecordOptions options;
    bool help = false;
    QString error; // what is wrong, in one line; empty when understood
};

// Reads the words after "record".
RecordCommandLine ParseRecordCommandLine(const QStringList& arguments);

// A length of time as the options take it: seconds ("90", "0.5", "90s") or a
// number of minutes, hours or days ("15m", "2h", "3d"), in whole
// milliseconds; none for anything else and for negative times.
std::optional<qint64> ParseTimeMs(const QString& text);

// What is wrong with the files of `options` when the instrument is on
// `device`, in one line, or an empty text: a record or CSV file that exists
// and is no regular file, that is the instrument's device, that are one and
// the same, or whose folder does not exist.
QString CheckRecordFiles(const RecordOptions& options, const QString& device);

// The text of `record --help`; `program` is the name the program was started by.
QString RecordHelp(const QString& program);

// Exit codes of `record` beyond those of `measure` (0 done, 1 bad arguments,
// settings, port or files, 2 no answer at the start).
inline constexpr int kRecordExitUnsaved = 3; // the file lacks samples: its last save failed
// A full file could not go on in the next file of its series (its name was
// taken, or it could not be made); every sample is in the files written.
inline constexpr int kRecordExitSeriesEnded = 4;
