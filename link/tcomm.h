#pragma once

#include "bytetransport.h"
#include "serialdevice.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// Port numbers: value n-1 stands for COMn (pnCOM1 = 0 ... pnCOM255 = 254).
using TComPortNumber = int;
inline constexpr TComPortNumber pnCOM1 = 0;
inline constexpr TComPortNumber pnCOM2 = 1;
inline constexpr TComPortNumber pnCOM255 = 254;

enum class TBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br76800,
    br115200,
    br230400
};
enum class THWHandShaking { hhNone, hhNoneRTSON, hhRTSCTS };
enum class TSWHandShaking { shNone, shXonXoff };
enum class TDataBits { DB5, DB6, DB7, DB8 };
enum class TParity { None, Odd, Even, Mark, Space };
enum class TStopBits { SB1, SB1_5, SB2 };

// Bits per second of each TBaudRate, in enumeration order.
int BaudRateValue(TBaudRate rate);

// Raised when the port cannot be opened or is used while closed. It carries
// the reason and what the user is told about (the device, the programs
// holding it); the windows word it.
class ECommError : public std::runtime_error {
public:
    enum class Reason {
        OpenFailed,   // no device for the port, or the open failed otherwise
        NotSerial,    // the device takes no line settings or queues
        HeldByOther,  // another program holds the device
        NoPermission, // this user may not open the device
        NotOpen,      // used while closed
        AlreadyOpen,  // opened while open
        // A network port (see networkaddress.h):
        BadAddress,   // the port map's text is no address: another scheme, no port
        HostNotFound, // the host's name is not known
        Refused,      // nothing listens at the host's port
        Unreachable,  // the host did not answer, or the network failed
    };

    explicit ECommError(Reason reason, QString device = {},
                        std::vector<serial::DeviceHolder> holders = {})
        : std::runtime_error("serial port error"), reason_(reason), device_(std::move(device)),
          holders_(std::move(holders))
    {
    }
    Reason reason() const { return reason_; }
    // The device path, or a network port's address as the port map gives it;
    // empty where no device was found.
    const QString& device() const { return device_; }
    // For HeldByOther: the programs holding it where they are known.
    const std::vector<serial::DeviceHolder>& holders() const { return holders_; }

private:
    Reason reason_;
    QString device_;
    std::vector<serial::DeviceHolder> holders_;
};

// The program's serial port. It never waits for data: a 100 ms timer on the
// event loop polls the device and raises OnReceiveData when at least
// RThreshold bytes wait; the handler then reads them with ReadInputBytes.
// At most 4096 waiting bytes are read at once; more are discarded.
//
// On Linux the port is a termios device opened exclusively (TIOCEXCL and a
// non-blocking flock, which also stops root); every rate of TBaudRate is set
// through termios2/BOTHER.
//
// A port the map points at a network address ("tcp://HOST:PORT",
// "rfc2217://HOST:PORT") is a TCP connection to a serial device server. Its
// open only starts the connection: the port counts as open at once, what is
// written meanwhile goes out when the connection is made (Connected), and a
// server that cannot be reached closes the port again (ConnectFailed). A
// connection lost later is a lost device (DeviceLost).
class TComm : public QObject {
    Q_OBJECT
public:
    static constexpr int kQueueSize = 4096;

    explicit TComm(QObject* parent = nullptr);
    ~TComm() override;

    // Which device stands for COMn (n = port number + 1). The default maps
    // through PortMapDevicePath without a settings file.
    void setDeviceResolver(std::function<QString(int comNumber)> resolver);

    TComPortNumber CommPort() const { return commPort_; }
    void setCommPort(TComPortNumber port) { commPort_ = port; } // takes effect at the next open

    bool PortOpen() const { return transport_ != nullptr; }
    // Open, but the network connection is not made yet.
    bool Connecting() const { return transport_ && !ready_; }
    // Opening when open announces refused(AlreadyOpen) and keeps the port; a
    // failed open throws ECommError and leaves the port closed. Closing never
    // fails.
    void setPortOpen(bool open);

    TBaudRate BaudRate() const { return baudRate_; }
    void setBaudRate(TBaudRate value);
    THWHandShaking HwHandShaking() const { return hwHandShaking_; }
    void setHwHandShaking(THWHandShaking value);
    TSWHandShaking SwHandShaking() const { return swHandShaking_; }
    void setSwHandShaking(TSWHandShaking value);
    TDataBits DataBits() const { return dataBits_; }
    void setDataBits(TDataBits value);
    TParity Parity() const { return parity_; }
    void setParity(TParity value);
    TStopBits StopBits() const { return stopBits_; }
    void setStopBits(TStopBits value);

