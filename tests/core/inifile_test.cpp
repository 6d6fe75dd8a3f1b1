#include "inifile.h"

#include "losslessutf8.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

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

namespace {

struct stat statOf(const QString& path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
}

// A write replaces the one line it concerns (or adds one) and keeps every
// other byte: legacy code pages, byte order mark, each line's own ending, a
// last line without a break.
TEST_F(IniFileTest, WriteKeepsEveryOtherByteOfTheFile)
{
    struct Case {
        const char* name;
        QByteArray before;
        const char* section;
        const char* key;
        QString value;
        QByteArray after;
    };
    const Case cases[] = {
        {"foreign bytes around the changed line",
         "\xEF\xBB\xBF; \xB3\x5D\xA9\x77\r\n[CommPort]\r\nPort=3\r\n[PortMap]\r\n"
         "COM7=/dev/serial/by-id/usb-Caf\xE9_adapter\r\n",
         "commport", "port", "9",
         "\xEF\xBB\xBF; \xB3\x5D\xA9\x77\r\n[CommPort]\r\nPort=9\r\n[PortMap]\r\n"
         "COM7=/dev/serial/by-id/usb-Caf\xE9_adapter\r\n"},
        {"a section on the first line after a byte order mark", "\xEF\xBB\xBF[A]\nx=1\n", "a", "X",
         "2", "\xEF\xBB\xBF[A]\nx=2\n"},
        {"the new value is written in UTF-8", "[A]\nx=1\ny=\xE9", "A", "y",
         QStringLiteral("caf\u00e9"), "[A]\nx=1\ny=caf\xC3\xA9"},
        {"each line keeps its own ending", "[A]\r\nx=1\ny=2\r\n", "A", "x", "5",
         "[A]\r\nx=5\ny=2\r\n"},
        {"a key added after a last line without a break", "[A]\r\nx=1", "A", "z", "2",
         "[A]\r\nx=1\r\nz=2"},
        {"a key added to a section whose header ends the file", "[A]", "A", "z", "2", "[A]\nz=2"},
        {"a section added after a last line without a break", "[A]\nx=1", "B", "k", "v",
         "[A]\nx=1\n[B]\nk=v\n"},
        {"the line that reads is the line that changes", "[A]\nx=1\n[B]\ny=1\n[a]\nz=1\n", "A", "z",
         "2", "[A]\nx=1\n[B]\ny=1\n[a]\nz=2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(path, c.before);
        IniFile ini(path);
        ASSERT_TRUE(ini.WriteString(c.section, c.key, c.value));
        EXPECT_EQ(readAll(path), c.after);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), c.value);
    }
}

TEST_F(IniFileTest, UnchangedValueWritesNothing)
{
    writeAll(path, "[CommPort]\r\nPORT = 3 \r\n[WaveSet]\r\nScaleColor=\r\n");
    const struct stat before = statOf(path);
    IniFile ini(path);
    EXPECT_TRUE(ini.WriteString("commport", "Port", "3"));
    EXPECT_TRUE(ini.WriteString("WaveSet", "ScaleColor", ""));
    const struct stat after = statOf(path);
    // The file is replaced as a whole on every write, so a new inode would
    // show one.
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(readAll(path), "[CommPort]\r\nPORT = 3 \r\n[WaveSet]\r\nScaleColor=\r\n");
}

TEST_F(IniFileTest, ValueInAnotherEncodingComesBackByteForByte)
{
    const QByteArray device = "/dev/serial/by-id/usb-Caf\xE9_adapter-\xB3\x5D";
    writeAll(path, "[PortMap]\nCOM7=" + device + "\n");
    IniFile ini(path);
    const QString read = ini.ReadString("PortMap", "COM7", "");
    EXPECT_EQ(ToUtf8Lossless(read), device);
    EXPECT_EQ(ToUtf8Lossless(ini.ReadSection("portmap").value("com7")), device);
    ASSERT_TRUE(ini.WriteString("PortMap", "COM7", read));
    ASSERT_TRUE(ini.WriteString("PortMap", "COM8", read));
    EXPECT_EQ(readAll(path), "[PortMap]\nCOM7=" + device + "\nCOM8=" + device + "\n");
}

TEST_F(IniFileTest, EveryCopyAndEveryChangeOnDiskIsSeen)
{
    writeAll(path, "[CommPort]\nPort=3\n");
    IniFile first(path);
    IniFile second(path);
    EXPECT_EQ(second.ReadString("CommPort", "Port", ""), "3");
    ASSERT_TRUE(first.WriteString("CommPort", "Port", "4"));
    EXPECT_EQ(second.ReadString("CommPort", "Port", ""), "4");
    // Another program rewrites the file in place, same size, within the same
    // tick of the file system's clock.
    writeAll(path, "[CommPort]\nPort=5\n");
    EXPECT_EQ(second.ReadString("CommPort", "Port", ""), "5");
    EXPECT_EQ(first.ReadString("CommPort", "Port", ""), "5");
    QFile::remove(path);
    EXPECT_EQ(first.ReadString("CommPort", "Port", "gone"), "gone");
}

// A named pipe without a writer would block a plain open for ever; a folder
// cannot be read. Either reads as an empty file and is left where it is.
TEST_F(IniFileTest, PathThatIsNoRegularFileReadsAsEmptyAndIsNotReplaced)
{
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
        mode_t type;
    };
    const Case cases[] = {
        {"named pipe", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; },
         S_IFIFO},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }, S_IFDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString settings = dir.filePath(QString::fromLatin1(c.name) + ".ini");
        ASSERT_TRUE(c.make(settings));
        IniFile ini(settings);
        EXPECT_EQ(ini.ReadString("CommPort", "Port", "2"), "2");
        EXPECT_TRUE(ini.ReadSection("PortMap").isEmpty());
        EXPECT_FALSE(ini.WriteString("CommPort", "Port", "5"));
        EXPECT_EQ(statOf(settings).st_mode & S_IFMT, c.type);
    }
}

} // namespace
