#pragma once

#include <QHash>
#include <QString>

#include <memory>

class IniFileStore;

// A settings file in the classic INI layout with the profile semantics the
// program relies on: section and key names match without regard to letter
// case, a missing file, section or key gives the caller's default, and a
// write changes only the one line it concerns, keeping every other byte
// (comments, spellings, text in other encodings, line endings).
//
// The file is read once and kept in memory, shared by every IniFile of the
// same path; it is read again only when it changed on disk (size, times or
// identity differ), so several windows and other programs may share it. A
// write that changes no value writes nothing. A path that is not a regular
// file (a named pipe, a folder) reads as empty and is never replaced.
//
// QSettings is not used because it matches names case-sensitively on Linux
// and rewrites the whole file in its own order.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString& path() const { return path_; }

    // Values are UTF-8 text; a byte that is not valid UTF-8 comes back as
    // losslessly encoded text (see losslessutf8.h), so a device path written
    // in another encoding still names its device.
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Every key of a section that is present (also with an empty value), by
    // its name in lower case; overrides included.
    QHash<QString, QString> ReadSection(const QString& section) const;

    // Creates the file (and its folder) when needed. Returns false when the
    // file cannot be written, or exists but could not be read (it is then not
    // replaced); the old file is left as it was.
    bool WriteString(const QString& section, const QString& key, const QString& value) const;

    // A value that stands in for the file's for this run only: reads return
    // it, writes to it change it and leave the file alone. Copies of this
    // object share the overrides.
    void setOverride(const QString& section, const QString& key, const QString& value);

private:
    static QString overrideKey(const QString& section, const QString& key);

    QString path_;
    std::shared_ptr<IniFileStore> store_;
    std::shared_ptr<QHash<QString, QString>> overrides_ =
        std::make_shared<QHash<QString, QString>>();
};
