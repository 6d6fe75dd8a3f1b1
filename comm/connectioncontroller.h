#pragma once

#include "deviceholders.h"
#include "inifile.h"
#include "linkrecovery.h"
#include "linkstatus.h"
#include "tcomm.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <vector>

class MeasurementControl;
class PortEnvironment;
class RequestSender;
class ResponseDispatcher;
struct LinkState;

// The link set-up behind the communication window: it restores port, baud
// rate and instrument address from "SysSet.ini", scans the ports, recognises
// the instrument's USB port, opens the link and starts the read-back chain;
// it applies the user's changes; and while the link runs over the
// instrument's USB port, Timer1 keeps it alive and reopens it after silence.
class ConnectionController : public QObject {
    Q_OBJECT
public:
    ConnectionController(LinkState& link, TComm& comm, RequestSender& sender,
                         ResponseDispatcher& dispatcher, MeasurementControl& control,
                         PortEnvironment& ports, IniFile sysSet, QObject* parent = nullptr);

    void ScanPorts();
    void SetCommPort(std::uint8_t n);

    // RadioGroup2: the user picked item `index` of the port list.
    void PortListClicked(int index);
    // ComboBox1: the list's index changed (-1: typed text that is no item).
    void BaudRateChanged(int index);
    // Edit1: the address text changed.
    void AddressChanged(const QString& text);
    // Edit1 takes only digits and backspace.
    static bool AddressKeyAccepted(QChar key);

    // A port the scan found that can be opened, in the list's order.
    struct PortItem {
        int number = 0;   // COMn
        bool usb = false; // the instrument's USB port
        bool operator==(const PortItem&) const = default;
    };
    // The list the window shows.
    const std::vector<PortItem>& portItems() const { return portItems_; }
    int selectedPortItem() const { return selectedPortItem_; }
    const QString& addressText() const { return addressText_; }
    bool addressValid() const { return addressValid_; }

    QTimer Timer1; // the USB link watchdog, 100 ms, always running

    // Reopens an ordinary serial link whose device vanished and came back.
    LinkRecovery& Recovery() { return recovery_; }

    // The devices the last scan found but could not open for lack of
    // permission, each once, in port order.
    const QStringList& deniedDevices() const { return deniedDevices_; }

signals:
    void portListChanged();
    void baudIndexChanged(int index); // select this item (-1: none)
    void addressTextChanged(const QString& text, bool valid);
    void linkStatusChanged(LinkStatus status);
    // The scan found the saved port neither free nor held by another program;
    // `deniedDevices` as deniedDevices() gives them.
    void noPortFound(const QStringList& deniedDevices);
    // The saved port COMn (`device`) exists but another program holds it;
    // `holders` names them where they are known.
    void savedPortBusy(int comNumber, const QString& device,
                       const std::vector<serial::DeviceHolder>& holders);
    // The port picked could not be opened.
    void openFailed(const ECommError& error);
    // The port opened, but the read-back's first request could not be sent.
    void readBackNotSent();

private:
    void WatchdogTick();
    bool openLink();                // false when the port could not be opened (already reported)
    void applyBaudIndex(int index); // -1 or a list index; rates only for list entries
    void sendKeepAlive();

    LinkState& link_;
    TComm& comm_;
    RequestSender& sender_;
    ResponseDispatcher& dispatcher_;
    MeasurementControl& control_;
    PortEnvironment& ports_;
    IniFile sysSet_;

    LinkRecovery recovery_;

    std::vector<PortItem> portItems_;
    QStringList deniedDevices_;
    int selectedPortItem_ = -1;
    QString addressText_;
    bool addressValid_ = false;
};
