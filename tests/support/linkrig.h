#pragma once

#include "linkstate.h"
#include "measurementcontrol.h"
#include "measurementrecord.h"
#include "recordingdialogs.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "tcomm.h"

#include <QString>
#include <QStringList>

#include <vector>

// The program's instrument link without windows: port, dispatcher and
// measurement commands wired as the main window wires them, opened on a
// device path, with everything the dispatcher shows recorded.
struct LinkRig {
    explicit LinkRig(const QString& devicePath, TBaudRate rate = TBaudRate::br115200,
                     int baudIndex = 7);

    RecordingDialogs dialogs;
    LinkState link;
    MeasurementRecord record;
    TComm comm{dialogs};
    RequestSender sender{comm, link};
    ResponseDispatcher dispatcher{comm, link, record, sender, dialogs};
    MeasurementControl control{link, sender, dispatcher, dialogs};

    // What was shown, in order.
    std::vector<int> progress;
    QStringList mainStatus; // "panel:text"
    QStringList alarmStatus;
    QStringList logStatus;
    QStringList alarmFields; // "index:text"
    QStringList optionCaptions;
    int measurementsStored = 0;
    int logsCompleted = 0;
    int alarmFlags = -1;
};
