#include "sharedstate.h"

void InitLinkAndMeasurement(SharedState& state)
{
    ResetMeasurementRecord(state.MeasurementRecord);
    state.link.UsbLink = false;
    // The instrument's USB serial port carries this mark in its device identifier.
    state.link.UsbDeviceMark = QStringLiteral("5732");
}
