#pragma once

#include <QString>

#include <optional>

class IniFile;

// The appearance choices kept in "SysSet.ini": "SkinSet"/"Skin" (0 the
// system look, 1-6 a skin file), "WaveSet"/"WaveBackground" and
// "WaveSet"/"ScaleColor" (chart colour index 0-2). Each defaults to "2" and is
// written as decimal text.
inline constexpr int kSkinChoices = 7;

// A saved choice in [0, count). Text that is not a decimal number counts as
// out of range: no value, and the caller then changes nothing.
std::optional<int> ParseChoice(const QString& text, int count);

std::optional<int> SavedSkin(const IniFile& sysSet);
std::optional<int> SavedChartBackground(const IniFile& sysSet);
std::optional<int> SavedChartGrid(const IniFile& sysSet);

// Skin 2 goes to the section spelt "skinSet"; names match without regard to
// letter case, so it is the same section as "SkinSet".
void SaveSkin(const IniFile& sysSet, int skin);
void SaveChartBackground(const IniFile& sysSet, int index);
void SaveChartGrid(const IniFile& sysSet, int index);
