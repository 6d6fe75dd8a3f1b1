#pragma once

#include "tcomm.h"

#include <QString>

#include <array>

// The communication window's baud-rate list; the index is what "SysSet.ini"
// keeps and what the dispatcher paces its wait by.
struct BaudRateEntry {
    const char* text;
    TBaudRate rate;
};

inline constexpr std::array<BaudRateEntry, 8> kBaudRateList{{
    {"4.8Kbps", TBaudRate::br4800},
    {"9.6Kbps", TBaudRate::br9600},
    {"14.4Kbps", TBaudRate::br14400},
    {"19.2Kbps", TBaudRate::br19200},
    {"38.4Kbps", TBaudRate::br38400},
    {"57,6Kbps", TBaudRate::br57600}, // written with a comma, as the instrument's documents do
    {"76.8Kbps", TBaudRate::br76800},
    {"115.2Kbps", TBaudRate::br115200},
}};

inline bool IsBaudIndex(int index)
{
    return index >= 0 && index < int(kBaudRateList.size());
}
