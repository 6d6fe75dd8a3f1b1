// A real serial device the user may not open, scanned by a process of a user
// who lacks the permission: the no-port message names it. As root the scan
// runs as "nobody" (setpriv); as anyone else the device is made unreadable to
// its owner.
#include "ptypair.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kWorldReadable = 0755;

TEST(PortAccessTest, ScanNamesADeviceTheUserMayNotOpen)
{
    PtyPair forbidden;
    PtyPair allowed;
    ASSERT_TRUE(forbidden.ok() && allowed.ok());
    const bool root = ::geteuid() == 0;
    const QByteArray forbiddenPath = QFile::encodeName(forbidden.slavePath());
    const QByteArray allowedPath = QFile::encodeName(allowed.slavePath());
    ASSERT_EQ(::chmod(forbiddenPath.constData(), root ? 0600 : 0000), 0);
    ASSERT_EQ(::chmod(allowedPath.constData(), root ? 0666 : 0600), 0);

    // Everything the other user needs lies in a folder it may read.
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), kWorldReadable), 0);
    const QString scanner = dir.filePath("scanasuser");
    ASSERT_TRUE(QFile::copy(QStringLiteral(SCANASUSER_BINARY), scanner));
    ASSERT_EQ(::chmod(QFile::encodeName(scanner).constData(), kWorldReadable), 0);
    const QString settings = dir.filePath("SysSet.ini");
    {
        QFile f(settings);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[CommPort]\nPort=200\n[PortMap]\nCOM200=" + forbiddenPath
                + "\nCOM201=" + allowedPath + "\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(settings).constData(), 0644), 0);

    QProcess scan;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LSAN_OPTIONS"); // its suppression file may be out of the other user's reach
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.insert("USER", root ? "nobody" : env.value("USER"));
    scan.setProcessEnvironment(env);
    if (root)
        scan.start("setpriv",
                   {"--reuid=65534", "--regid=65534", "--clear-groups", "--", scanner, settings});
    else
        scan.start(scanner, {settings});
    ASSERT_TRUE(scan.waitForFinished(30000)) << scan.errorString().toStdString();
    const QString out = QString::fromUtf8(scan.readAllStandardOutput());
    const QString err = QString::fromUtf8(scan.readAllStandardError());
    ASSERT_EQ(scan.exitCode(), 0) << err.toStdString();
    const QStringList lines = out.split('\n');

    EXPECT_TRUE(lines.contains("denied: " + forbidden.slavePath())) << out.toStdString();
    EXPECT_FALSE(lines.contains("denied: " + allowed.slavePath())) << out.toStdString();
    EXPECT_TRUE(lines.contains("port: COM201")) << "a device the user may open is listed";
    const QString message = lines.filter("message: ").value(0);
    EXPECT_TRUE(message.contains("沒有找到預設端口")) << out.toStdString();
    EXPECT_TRUE(message.contains("無權開啟 " + forbidden.slavePath())
                || message.contains("、" + forbidden.slavePath()))
        << message.toStdString();
    EXPECT_TRUE(message.contains("dialout"));
}

} // namespace
