#pragma once

#include "measurementcontrol.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "tcomm.h"

struct LinkState;
struct MeasurementRecord;

// The instrument link wired together: the port Comm1 with the instrument's
// line settings (115200 bit/s, 8 data bits, no parity, 1 stop bit, no
// handshake, a receive event for every waiting byte) handing its input to the
// dispatcher, the request builders and the measurement commands.
struct InstrumentLink {
    InstrumentLink(LinkState& link, MeasurementRecord& record);

    TComm Comm1;
    RequestSender sender;
    ResponseDispatcher dispatcher;
    MeasurementControl control;
};
