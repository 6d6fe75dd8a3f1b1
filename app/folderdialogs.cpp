#include "folderdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QString kSection = QStringLiteral("FileDialogs");

} // namespace

FolderDialogs::FolderDialogs(UserDialogs& inner, IniFile settings)
    : inner_(inner), settings_(std::move(settings))
{
}

void FolderDialogs::message(const QString& text, Icon icon, const QString& caption)
{
    inner_.message(text, icon, caption);
}

bool FolderDialogs::askYesNo(const QString& caption, const QString& text)
{
    return inner_.askYesNo(caption, text);
}

QString FolderDialogs::KindOf(const QString& filter)
{
    static const QRegularExpression firstPattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QString suffix = firstPattern.match(filter).captured(1).toLower();
    if (suffix == QLatin1String("zqm"))
        return QStringLiteral("Snapshots");
    if (suffix == QLatin1String("zqr"))
        return QStringLiteral("RecordFiles");
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("png"))
        return QStringLiteral("Exports");
    if (suffix == QLatin1String("bmp"))
        return QStringLiteral("LogPictures");
    if (suffix == QLatin1String("pdf"))
        return QStringLiteral("ReportPdfs");
    return {};
}

QString FolderDialogs::startFolder(const QString& kind) const
{
    QString kept = settings_.ReadString(kSection, kind, QString());
    if (!kept.isEmpty() && QFileInfo(kept).isDir())
        return kept;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void FolderDialogs::remember(const QString& kind, const QString& chosen) const
{
    if (kind.isEmpty() || chosen.isEmpty())
        return;
    // A folder that cannot be kept (the settings cannot be written) is only
    // not offered next time; the file itself was chosen all the same.
    settings_.WriteString(kSection, kind, QFileInfo(chosen).absolutePath());
}

QString FolderDialogs::openFileName(const QString& caption, const QString& filter,
                                    const QString& folder)
{
    const QString kind = KindOf(filter);
    const QString start = folder.isEmpty() && !kind.isEmpty() ? startFolder(kind) : folder;
    QString chosen = inner_.openFileName(caption, filter, start);
    remember(kind, chosen);
    return chosen;
}

QString FolderDialogs::saveFileName(const QString& caption, const QString& filter,
                                    const QString& defaultName)
{
    const QString kind = KindOf(filter);
    QString offered = defaultName;
    // A bare name goes into the folder of its kind.
    if (!kind.isEmpty() && !defaultName.contains(QLatin1Char('/')))
        offered = QDir(startFolder(kind)).filePath(defaultName);
    QString chosen = inner_.saveFileName(caption, filter, offered);
    remember(kind, chosen);
    return chosen;
}
