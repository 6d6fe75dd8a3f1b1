#include "linkrig.h"

LinkRig::LinkRig(const QString& devicePath, TBaudRate rate, int baudIndex)
{
    ResetMeasurementRecord(record);
    link.InstrumentAddress = 1;
    link.BaudIndex = baudIndex;
    comm.setDeviceResolver([devicePath](int) { return devicePath; });
    comm.setBaudRate(rate);

    QObject::connect(&dispatcher, &ResponseDispatcher::progressChanged,
                     [this](int p) { progress.push_back(p); });
    auto status = [this](int panel, const QString& text) {
        mainStatus << QString::number(panel) + QLatin1Char(':') + text;
    };
    QObject::connect(&dispatcher, &ResponseDispatcher::mainStatusChanged, status);
    QObject::connect(&control, &MeasurementControl::mainStatusChanged, status);
    QObject::connect(&dispatcher, &ResponseDispatcher::alarmStatusChanged,
                     [this](const QString& t) { alarmStatus << t; });
    QObject::connect(&dispatcher, &ResponseDispatcher::logStatusChanged,
                     [this](const QString& t) { logStatus << t; });
    QObject::connect(&dispatcher, &ResponseDispatcher::alarmValueRead,
                     [this](int i, const QString& t) {
                         alarmFields << QString::number(i) + QLatin1Char(':') + t;
                     });
    QObject::connect(&dispatcher, &ResponseDispatcher::optionCaptionsChanged,
                     [this](const QString& a, const QString& b, const QString& c,
                            const QString& d) { optionCaptions = {a, b, c, d}; });
    QObject::connect(&dispatcher, &ResponseDispatcher::measurementStored,
                     [this] { ++measurementsStored; });
    QObject::connect(&dispatcher, &ResponseDispatcher::instrumentLogComplete,
                     [this] { ++logsCompleted; });
    QObject::connect(&dispatcher, &ResponseDispatcher::alarmFlagsRead,
                     [this](std::uint8_t f) { alarmFlags = f; });

    comm.setPortOpen(true);
}
