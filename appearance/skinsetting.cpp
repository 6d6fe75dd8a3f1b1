#include "skinsetting.h"

#include "appearancesettings.h"
#include "inifile.h"

#include <QApplication>
#include <QDir>
#include <QFile>

StyleSheetSetter ApplicationStyleSheetSetter()
{
    return [](const QString& styleSheet) { qApp->setStyleSheet(styleSheet); };
}

QString SkinFilePath(const QString& programFolder, int skin)
{
    return QDir(programFolder).filePath(QStringLiteral("SkinsFile/%1.ats").arg(skin, 2, 10, QLatin1Char('0')));
}

std::optional<QString> SkinStyleSheet(const QString& programFolder, int skin)
{
    if (skin < 0 || skin >= kSkinChoices)
        return std::nullopt;
    if (skin == 0)
        return QString();
    // A missing or unreadable skin leaves the windows in the platform's look,
    // the look they were designed with; the user sees no message about it.
    QFile file(SkinFilePath(programFolder, skin));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void ApplySkinSetting(const IniFile& sysSet, const QString& programFolder,
                      const StyleSheetSetter& applyStyleSheet)
{
    const std::optional<int> skin = SavedSkin(sysSet);
    if (!skin)
        return;
    if (const std::optional<QString> styleSheet = SkinStyleSheet(programFolder, *skin))
        applyStyleSheet(*styleSheet);
}
