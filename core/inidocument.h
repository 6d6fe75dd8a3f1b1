#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// The bytes of one settings file in the classic INI layout ("[Section]"
// lines, "key=value" lines, ';' comments) and the lookups on them. Section
// and key names match without regard to letter case; where a name repeats,
// the first occurrence counts. Names and values are read as UTF-8, bytes of
// other encodings kept losslessly (see losslessutf8.h).
//
// The bytes are the document: a change replaces or inserts the one line it
// concerns and leaves every other byte as it was, whatever its encoding, line
// ending or byte order mark.
class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(QByteArray bytes);

    const QByteArray& bytes() const { return bytes_; }

    std::optional<QString> value(const QString& section, const QString& key) const;

    // Every key of the section, by its name in lower case.
    QHash<QString, QString> section(const QString& section) const;

    // Makes `key` read `value`: the key's line is rewritten with the key's own
    // spelling, a missing key joins the end of its section, a missing section
    // the end of the file. Returns false, changing nothing, when the key
    // already reads `value`.
    bool setValue(const QString& section, const QString& key, const QString& value);

private:
    // A "[name]" line: where it starts, where its name lies and where the
    // section's lines start (they end where the next header starts).
    struct Header {
        qsizetype lineBegin;
        qsizetype nameBegin;
        qsizetype nameSize;
        qsizetype bodyBegin;
    };
    struct Body {
        qsizetype begin;
        qsizetype end;
    };
    // A key's line, without its line break, and the value it holds.
    struct Entry {
        qsizetype lineBegin;
        qsizetype lineEnd;
        QString value;
    };
    using Keys = QHash<QString, Entry>;

    void index();
    QList<Body> bodiesOf(const QString& section) const;
    const Keys& keysOf(const QString& section) const;
    void replace(qsizetype begin, qsizetype end, const QByteArray& with);

    QByteArray bytes_;
    QByteArray newline_ = "\n";         // for lines this program adds: the file's own
    std::vector<Header> headers_;       // in file order
    mutable QHash<QString, Keys> keys_; // the sections looked up so far, by lower-case name
};
