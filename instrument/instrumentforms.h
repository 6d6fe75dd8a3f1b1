#pragma once

#include "alarmsync.h"
#include "measurementoptions.h"
#include "talarmform.h"
#include "tcalibrateform.h"
#include "texternal_ct_form.h"
#include "tstartingform.h"

#include <memory>

class TComm;
class RequestSender;
class ResponseDispatcher;
class UserDialogs;
struct LinkState;

// The instrument configuration: the band and method choice, the alarm
// settings' chains, and the calibration, alarm, logging and external
// transformer windows, created once in that order. The logging window draws
// in the chart colours `colors` gives and sizes its surface from the screen.
class InstrumentForms {
public:
    InstrumentForms(LinkState& link, TComm& comm, RequestSender& sender,
                    ResponseDispatcher& dispatcher, UserDialogs& dialogs, QWidget* mainWindow,
                    TStartingForm::ColorSource colors = {}, QSize screenSize = {2400, 1600});

    MeasurementOptions options;
    AlarmSync alarmSync;
    std::unique_ptr<TCalibrateForm> CalibrateForm;
    std::unique_ptr<TAlarmForm> AlarmForm;
    std::unique_ptr<TStartingForm> StartingForm;
    std::unique_ptr<TExternal_CT_form> External_CT_form;
};
