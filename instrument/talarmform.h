#pragma once

#include "alarmsync.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ResponseDispatcher;
class UserDialogs;

// The alarm thresholds window: the instrument's eight thresholds (upper and
// lower limit of voltage, current, power and power factor) with their on/off
// boxes, read from and written to the instrument through AlarmSync. Shown
// modally; the fields fill while the answers come in.
class TAlarmForm : public QDialog {
    Q_OBJECT
public:
    TAlarmForm(AlarmSync& sync, ResponseDispatcher& dispatcher, UserDialogs& dialogs,
               QWidget* parent = nullptr);

    // Main menu "警報值設置": read the settings back and show the window.
    void OpenFromMenu();
    void ReadClick(); // "獲取儀器資料"
    void SaveClick(); // "儲存到儀器"

    // A threshold as a field shows it: 4 decimals, ties to even, no
    // trailing zeros.
    static QString FieldText(float value);
    // Label7 after the instrument acknowledged the write of `reg`.
    static QString WriteProgressText(int reg);
    // Label7 once the settings are read back; the main window's status bar
    // says the same then.
    static QString SynchronisedText();

    std::array<QLineEdit*, 8> Edit{};     // Edit1-Edit8 in register order
    std::array<QCheckBox*, 8> CheckBox{}; // CheckBox1-CheckBox8, flag bits 0-7
    QLabel* Label7 = nullptr;
    QPushButton* ReadButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void build();
    void setButtonsEnabled(bool enabled);
    void onSendFailed(AlarmSync::Chain chain);
    void onStalled(AlarmSync::Chain chain);

    AlarmSync& sync_;
    UserDialogs& dialogs_;
    bool readBackFromMenu_ = false; // the last read-back came from the menu
};
