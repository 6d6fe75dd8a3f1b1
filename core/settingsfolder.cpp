#include "settingsfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

QString ProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString DataFolderFor(const QString& executableFolder)
{
    const QDir beside(executableFolder);
    if (beside.exists(QStringLiteral("SkinsFile")))
        return beside.path();
    QString installed = QDir::cleanPath(beside.filePath(QStringLiteral("../share/qpa3600")));
    if (QFileInfo(installed).isDir())
        return installed;
    return beside.path();
}

QString DataFolder()
{
    return DataFolderFor(ProgramFolder());
}

QString SettingsFolder()
{
    QString beside = ProgramFolder();
    // An installed program keeps its settings per user, even when run by root:
    // files written into a system folder would outlive the package.
    if (DataFolder() == beside && ::access(QFile::encodeName(beside).constData(), W_OK) == 0)
        return beside;
    QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(perUser);
    return perUser;
}
