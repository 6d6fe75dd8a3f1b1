#pragma once

#include <QObject>

#include <cstdint>

class ResponseDispatcher;
class UserDialogs;
struct LinkState;

// How arming the instrument's burst log ended.
enum class ArmOutcome {
    MeasurementRunning, // a single test or continuous sampling runs: nothing sent
    Declined,           // the user answered No: nothing sent
    SendFailed,         // the port is closed: nothing sent, nothing changed
    Sent,               // the arm went out: the log is armed
};

// "啟動" of the logging window: asks the user to close the instrument's
// Starting switch and arms the log through the dispatcher (register 147 with
// the range code as its count), which awaits the log's start.
class LogArming : public QObject {
    Q_OBJECT
public:
    LogArming(LinkState& link, ResponseDispatcher& dispatcher, UserDialogs& dialogs,
              QObject* parent = nullptr);

    // Range code: current index * 16 + voltage index (each 0-3).
    static std::uint8_t RangeCode(int voltageIndex, int currentIndex);

    void Start(int voltageIndex, int currentIndex);

signals:
    void finished(ArmOutcome outcome);

private:
    LinkState& link_;
    ResponseDispatcher& dispatcher_;
    UserDialogs& dialogs_;
};
