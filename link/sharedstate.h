#pragma once

#include "linkstate.h"
#include "measurementrecord.h"

#include <QDateTime>
#include <QString>

#include <cstdint>

// Program-wide state that several windows read and write. The program owns one
// instance for its whole life; tests build fresh ones.
struct SharedState {
    ::MeasurementRecord MeasurementRecord; // the measurement shown
    // When that measurement was taken: its arrival from the instrument, or
    // for a snapshot opened from a file the file's modification time (a
    // snapshot holds no time of its own). Invalid until the first of them.
    QDateTime MeasurementTime;
    LinkState link;
    // Chart background and grid of the live, record and log charts: black
    // until the appearance window restores the saved choice.
    // Colours as 0xAARRGGBB, the layout of QRgb.
    std::uint32_t ChartBackColor = 0xFF000000;
    std::uint32_t ChartGridColor = 0xFF000000;
    QString CommandLineFile; // the file named on the command line
};

// Start values of the measurement and of the link: an empty measurement,
// no USB link, the read-back chain at its start, the USB device mark.
void InitLinkAndMeasurement(SharedState& state);
