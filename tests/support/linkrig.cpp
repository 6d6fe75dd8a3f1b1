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
    QObject::connect(&control, &MeasurementControl::runRequest,
                     [this](RunRequest r) { runRequests.push_back(r); });
    QObject::connect(&dispatcher, &ResponseDispatcher::alarmWriteAcknowledged,
                     [this](int reg) { writeAcks.push_back(reg); });
    QObject::connect(&dispatcher, &ResponseDispatcher::readBackComplete,
                     [this] { ++readBacksComplete; });
    QObject::connect(
        &dispatcher, &ResponseDispatcher::logProgress,
        [this](LogProgress stage, int chunk) { logProgress.emplace_back(stage, chunk); });
    QObject::connect(&dispatcher, &ResponseDispatcher::alarmValueRead,
                     [this](int i, float value) { alarmValues.emplace_back(i, value); });
    QObject::connect(&dispatcher, &ResponseDispatcher::optionsRead,
                     [this](bool wide, bool csa) { optionsRead.emplace_back(wide, csa); });
    QObject::connect(&dispatcher, &ResponseDispatcher::measurementStored,
                     [this] { ++measurementsStored; });
    QObject::connect(&dispatcher, &ResponseDispatcher::measured,
                     [this](const QDateTime& when) { measuredAt.push_back(when); });
    QObject::connect(&dispatcher, &ResponseDispatcher::instrumentLogComplete,
                     [this] { ++logsCompleted; });
    QObject::connect(&dispatcher, &ResponseDispatcher::alarmFlagsRead,
                     [this](std::uint8_t f) { alarmFlags = f; });
    QObject::connect(&dispatcher, &ResponseDispatcher::sendFailed,
                     [this](const SendFailure& f) { sendFailures.push_back(f); });

    comm.setPortOpen(true);
}
