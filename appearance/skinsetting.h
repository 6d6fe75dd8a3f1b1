#pragma once

#include <QString>

#include <functional>
#include <optional>

class IniFile;

// Skins are Qt style sheets: skin n (1-6) is the file "SkinsFile/0n.ats" in
// the program's folder, whose text becomes the application's style sheet as
// it stands. Skin 0 is the platform's own look: an empty style sheet.
using StyleSheetSetter = std::function<void(const QString& styleSheet)>;

// Sets the style sheet of the running QApplication.
StyleSheetSetter ApplicationStyleSheetSetter();

// The full path of skin 1-6's file.
QString SkinFilePath(const QString& programFolder, int skin);

// The style sheet of skin 0-6: empty for 0, the file's text for 1-6, empty
// when that file cannot be read. No value for any other number.
std::optional<QString> SkinStyleSheet(const QString& programFolder, int skin);

// Applies the skin saved in "SysSet.ini" ("SkinSet"/"Skin", default 2). A
// value that is out of range or not a number changes nothing.
void ApplySkinSetting(const IniFile& sysSet, const QString& programFolder,
                      const StyleSheetSetter& applyStyleSheet);
