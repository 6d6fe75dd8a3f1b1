#include "inifile.h"
#include "skinfolder.h"
#include "skinsetting.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sys/stat.h>

namespace {

TEST(SkinFilePath, NamesTheTwoDigitFileInSkinsFile)
{
    EXPECT_EQ(SkinFilePath(QStringLiteral("/opt/qpa"), 1),
              QStringLiteral("/opt/qpa/SkinsFile/01.ats"));
    EXPECT_EQ(SkinFilePath(QStringLiteral("/opt/qpa"), 6),
              QStringLiteral("/opt/qpa/SkinsFile/06.ats"));
}

// What ApplySkinSetting hands to the application for a saved "Skin" value;
// no value means the style sheet is left alone.
TEST(ApplySkinSetting, AppliesTheSavedSkin)
{
    struct Case {
        const char* sysSet;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"", SkinFolder::skinText(2)},
        {"[SkinSet]\nSkin=0\n", QString()},
        {"[skinset]\nSKIN=3\n", SkinFolder::skinText(3)},
        {"[SkinSet]\nSkin=6\n", SkinFolder::skinText(6)},
        {"[SkinSet]\nSkin=7\n", std::nullopt},
        {"[SkinSet]\nSkin=-1\n", std::nullopt},
        {"[SkinSet]\nSkin=abc\n", std::nullopt},
        {"[SkinSet]\nSkin=\n", std::nullopt},
    };
    for (const Case& c : cases) {
        SkinFolder folder;
        folder.writeAllSkins();
        folder.writeSysSet(c.sysSet);
        std::optional<QString> applied;
        int calls = 0;
        ApplySkinSetting(IniFile(folder.sysSetPath()), folder.path(), [&](const QString& sheet) {
            applied = sheet;
            ++calls;
        });
        EXPECT_EQ(applied, c.expected) << c.sysSet;
        EXPECT_LE(calls, 1);
        EXPECT_EQ(folder.sysSetText(), QByteArray(c.sysSet)) << "nothing is written";
    }
}

TEST(ApplySkinSetting, HandsTheFileTextOverUnchanged)
{
    SkinFolder folder;
    const QByteArray text = "/* 風格 3 */\r\nQPushButton { color: red; }\r\n\tQLabel{}";
    folder.writeSkin(3, text);
    folder.writeSysSet("[SkinSet]\nSkin=3\n");
    QString applied;
    ApplySkinSetting(IniFile(folder.sysSetPath()), folder.path(),
                     [&](const QString& sheet) { applied = sheet; });
    EXPECT_EQ(applied.toUtf8(), text);
}

// Nothing to read (missing), or nothing that may be read: a named pipe,
// which a plain open would wait on for ever, or a folder.
TEST(ApplySkinSetting, SkinThatIsNoReadableFileGivesThePlatformLook)
{
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
    };
    const Case cases[] = {
        {"missing", [](const QString&) { return true; }},
        {"named pipe", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SkinFolder folder;
        folder.writeSysSet("[SkinSet]\nSkin=5\n");
        ASSERT_TRUE(QDir(folder.path()).mkpath("SkinsFile"));
        ASSERT_TRUE(c.make(SkinFilePath(folder.path(), 5)));
        std::optional<QString> applied;
        ApplySkinSetting(IniFile(folder.sysSetPath()), folder.path(),
                         [&](const QString& sheet) { applied = sheet; });
        EXPECT_EQ(applied, QString());
    }
}

TEST(ApplicationStyleSheetSetter, SetsTheApplicationStyleSheet)
{
    ApplicationStyleSheetSetter()(QStringLiteral("QPushButton { color: red; }"));
    EXPECT_EQ(qApp->styleSheet(), QStringLiteral("QPushButton { color: red; }"));
    ApplicationStyleSheetSetter()(QString());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

} // namespace
