#include "installcheck.h"
#include "settingsfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The program's data beside it (a build folder) or under ../share/qpa3600
// (an installed program); beside wins when both exist.
TEST(DataFolderTest, FoundBesideTheProgramOrInTheInstalledShareFolder)
{
    const struct Case {
        const char* name;
        QStringList folders;  // made under the root
        const char* expected; // relative to the root
    } cases[] = {
        {"build folder", {"bin/SkinsFile"}, "bin"},
        {"installed", {"bin", "share/qpa3600/SkinsFile"}, "share/qpa3600"},
        {"both", {"bin/SkinsFile", "share/qpa3600/SkinsFile"}, "bin"},
        {"neither", {"bin"}, "bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        for (const QString& folder : c.folders)
            ASSERT_TRUE(QDir(root.path()).mkpath(folder));
        EXPECT_EQ(DataFolderFor(root.filePath("bin")), root.filePath(c.expected));
    }
}

TEST(DataFolderTest, CheckInstallNamesWhatIsMissing)
{
    QTemporaryDir data;
    QString report;
    EXPECT_FALSE(CheckInstall(data.path(), "/settings", &report));
    EXPECT_TRUE(report.contains("SkinsFile/01.ats")) << report.toStdString();
    EXPECT_TRUE(report.contains("PenData/*.dat"));

    ASSERT_TRUE(QDir(data.path()).mkpath("SkinsFile"));
    ASSERT_TRUE(QDir(data.path()).mkpath("PenData"));
    for (const char* name :
         {"SkinsFile/01.ats", "SkinsFile/02.ats", "SkinsFile/03.ats", "SkinsFile/04.ats",
          "SkinsFile/05.ats", "SkinsFile/06.ats", "PenData/red.dat"}) {
        QFile f(data.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(CheckInstall(data.path(), "/settings", &report));
    EXPECT_EQ(report, "data: " + data.path() + "\nsettings: /settings\nskins: 6, pens: 1\n");
}

} // namespace
