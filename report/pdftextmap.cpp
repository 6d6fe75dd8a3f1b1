#include "pdftextmap.h"

#include "regularfile.h"
#include "savefile.h"

#include "pageframe.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace {

bool IsRadicalOrStroke(char16_t c)
{
    // CJK Radicals Supplement, Kangxi Radicals, CJK Strokes: all below the
    // unified ideographs, so the engine prefers them for a shared glyph.
    return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x31C0 && c <= 0x31EF);
}

bool IsUnifiedIdeograph(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

// Radical -> ideograph as the report font pairs them through shared glyphs.
QHash<char16_t, char16_t> FontPairs()
{
    QHash<char16_t, char16_t> pairs;
    const QRawFont font = QRawFont::fromFont(QFont(kReportFace));
    if (!font.isValid())
        return pairs;
    QString ideographs;
    for (char16_t c = 0x4E00; c <= 0x9FFF; ++c)
        ideographs += QChar(c);
    const QList<quint32> ideographGlyphs = font.glyphIndexesForString(ideographs);
    QHash<quint32, char16_t> byGlyph;
    for (qsizetype i = 0; i < ideographGlyphs.size(); ++i)
        if (ideographGlyphs[i] != 0 && !byGlyph.contains(ideographGlyphs[i]))
            byGlyph.insert(ideographGlyphs[i], ideographs[i].unicode());
    QString radicals;
    for (char16_t c = 0x2E80; c <= 0x31EF; ++c)
        if (IsRadicalOrStroke(c))
            radicals += QChar(c);
    const QList<quint32> radicalGlyphs = font.glyphIndexesForString(radicals);
    for (qsizetype i = 0; i < radicalGlyphs.size(); ++i) {
        const auto it = byGlyph.constFind(radicalGlyphs[i]);
        if (radicalGlyphs[i] != 0 && it != byGlyph.constEnd())
            pairs.insert(radicals[i].unicode(), *it);
    }
    return pairs;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A <XXXX> token of the map: its four hex digits start at `digits`.
struct HexToken {
    qsizetype digits = -1;
    int value = -1;
};

// The next <XXXX> token or '[' / ']' at or after `pos` before `end`.
qsizetype NextToken(const QByteArray& data, qsizetype pos, qsizetype end, HexToken* hex,
                    char* bracket)
{
    for (; pos < end; ++pos) {
        const char c = data[pos];
        if (c == '[' || c == ']') {
            *bracket = c;
            *hex = {};
            return pos + 1;
        }
        if (c == '<' && pos + 5 < end && data[pos + 5] == '>') {
            int value = 0;
            for (int k = 1; k <= 4 && value >= 0; ++k) {
                const int digit = HexValue(data[pos + k]);
                value = digit < 0 ? -1 : value * 16 + digit;
            }
            if (value >= 0) {
                *bracket = 0;
                *hex = {pos + 1, value};
                return pos + 6;
            }
        }
        if (c == '\n' || c == '\r') {
            *bracket = '\n';
            *hex = {};
            return pos + 1;
        }
    }
    return -1;
}

bool Rename(QByteArray& data, const HexToken& token)
{
    if (token.value < 0 || token.value > 0xFFFF)
        return false;
    const char16_t ideograph = IdeographForRadical(char16_t(token.value));
    if (ideograph == token.value)
        return false;
    const bool lower = std::any_of(data.begin() + token.digits, data.begin() + token.digits + 4,
                                   [](char c) { return c >= 'a' && c <= 'f'; });
    const QByteArray digits = QByteArray::number(int(ideograph), 16).rightJustified(4, '0');
    for (int k = 0; k < 4; ++k)
        data[token.digits + k] = lower ? digits[k] : char(std::toupper(digits[k]));
    return true;
}

// Renames the entries of one bfrange block, [begin, end) of `data`.
int RenameRanges(QByteArray& data, qsizetype begin, qsizetype end)
{
    int renamed = 0;
    qsizetype pos = begin;
    while (pos >= 0 && pos < end) {
        // One entry: <first> <last> then <code> or [<code> ...].
        HexToken first, last, code;
        char bracket = 0;
        pos = NextToken(data, pos, end, &first, &bracket);
        if (pos < 0 || first.digits < 0)
            continue;
        pos = NextToken(data, pos, end, &last, &bracket);
        if (pos < 0 || last.digits < 0)
            continue;
        pos = NextToken(data, pos, end, &code, &bracket);
        if (pos < 0)
            break;
        if (code.digits >= 0) {
            if (first.value == last.value && Rename(data, code))
                ++renamed;
            continue;
        }
        if (bracket != '[')
            continue;
        while (pos >= 0 && pos < end) {
            pos = NextToken(data, pos, end, &code, &bracket);
            if (pos < 0 || (code.digits < 0 && bracket == ']'))
                break;
            if (code.digits >= 0 && Rename(data, code))
                ++renamed;
        }
    }
    return renamed;
}

} // namespace

char16_t IdeographForRadical(char16_t c)
{
    if (!IsRadicalOrStroke(c))
        return c;
    static std::once_flag once;
    static QHash<char16_t, char16_t> pairs;
    std::call_once(once, [] { pairs = FontPairs(); });
    const auto it = pairs.constFind(c);
    if (it != pairs.constEnd())
        return *it;
    // A font without that glyph: the compatibility decomposition names the
    // ideograph of every Kangxi radical.
    const QString folded = QString(QChar(c)).normalized(QString::NormalizationForm_KC);
    if (folded.size() == 1 && IsUnifiedIdeograph(folded[0].unicode()))
        return folded[0].unicode();
    return c;
}

int MapRadicalsToIdeographs(QByteArray& pdf)
{
    // The maps' object numbers, then each object's stream.
    static const QRegularExpression reference(QStringLiteral("/ToUnicode (\\d+) 0 R"));
    QList<QByteArray> objects;
    const QString text = QString::fromLatin1(pdf);
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QByteArray number = it.next().captured(1).toLatin1();
        if (!objects.contains(number))
            objects << number;
    }
    int renamed = 0;
    for (const QByteArray& number : objects) {
        const QByteArray header = number + " 0 obj";
        qsizetype at = 0;
        qsizetype object = -1;
        while ((at = pdf.indexOf(header, at)) >= 0) {
            if (at == 0 || pdf[at - 1] == '\n' || pdf[at - 1] == '\r') {
                object = at;
                break;
            }
            at += header.size();
        }
        if (object < 0)
            continue;
        const qsizetype stream = pdf.indexOf("stream", object);
        const qsizetype streamEnd = stream < 0 ? -1 : pdf.indexOf("endstream", stream + 6);
        if (streamEnd < 0)
            continue;
        qsizetype pos = stream + 6;
        while (true) {
            const qsizetype begin = pdf.indexOf("beginbfrange", pos);
            if (begin < 0 || begin >= streamEnd)
                break;
            const qsizetype end = pdf.indexOf("endbfrange", begin);
            if (end < 0 || end > streamEnd)
                break;
            renamed += RenameRanges(pdf, begin + 12, end);
            pos = end + 10;
        }
    }
    return renamed;
}

bool MapRadicalsToIdeographsInFile(const QString& path)
{
    QFile file(path);
    if (OpenRegularFile(file, QIODevice::ReadOnly) != FileOpenError::None)
        return false;
    QByteArray pdf = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();
    if (MapRadicalsToIdeographs(pdf) == 0)
        return true;
    // Saved as every file is, so a failing write leaves the printed file whole.
    return SaveFile(path, pdf).ok();
}
