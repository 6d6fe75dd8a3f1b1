#pragma once

#include "brokersettings.h"
#include "linkoptions.h"

#include <QString>
#include <QStringList>

#include <optional>

// What `qpa3600 measure` was asked for.
struct MeasureOptions {
    enum class Format { Csv, Json };

    LinkOptions link;
    int count = 1;      // measurements to print; 0: until stopped
    int intervalMs = 0; // at most one measurement per interval; 0: as fast as they come
    Format format = Format::Csv;
    bool harmonics = false; // add both spectra (orders 0-50)
    int timeoutMs = 10000;  // no answer for this long ends the command
    // Once measurements came, a silent instrument is waited for rather than
    // given up after the timeout (a recording waits as the window does).
    bool waitOnceMeasuring = false;
    std::optional<BrokerSettings> broker; // --mqtt: each measurement also goes there
};

struct MeasureCommandLine {
    MeasureOptions options;
    bool help = false;
    QString error; // what is wrong, in one line; empty when understood
};

// Reads the words after "measure".
MeasureCommandLine ParseMeasureCommandLine(const QStringList& arguments);

// The text of `measure --help`; `program` is the name the program was started by.
QString MeasureHelp(const QString& program);
