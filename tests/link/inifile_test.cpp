#include "inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("SysSet.ini"));
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("CommPort", "Port", "2"), "2");
    writeAll(path, "[CommPort]\nPort=7\n");
    EXPECT_EQ(ini.ReadString("CommBaudrate", "Baudrate", "2"), "2");
    EXPECT_EQ(ini.ReadString("CommPort", "Other", "x"), "x");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToLetterCase)
{
    writeAll(path, "[commport]\r\nPORT = 7 \r\n[WaveSet]\r\nWaveBackground=3\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("CommPort", "Port", "2"), "7");
    EXPECT_EQ(ini.ReadString("WAVESET", "wavebackground", "2"), "3");
}

TEST_F(IniFileTest, KeyOfAnotherSectionIsNotTaken)
{
    writeAll(path, "[A]\nPort=1\n[B]\nOther=2\n");
    EXPECT_EQ(IniFile(path).ReadString("B", "Port", "none"), "none");
}

TEST_F(IniFileTest, WriteCreatesTheFileAndItsFolder)
{
    const QString nested = dir.filePath(QStringLiteral("sub/SysSet.ini"));
    IniFile ini(nested);
    ASSERT_TRUE(ini.WriteString("CommPort", "Port", "5"));
    EXPECT_EQ(readAll(nested), "[CommPort]\nPort=5\n");
    EXPECT_EQ(ini.ReadString("commport", "port", "2"), "5");
}

TEST_F(IniFileTest, WriteChangesOnlyItsLineAndKeepsSpellingsAndComments)
{
    writeAll(path, "; link settings\r\n[commPORT]\r\nport=3\r\nExtra=keep me\r\n\r\n"
                   "[SkinSet]\r\nSkin=2\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("CommPort", "Port", "9"));
    EXPECT_EQ(readAll(path), "; link settings\r\n[commPORT]\r\nport=9\r\nExtra=keep me\r\n\r\n"
                             "[SkinSet]\r\nSkin=2\r\n");
}

TEST_F(IniFileTest, NewKeyJoinsTheEndOfItsSectionAndNewSectionTheEndOfTheFile)
{
    writeAll(path, "[CommPort]\nPort=3\n\n[SkinSet]\nSkin=2\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("commport", "Address", "4"));
    ASSERT_TRUE(ini.WriteString("WaveSet", "ScaleColor", "1"));
    EXPECT_EQ(readAll(path), "[CommPort]\nPort=3\nAddress=4\n\n[SkinSet]\nSkin=2\n"
                             "[WaveSet]\nScaleColor=1\n");
}

TEST_F(IniFileTest, ValuesAreUtf8Text)
{
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("PrintInfo", "conner", QStringLiteral("測試公司")));
    EXPECT_EQ(ini.ReadString("PrintInfo", "conner", ""), QStringLiteral("測試公司"));
}

TEST_F(IniFileTest, UnwritableFolderReportsFailureAndKeepsNothingHalfWritten)
{
    IniFile ini(QStringLiteral("/proc/no-such-folder/SysSet.ini"));
    EXPECT_FALSE(ini.WriteString("CommPort", "Port", "1"));
}

} // namespace

namespace {

TEST_F(IniFileTest, OverridesStandInForTheFileForThisRunOnly)
{
    writeAll(path, "[CommPort]\nPort=3\n");
    IniFile ini(path);
    ini.setOverride("CommPort", "Port", "250");
    const IniFile copy = ini; // windows hold copies; they see the same override
    EXPECT_EQ(copy.ReadString("commport", "PORT", "2"), "250");
    ASSERT_TRUE(copy.WriteString("CommPort", "Port", "251"));
    EXPECT_EQ(ini.ReadString("CommPort", "Port", "2"), "251");
    EXPECT_EQ(readAll(path), "[CommPort]\nPort=3\n");
}

} // namespace

namespace {

TEST_F(IniFileTest, ReadSectionGivesEveryPresentKeyInOneRead)
{
    writeAll(path, "[portmap]\nCOM7 = /dev/ttyUSB3\nCOM8=\n;COM9=/dev/x\n[Other]\nCOM7=no\n");
    IniFile ini(path);
    ini.setOverride("PortMap", "COM200", "/dev/pts/4");
    const QHash<QString, QString> section = ini.ReadSection("PortMap");
    EXPECT_EQ(section.size(), 3);
    EXPECT_EQ(section.value("com7"), "/dev/ttyUSB3");
    EXPECT_TRUE(section.contains("com8")); // present though empty
    EXPECT_EQ(section.value("com200"), "/dev/pts/4");
    EXPECT_TRUE(IniFile(dir.filePath("missing.ini")).ReadSection("PortMap").isEmpty());
}

} // namespace
