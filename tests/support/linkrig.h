#pragma once

#include "instrumentlink.h"
#include "linkstate.h"
#include "measurementrecord.h"
#include "recordingdialogs.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// The program's instrument link without windows: port, dispatcher and
// measurement commands wired as the main window wires them, opened on a
// device path, with everything the dispatcher announces recorded.
struct LinkRig {
    explicit LinkRig(const QString& devicePath, TBaudRate rate = TBaudRate::br115200,
                     int baudIndex = 7);

    RecordingDialogs dialogs;
    LinkState link;
    MeasurementRecord record;
    InstrumentLink parts{link, record};
    TComm& comm = parts.Comm1;
    RequestSender& sender = parts.sender;
    ResponseDispatcher& dispatcher = parts.dispatcher;
    MeasurementControl& control = parts.control;

    // What was shown, in order.
    std::vector<int> progress;
    std::vector<std::pair<LogProgress, int>> logProgress; // stage, chunk asked for
    std::vector<std::pair<int, float>> alarmValues;       // threshold index, value
    std::vector<int> writeAcks; // acknowledged registers of the write chain
    int readBacksComplete = 0;
    std::vector<std::pair<bool, bool>> optionsRead; // wide band, CSA method
    std::vector<RunRequest> runRequests;
    int measurementsStored = 0;
    std::vector<QDateTime> measuredAt;
    int logsCompleted = 0;
    int alarmFlags = -1;
    std::vector<SendFailure> sendFailures;
};
