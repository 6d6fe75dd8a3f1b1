#include "losslessutf8.h"

#include <algorithm>

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // an undecodable byte b becomes kEscapeBase + b

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `p` (of `left` bytes) and its code
// point, or 0 when the sequence is not valid: a stray continuation byte, a cut
// sequence, an overlong form, a surrogate or a value past U+10FFFF.
int validSequence(const unsigned char* p, qsizetype left, char32_t* codePoint)
{
    const unsigned char lead = p[0];
    int length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

QString FromUtf8Lossless(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    // Plain ASCII and valid UTF-8 (nearly every value) take Qt's fast path.
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < size;) {
        char32_t c = 0;
        const int length = validSequence(p + i, size - i, &c);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
            continue;
        }
        text += QString::fromUcs4(&c, 1);
        i += length;
    }
    return text;
}

QByteArray ToUtf8Lossless(QStringView text)
{
    const bool plain =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
    if (plain)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            out += char(unit - kEscapeBase); // a byte kept by FromUtf8Lossless
        } else {
            appendUtf8(out, unit); // any other lone surrogate: its three-byte form
        }
    }
    return out;
}