    std::uint32_t CommEvent() const { return commEvent_; }
    std::uint32_t CommError() const { return commError_; }

    int InputLen = 0; // bytes per read, 0 = all waiting bytes
    int RThreshold() const { return rThreshold_; }
    void setRThreshold(int value) { rThreshold_ = value; }

    bool CDHolding() const { return cdHolding_; }
    bool DSRHolding() const { return dsrHolding_; }
    bool RIHolding() const { return riHolding_; }
    bool CTSHolding() const { return ctsHolding_; }

    bool DTREnabled() const { return dtrEnabled_; }
    void setDTREnabled(bool value);
    bool RTSEnabled() const { return rtsEnabled_; }
    void setRTSEnabled(bool value);

    // Waiting input bytes; writing 0 discards them, other values do nothing.
    int DataCount();
    void setDataCount(int value);

    // With the port closed announces refused(NotOpen) and returns false;
    // otherwise writes and returns true without judging the outcome.
    bool WriteData(const std::uint8_t* buffer, int count);

    // Reads the waiting input (see ReadPortInput) and returns the last input
    // read, which is the previous one when nothing could be read now.
    QByteArray ReadInputBytes();
    // The same read; the text of the input up to its first zero byte.
    QString Input();

    // Whether the most recent read took new bytes from the device. False when
    // the queue was empty or held more than 4096 bytes and was discarded:
    // ReadInputBytes then returned the previous input once more.
    bool LastReadFresh() const { return lastReadFresh_; }

    // Samples the modem lines and sets CommEvent to the change bits
    // (32 carrier, 16 DSR, 256 ring, 8 CTS). Throws ECommError when closed.
    void UpdateModemStatus();

    // Whether the open device was found gone (see DeviceLost).
    bool DeviceFailed() const { return transport_ && deviceFailed_; }

    // The device path used by the last successful open (empty when closed).
    QString devicePath() const { return devicePath_; }

    // One look at the port, as PollTimer takes every 100 ms: raises the
    // receive and modem events that are due. Tests drive it instead of
    // waiting for the timer.
    void PollPort();

signals:
    void OnReceiveData();
    void OnReceiveError(std::uint32_t eventMask);
    void OnModemStateChange(std::uint32_t modemEvent);
    // The open device hung up or started failing (unplugged, its far end
    // gone). Raised once per open, by the poll.
    void DeviceLost();
    // A network port's connection is made; written bytes that waited for it
    // went out.
    void Connected();
    // A network port could not be reached; the port is closed again.
    void ConnectFailed(const ECommError& error);
    // A call the port refused in its state (AlreadyOpen, NotOpen): whoever
    // owns the port tells the user.
    void refused(ECommError::Reason reason);

private:
    void OpenPort();
    void OpenNetworkPort(const QString& address);
    void ClosePort();
    void advanceConnection();
    void ApplyPortSettings();
    void ReadPortInput();
    int queuedCount(); // also refreshes CommError; -1 when the device fails
    void settingChanged();
    void discardInput();
    std::uint32_t lineErrorFlags();

    std::function<QString(int)> resolver_;
    QTimer PollTimer;
    // While a network port connects, its progress is followed more often
    // than the poll looks at the port.
    QTimer ConnectTimer;
    std::unique_ptr<ByteTransport> transport_;
    bool ready_ = false;
    QByteArray pendingOutput_; // written while connecting
    QString devicePath_;

    TComPortNumber commPort_ = pnCOM2;
    TBaudRate baudRate_ = TBaudRate::br9600;
    THWHandShaking hwHandShaking_ = THWHandShaking::hhNone;
    TSWHandShaking swHandShaking_ = TSWHandShaking::shNone;
    TDataBits dataBits_ = TDataBits::DB8;
    TParity parity_ = TParity::None;
    TStopBits stopBits_ = TStopBits::SB1;
    std::uint32_t commEvent_ = 0;
    std::uint32_t commError_ = 0;
    int rThreshold_ = 0;
    bool cdHolding_ = false, dsrHolding_ = false, riHolding_ = false, ctsHolding_ = false;
    bool dtrEnabled_ = false, rtsEnabled_ = false;

    // The input queue: bytes taken from the device but not yet read, at most
    // one byte over kQueueSize (enough to see that the limit was passed).
    QByteArray receiveQueue_;
    serial::ErrorCounters errorCounts_;
    bool errorCountsKnown_ = false;
    bool deviceFailed_ = false;
    bool lossAnnounced_ = false;

    QByteArray InputBytes;
    bool lastReadFresh_ = false;
    QString inputText_;
};
