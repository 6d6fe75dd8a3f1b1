#include "instrumentforms.h"

InstrumentForms::InstrumentForms(LinkState& link, TComm& comm, RequestSender& sender,
                                 ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                                 QWidget* mainWindow, TStartingForm::ColorSource colors,
                                 QSize screenSize)
    : options(link, sender, dispatcher, dialogs), alarmSync(link, dispatcher),
      CalibrateForm(std::make_unique<TCalibrateForm>(link, comm, sender, dispatcher, options,
                                                     dialogs, mainWindow)),
      AlarmForm(std::make_unique<TAlarmForm>(alarmSync, dispatcher, dialogs, mainWindow)),
      StartingForm(std::make_unique<TStartingForm>(link, dispatcher, dialogs, std::move(colors),
                                                   screenSize, mainWindow)),
      External_CT_form(
          std::make_unique<TExternal_CT_form>(link, sender, dispatcher, dialogs, mainWindow))
{
}
