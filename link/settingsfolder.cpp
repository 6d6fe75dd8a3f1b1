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

QString SettingsFolder()
{
    const QString beside = ProgramFolder();
    if (::access(QFile::encodeName(beside).constData(), W_OK) == 0)
        return beside;
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(perUser);
    return perUser;
}
