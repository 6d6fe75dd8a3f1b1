#pragma once

#include "instrumentforms.h"
#include "linkrig.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The instrument link with the instrument windows on it, without a main
// window, opened on a device path.
struct InstrumentRig {
    explicit InstrumentRig(const QString& devicePath) : rig(devicePath) {}

    LinkRig rig;
    InstrumentForms forms{rig.link, rig.comm, rig.sender, rig.dispatcher, rig.dialogs, nullptr};
    TAlarmForm& alarm = *forms.AlarmForm;
    TExternal_CT_form& ct = *forms.External_CT_form;
    TCalibrateForm& calibrate = *forms.CalibrateForm;
    TStartingForm& starting = *forms.StartingForm;

    void setAlarmFields(const std::array<QString, 8>& texts, std::uint8_t flags)
    {
        for (std::size_t i = 0; i < 8; ++i) {
            alarm.Edit[i]->setText(texts[i]);
            alarm.CheckBox[i]->setChecked(flags & (1u << i));
        }
    }
};
