#pragma once

#include <QDialog>

#include <cstdint>

class MeasurementOptions;
class QLineEdit;
class QPushButton;
class RequestSender;
class ResponseDispatcher;
class TComm;
class UserDialogs;
struct LinkState;

// The service window that drives the instrument's calibration: reference
// voltage and current as a calibrator applies them, the unlock command, the
// temperature commands and the band choice. Every button sends one write and
// nothing waits for its acknowledgement. Modeless; its menu item is hidden.
class TCalibrateForm : public QDialog {
    Q_OBJECT
public:
    TCalibrateForm(LinkState& link, TComm& comm, RequestSender& sender,
                   ResponseDispatcher& dispatcher, MeasurementOptions& options,
                   UserDialogs& dialogs, QWidget* parent = nullptr);

    void CalibrateVoltage(); // "校准" beside the voltage field
    void CalibrateCurrent(); // "校准" beside the current field
    // "开锁" (185, 0xB6) and the temperature buttons (166, codes 0-3).
    void SendCommand(std::uint16_t reg, std::uint8_t code);

    QLineEdit* Edit1 = nullptr; // reference voltage
    QLineEdit* Edit2 = nullptr; // reference current
    QPushButton* voltageButton = nullptr;
    QPushButton* currentButton = nullptr;
    QPushButton* button(const QString& caption) const; // by caption, for the presets and commands

private:
    bool ensurePortOpen();
    bool readField(QLineEdit* field, const QString& name, float* value);

    LinkState& link_;
    TComm& comm_;
    RequestSender& sender_;
    ResponseDispatcher& dispatcher_;
    UserDialogs& dialogs_;
};
