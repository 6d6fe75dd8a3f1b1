#include "userdialogs.h"

#include <QFileInfo>

QString UserDialogs::saveFileNameOverwriting(const QString& caption, const QString& filter,
                                             const QString& defaultName,
                                             const QString& overwriteQuestion)
{
    QString path = saveFileName(caption, filter, defaultName);
    if (path.isEmpty())
        return {};
    if (QFileInfo::exists(path) && !askYesNo(QStringLiteral("檔案存在"), overwriteQuestion))
        return {};
    return path;
}
