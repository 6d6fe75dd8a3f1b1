#include "portmap.h"

#include "inifile.h"
#include "tcomm.h"

#include "eventwait.h"
#include "ptypair.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(PortMap, ComNumbersFollowTheDeviceFamilies)
{
    struct Case {
        int com;
        const char* path;
    };
    const Case cases[] = {
        {1, "/dev/ttyS0"},
        {2, "/dev/ttyS1"},
        {32, "/dev/ttyS31"},
        {33, "/dev/ttyUSB0"},
        {64, "/dev/ttyUSB31"},
        {65, "/dev/ttyACM0"},
        {96, "/dev/ttyACM31"},
        {97, ""},
        {255, ""},
        {0, ""},
        {-1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.com);
        EXPECT_EQ(DefaultDevicePath(c.com), QString::fromLatin1(c.path));
        EXPECT_EQ(PortMapDevicePath(c.com, nullptr), QString::fromLatin1(c.path));
    }
}

class PortMapFileTest : public ::testing::Test {
protected:
    void write(const QByteArray& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("SysSet.ini"));
    IniFile sysSet{path};
};

TEST_F(PortMapFileTest, SettingsNameTheDeviceOfAPort)
{
    write("[CommPort]\nPort=7\n"
          "[portmap]\n"
          "com7=/dev/pts/9\n"
          "COM100 = /tmp/qpa-sim\n"
          "Com33=\n"
          "cOm40=0\n"
          "[Other]\n"
          "COM8=/dev/wrong\n");
    struct Case {
        int com;
        const char* path;
    };
    const Case cases[] = {
        {7, "/dev/pts/9"},     // any letter case
        {100, "/tmp/qpa-sim"}, // beyond the default families
        {33, ""},              // present but empty: no device
        {40, "0"},
        {8, "/dev/ttyS7"}, // another section's key does not count
        {1, "/dev/ttyS0"},
        {97, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.com);
        EXPECT_EQ(PortMapDevicePath(c.com, &sysSet), QString::fromLatin1(c.path));
    }
}

TEST_F(PortMapFileTest, MissingFileOrSectionKeepsTheDefaults)
{
    EXPECT_EQ(PortMapDevicePath(33, &sysSet), QStringLiteral("/dev/ttyUSB0"));
    write("[CommPort]\nPort=3\n");
    EXPECT_EQ(PortMapDevicePath(65, &sysSet), QStringLiteral("/dev/ttyACM0"));
    EXPECT_TRUE(PortMapDeviceId(200, &sysSet).isEmpty());
}

TEST_F(PortMapFileTest, IdentifierFromSettingsOrNone)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    write("[PortMap]\n"
          "COM7="
          + pty.slavePath().toLocal8Bit()
          + "\n"
            "com7id=USB\\VID_0483&PID_5732\\6D8A1234\n"
            "COM9="
          + pty.slavePath().toLocal8Bit()
          + "\n"
            "Com12Id=\n");
    EXPECT_EQ(PortMapDeviceId(7, &sysSet), QStringLiteral("USB\\VID_0483&PID_5732\\6D8A1234"));
    // A pseudo-terminal is no USB device: no identifier without the key.
    EXPECT_TRUE(PortMapDeviceId(9, &sysSet).isEmpty());
    EXPECT_TRUE(PortMapDeviceId(12, &sysSet).isEmpty());
    EXPECT_TRUE(PortMapDeviceId(150, &sysSet).isEmpty()) << "no device, no identifier";
    EXPECT_TRUE(PortMapDeviceId(0, nullptr).isEmpty());
}

// A by-id name written in Latin-1: the program must open the device at
// exactly those bytes, also after it changed another value of the file.
TEST_F(PortMapFileTest, DevicePathInAnotherEncodingOpensThatDevice)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const QByteArray link = QFile::encodeName(dir.path()) + "/usb-Caf\xE9_adapter";
    ASSERT_EQ(::symlink(QFile::encodeName(pty.slavePath()).constData(), link.constData()), 0);
    const QByteArray mapping = "; \xB3\x5D\xA9\x77\n[PortMap]\nCOM7=" + link + "\n";
    write(mapping);
    ASSERT_TRUE(sysSet.WriteString("CommPort", "Port", "7"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), mapping + "[CommPort]\nPort=7\n");

    EXPECT_EQ(DevicePathBytes(PortMapDevicePath(7, &sysSet)), link);
    EXPECT_EQ(DevicePathBytes(PortDirectory(&sysSet).devicePath(7)), link);
    TComm comm;
    int refusals = 0;
    QObject::connect(&comm, &TComm::refused, [&](ECommError::Reason) { ++refusals; });
    comm.setDeviceResolver([this](int comNumber) { return PortMapDevicePath(comNumber, &sysSet); });
    comm.setCommPort(6); // COM7
    ASSERT_NO_THROW(comm.setPortOpen(true));
    const std::uint8_t request[] = {0x01, 0x03};
    ASSERT_TRUE(comm.WriteData(request, 2));
    QByteArray arrived;
    EXPECT_TRUE(WaitUntil([&] { return (arrived += pty.receive()).size() >= 2; }, 5000));
    EXPECT_EQ(arrived, QByteArray("\x01\x03", 2));
    EXPECT_EQ(refusals, 0);
}

} // namespace
