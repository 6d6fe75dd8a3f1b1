#include "inidocument.h"

#include "losslessutf8.h"

#include <algorithm>
#include <cstring>

// Lines end at '\n'; a '\r' before it belongs to the line break and is kept
// with the line. Taking a file in only notes where its "[name]" lines are, as
// plain offsets: a settings file of another tool's history may hold hundreds
// of thousands of sections, and the program reads a handful of them. The keys
// of a section are split out the first time that section is asked for.

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

// Whether a section's name as it stands in the file is `wanted` (given as
// lossless UTF-8), without regard to letter case. ASCII names, nearly all of
// them, are compared in place.
bool sameName(QByteArrayView inFile, QByteArrayView wanted, const QString& wantedText)
{
    if (isAscii(inFile) && isAscii(wanted))
        return inFile.size() == wanted.size()
               && qstrnicmp(inFile.data(), wanted.data(), size_t(wanted.size())) == 0;
    return FromUtf8Lossless(inFile).compare(wantedText, Qt::CaseInsensitive) == 0;
}

QString lowerName(const QString& name)
{
    return name.toLower();
}

} // namespace

IniDocument::IniDocument(QByteArray bytes) : bytes_(std::move(bytes))
{
    const qsizetype firstBreak = bytes_.indexOf('\n');
    if (firstBreak > 0 && bytes_[firstBreak - 1] == '\r')
        newline_ = "\r\n";
    index();
}

void IniDocument::index()
{
    headers_.clear();
    keys_.clear();
    const char* const data = bytes_.constData();
    const qsizetype size = bytes_.size();
    qsizetype pos = bytes_.startsWith("\xEF\xBB\xBF") ? 3 : 0; // a byte order mark
    while (pos < size) {
        const void* found = std::memchr(data + pos, '\n', size_t(size - pos));
        const qsizetype lineEnd = found ? static_cast<const char*>(found) - data : size;
        const qsizetype next = found ? lineEnd + 1 : size;
        // "[name]" with blanks allowed around the line and the name.
        const QByteArrayView line = trimmed(QByteArrayView(data + pos, lineEnd - pos));
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            if (close > 0) {
                const QByteArrayView name = trimmed(line.sliced(1, close - 1));
                headers_.push_back({pos, name.data() - data, name.size(), next});
            }
        }
        pos = next;
    }
}

QList<IniDocument::Body> IniDocument::bodiesOf(const QString& section) const
{
    const QByteArray wanted = ToUtf8Lossless(section.trimmed());
    QList<Body> bodies;
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        const Header& header = headers_[i];
        const QByteArrayView name(bytes_.constData() + header.nameBegin, header.nameSize);
        if (sameName(name, wanted, section.trimmed()))
            bodies.append({header.bodyBegin,
                           i + 1 < headers_.size() ? headers_[i + 1].lineBegin : bytes_.size()});
    }
    return bodies;
}

const IniDocument::Keys& IniDocument::keysOf(const QString& section) const
{
    const QString name = lowerName(section);
    const auto known = keys_.constFind(name);
    if (known != keys_.constEnd())
        return *known;
    Keys keys;
    for (const Body& body : bodiesOf(section)) {
        qsizetype pos = body.begin;
        while (pos < body.end) {
            qsizetype lineEnd = bytes_.indexOf('\n', pos);
            if (lineEnd < 0 || lineEnd > body.end)
                lineEnd = body.end;
            const QByteArrayView line = trimmed(QByteArrayView(bytes_).sliced(pos, lineEnd - pos));
            const qsizetype eq = line.indexOf('=');
            if (!line.startsWith(';') && eq >= 0) {
                const QString key = lowerName(FromUtf8Lossless(trimmed(line.first(eq))));
                if (!keys.contains(key)) // the first of repeated keys counts
                    keys.insert(key,
                                {pos, lineEnd, FromUtf8Lossless(trimmed(line.sliced(eq + 1)))});
            }
            pos = lineEnd + 1;
        }
    }
    return *keys_.insert(name, keys);
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const Keys& keys = keysOf(section);
    const auto entry = keys.constFind(lowerName(key));
    if (entry == keys.constEnd())
        return std::nullopt;
    return entry->value;
}

QHash<QString, QString> IniDocument::section(const QString& section) const
{
    QHash<QString, QString> values;
    const Keys& keys = keysOf(section);
    for (auto it = keys.constBegin(); it != keys.constEnd(); ++it)
        values.insert(it.key(), it->value);
    return values;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray encoded = ToUtf8Lossless(value);
    const Keys& keys = keysOf(section);
    const auto entry = keys.constFind(lowerName(key));

    if (entry != keys.constEnd()) {
        // What the line would read as after the change; the same text as now
        // means there is nothing to write.
        if (FromUtf8Lossless(trimmed(encoded)) == entry->value)
            return false;
        const QByteArrayView line =
            QByteArrayView(bytes_).sliced(entry->lineBegin, entry->lineEnd - entry->lineBegin);
        const QByteArrayView body = trimmed(line);
        QByteArray written = trimmed(body.first(body.indexOf('='))).toByteArray() + '=' + encoded;
        if (line.endsWith('\r'))
            written += '\r';
        replace(entry->lineBegin, entry->lineEnd, written);
        return true;
    }

    const QByteArray keyLine = ToUtf8Lossless(key) + '=' + encoded;
    const QList<Body> bodies = bodiesOf(section);
    if (!bodies.isEmpty()) {
        // After the section's last line that is not blank, so that a blank
        // line before the next section stays where it is.
        const Body& body = bodies.first();
        qsizetype insertAt = body.begin;
        for (qsizetype pos = body.begin; pos < body.end;) {
            qsizetype lineEnd = bytes_.indexOf('\n', pos);
            if (lineEnd < 0 || lineEnd > body.end)
                lineEnd = body.end;
            if (!trimmed(QByteArrayView(bytes_).sliced(pos, lineEnd - pos)).isEmpty())
                insertAt = std::min(lineEnd + 1, bytes_.size());
            pos = lineEnd + 1;
        }
        // The "[name]" line or the last entry may end the file without a break.
        const bool needsBreak = insertAt > 0 && bytes_[insertAt - 1] != '\n';
        if (insertAt == bytes_.size() && needsBreak)
            replace(insertAt, insertAt, newline_ + keyLine);
        else
            replace(insertAt, insertAt, keyLine + newline_);
        return true;
    }

    QByteArray added;
    if (!bytes_.isEmpty() && !bytes_.endsWith('\n'))
        added += newline_;
    added += '[' + ToUtf8Lossless(section) + ']' + newline_ + keyLine + newline_;
    replace(bytes_.size(), bytes_.size(), added);
    return true;
}

void IniDocument::replace(qsizetype begin, qsizetype end, const QByteArray& with)
{
    bytes_.replace(begin, end - begin, with);
    index();
}
