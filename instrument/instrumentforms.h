#pragma once

#include "alarmsync.h"
#include "measurementoptions.h"
#include "talarmform.h"
#include "tcalibrateform.h"
#include "texternal_ct_form.h"

#include <memory>

class TComm;
class RequestSender;
class ResponseDispatcher;
class UserDialogs;
struct LinkState;

// The instrument configuration: the band and method choice, the alarm
// settings' chains, and the calibration, alarm and external transformer
// windows, created once in that order.
class InstrumentForms {
public:
    InstrumentForms(LinkState& link, TComm& comm, RequestSender& sender,
                    ResponseDispatcher& dispatcher, UserDialogs& dialogs, QWidget* mainWindow);

    MeasurementOptions options;
    AlarmSync alarmSync;
    std::unique_ptr<TCalibrateForm> CalibrateForm;
    std::unique_ptr<TAlarmForm> AlarmForm;
    std::unique_ptr<TExternal_CT_form> External_CT_form;
};
