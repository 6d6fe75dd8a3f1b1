#pragma once

#include "inifile.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;
class UserDialogs;

// "列印信息": the editor of the report information in "EnterInfo.ini". Its
// fields are filled once, at creation, and keep what the user typed for the
// rest of the run, saved or not; the date field starts with today's date.
class TEnterInfoForm : public QDialog {
    Q_OBJECT
public:
    TEnterInfoForm(IniFile enterInfo, UserDialogs& dialogs, QWidget* parent = nullptr);

    QLineEdit* Edit(int n) const { return edits_[n - 1]; } // fields 1-5
    QRadioButton* CelsiusButton() const { return celsius_; }
    QRadioButton* FahrenheitButton() const { return fahrenheit_; }

    // "確定": writes the six keys and closes; a refused write keeps the
    // window open with its fields and says which file failed.
    void Confirm();

signals:
    // The information was stored.
    void saved();

private:
    IniFile enterInfo_;
    UserDialogs& dialogs_;
    QLineEdit* edits_[5] = {};
    QRadioButton* celsius_ = nullptr;
    QRadioButton* fahrenheit_ = nullptr;
};
