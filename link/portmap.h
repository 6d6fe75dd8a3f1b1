#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

class IniFile;

// COM numbers stand for Linux serial devices: COM1-COM32 are /dev/ttyS0-31,
// COM33-COM64 /dev/ttyUSB0-31, COM65-COM96 /dev/ttyACM0-31; above COM96 there
// is no device unless "SysSet.ini" maps one. Section "PortMap", key "COMn"
// (any letter case) names the device of COMn instead, e.g.
// "COM7=/dev/serial/by-id/usb-..." or a pseudo-terminal path.
QString DefaultDevicePath(int comNumber);
QString PortMapDevicePath(int comNumber, const IniFile* sysSet);

// The file name to open for a device path of the COM map. A path from
// "SysSet.ini" may hold bytes that are not UTF-8 (a by-id name written in
// Latin-1); they are carried through QString losslessly and come back here
// byte for byte, where QFile::encodeName would replace them.
QByteArray DevicePathBytes(const QString& devicePath);

// The device identifier of COMn, in the form "USB\VID_vvvv&PID_pppp\serial"
// for USB adapters: key "COMnId" of section "PortMap" when present, otherwise
// what udev knows of the device (through QSerialPortInfo), otherwise empty.
QString PortMapDeviceId(int comNumber, const IniFile* sysSet);

// The COM map and the udev identifiers read once, for a scan that looks at
// every port number: "SysSet.ini" and the device list are read here, not
// again per port.
class PortDirectory {
public:
    explicit PortDirectory(const IniFile* sysSet);

    QString devicePath(int comNumber) const;
    QString deviceId(int comNumber) const;

private:
    QHash<QString, QString> portMap_;     // keys of section "PortMap", lower case
    QHash<QString, QString> idsByDevice_; // canonical device path -> identifier
};
