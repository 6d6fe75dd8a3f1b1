#pragma once

#include <QString>

class IniFile;

// The name an instrument's topics carry: the serial number of its USB
// adapter where the port map or udev knows it (it stays the same whichever
// socket the cable goes into), else the port's name "COMn". Characters that
// MQTT gives a meaning in topics ('/', '+', '#') and blanks become '_'.
QString InstrumentName(int comNumber, const IniFile* sysSet);

// The same from a device identifier "USB\VID_vvvv&PID_pppp\serial" (empty or
// another form: the port's name).
QString InstrumentNameOf(const QString& deviceId, int comNumber);
