#include "skinsetting.h"

#include "appearancesettings.h"
#include "inifile.h"
#include "regularfile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

// Off but for warnings; a skin that cannot be read is noted here only.
Q_LOGGING_CATEGORY(lcSkins, "qpa3600.appearance.skins", QtWarningMsg)

StyleSheetSetter ApplicationStyleSheetSetter()
{
    return [](const QString& styleSheet) { qApp->setStyleSheet(styleSheet); };
}

QString SkinFilePath(const QString& programFolder, int skin)
{
    return QDir(programFolder)
        .filePath(QStringLiteral("SkinsFile/%1.ats").arg(skin, 2, 10, QLatin1Char('0')));
}

std::optional<QString> SkinStyleSheet(const QString& programFolder, int skin)
{
    if (skin < 0 || skin >= kSkinChoices)
        return std::nullopt;
    if (skin == 0)
        return QString();
    // A missing or unreadable skin leaves the windows in the platform's look,
    // the look they were designed with; the user sees no message about it.
    // Only a regular file is read, opened without blocking: a named pipe in
    // its place would hold the start-up for ever.
    QFile file(SkinFilePath(programFolder, skin));
    int errorNumber = 0;
    const FileOpenError error = OpenRegularFile(file, QIODevice::ReadOnly, &errorNumber);
    if (error == FileOpenError::NotRegular || error == FileOpenError::Unreadable)
        qCWarning(lcSkins) << file.fileName() << "is not a readable skin file:"
                           << (error == FileOpenError::NotRegular
                                   ? QStringLiteral("not a regular file")
                                   : SystemReason(errorNumber));
    if (error != FileOpenError::None)
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
