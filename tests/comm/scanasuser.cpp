// Runs one port scan of the real serial devices with the COM map of the
// "SysSet.ini" named as the only argument, and prints the message the user
// would see and the devices found without permission. The access test
// starts it as another user than its own.
#include "connectioncontroller.h"
#include "inifile.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "measurementrecord.h"
#include "portenvironment.h"
#include "tcommform.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: scanasuser SYSSET.INI\n", stderr);
        return 2;
    }
    const IniFile sysSet(QString::fromLocal8Bit(argv[1]));
    LinkState link;
    MeasurementRecord record;
    InstrumentLink parts(link, record);
    SystemPorts ports(sysSet);
    parts.Comm1.setDeviceResolver([&sysSet](int n) { return PortMapDevicePath(n, &sysSet); });
    ConnectionController controller(link, parts.Comm1, parts.sender, parts.dispatcher,
                                    parts.control, ports, sysSet);
    // The messages as the communication window words them.
    QStringList messages;
    QObject::connect(&controller, &ConnectionController::noPortFound,
                     [&messages](const QStringList& denied) {
                         messages << TCommForm::NoPortMessage(denied, qEnvironmentVariable("USER"));
                     });
    controller.ScanPorts();
    for (const QString& text : messages)
        std::printf("message: %s\n", text.toUtf8().replace('\r', '|').constData());
    for (const QString& device : controller.deniedDevices())
        std::printf("denied: %s\n", device.toUtf8().constData());
    for (const ConnectionController::PortItem& item : controller.portItems())
        std::printf("port: %s\n",
                    TCommForm::PortItemText(item.number, item.usb).trimmed().toUtf8().constData());
    return 0;
}
