#pragma once

#include <QHash>
#include <QString>

#include <memory>

// A settings file in the classic INI layout ("[Section]" lines, "key=value"
// lines, ';' comments) with the profile semantics the program relies on:
// section and key names match without regard to letter case, a missing file,
// section or key gives the caller's default, and a write changes only the one
// line it concerns, keeping every other line, comment and spelling. Every call
// reads the file afresh, so several windows may share it. Text is UTF-8.
//
// QSettings is not used because it matches names case-sensitively on Linux
// and rewrites the whole file in its own order.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Every key of a section that is present (also with an empty value), by
    // its name in lower case, in one read of the file; overrides included.
    QHash<QString, QString> ReadSection(const QString& section) const;

    // Creates the file (and its folder) when needed. Returns false when the
    // file cannot be written; the old file is then left as it was.
    bool WriteString(const QString& section, const QString& key, const QString& value) const;

    // A value that stands in for the file's for this run only: reads return
    // it, writes to it change it and leave the file alone. Copies of this
    // object share the overrides.
    void setOverride(const QString& section, const QString& key, const QString& value);

private:
    static QString overrideKey(const QString& section, const QString& key);

    QString path_;
    std::shared_ptr<QHash<QString, QString>> overrides_ =
        std::make_shared<QHash<QString, QString>>();
};
