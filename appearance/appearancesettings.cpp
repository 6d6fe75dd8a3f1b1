#include "appearancesettings.h"

#include "chartcolors.h"
#include "inifile.h"

namespace {

const QString kDefault = QStringLiteral("2");
const QString kWaveSet = QStringLiteral("WaveSet");

std::optional<int> savedChoice(const IniFile& sysSet, const QString& section, const QString& key,
                               int count)
{
    return ParseChoice(sysSet.ReadString(section, key, kDefault), count);
}

} // namespace

std::optional<int> ParseChoice(const QString& text, int count)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 0 || value >= count)
        return std::nullopt;
    return value;
}

std::optional<int> SavedSkin(const IniFile& sysSet)
{
    return savedChoice(sysSet, QStringLiteral("SkinSet"), QStringLiteral("Skin"), kSkinChoices);
}

std::optional<int> SavedChartBackground(const IniFile& sysSet)
{
    return savedChoice(sysSet, kWaveSet, QStringLiteral("WaveBackground"), kChartColorChoices);
}

std::optional<int> SavedChartGrid(const IniFile& sysSet)
{
    return savedChoice(sysSet, kWaveSet, QStringLiteral("ScaleColor"), kChartColorChoices);
}

void SaveSkin(const IniFile& sysSet, int skin)
{
    // The settings files of earlier versions were written this way; keeping
    // the spelling keeps such files byte for byte the same.
    const QString section = skin == 2 ? QStringLiteral("skinSet") : QStringLiteral("SkinSet");
    sysSet.WriteString(section, QStringLiteral("Skin"), QString::number(skin));
}

void SaveChartBackground(const IniFile& sysSet, int index)
{
    sysSet.WriteString(kWaveSet, QStringLiteral("WaveBackground"), QString::number(index));
}

void SaveChartGrid(const IniFile& sysSet, int index)
{
    sysSet.WriteString(kWaveSet, QStringLiteral("ScaleColor"), QString::number(index));
}
