#include "instrumentforms.h"

InstrumentForms::InstrumentForms(LinkState& link, TComm& comm, RequestSender& sender,
                                 ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                                 QWidget* mainWindow)
    : options(link, sender, dispatcher, dialogs), alarmSync(link, sender, dispatcher),
      CalibrateForm(std::make_unique<TCalibrateForm>(link, comm, sender, dispatcher, options,
                                                     dialogs, mainWindow)),
      AlarmForm(std::make_unique<TAlarmForm>(alarmSync, dispatcher, dialogs, mainWindow)),
      External_CT_form(
          std::make_unique<TExternal_CT_form>(link, sender, dispatcher, dialogs, mainWindow))
{
}
