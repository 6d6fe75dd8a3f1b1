#pragma once

#include <QDialog>

#include <array>

class IniFile;
class QComboBox;
class RecordControl;
class UserDialogs;

// The record settings window "記錄設置": the quantity of each of the six
// channels, the sampling step and the save interval. Its lists are read from
// "SysSet.ini" once, at creation, and keep their state between openings;
// "確定" stores them and applies them to the recording at once. Modal.
class TRecSetForm : public QDialog {
    Q_OBJECT
public:
    TRecSetForm(const IniFile& sysSet, RecordControl& control, UserDialogs& dialogs,
                QWidget* parent = nullptr);

    void Button1Click(); // "確定"
    void Button2Click(); // "取消"

    QComboBox* ComboBox1 = nullptr;           // save interval
    QComboBox* ComboBox2 = nullptr;           // sampling step
    std::array<QComboBox*, 6> channelLists{}; // ComboBox3 .. ComboBox8, channels 1-6
    QComboBox* ComboBox9 = nullptr;           // temperature input, not available yet

private:
    const IniFile& sysSet_;
    RecordControl& control_;
    UserDialogs& dialogs_;
};
