#include "losslessutf8.h"

#include <gtest/gtest.h>

namespace {

// The expected text, written with "<E9>" for the lone surrogate that keeps
// byte 0xE9.
QString kept(const char16_t* pattern)
{
    QString text;
    for (const char16_t* p = pattern; *p; ++p) {
        if (*p == u'<') {
            text += QChar(char16_t(0xDC00 + QString::fromUtf16(p + 1, 2).toInt(nullptr, 16)));
            p += 3;
        } else {
            text += QChar(*p);
        }
    }
    return text;
}

// Every byte string comes back as it was; valid UTF-8 reads as Qt reads it,
// and each byte outside a valid sequence stands alone as U+DC80-U+DCFF.
TEST(LosslessUtf8, AnyBytesSurviveTheTripThroughText)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"ASCII", "/dev/ttyUSB0", QStringLiteral("/dev/ttyUSB0")},
        {"UTF-8 of three and four bytes", "\xE6\xB8\xAC\xF0\x9F\x94\x8C",
         QStringLiteral("\u6e2c") + QString::fromUcs4(U"\U0001F50C", 1)},
        {"a Latin-1 letter", "Caf\xE9_adapter", kept(u"Caf<E9>_adapter")},
        {"CP950 bytes", "\xB3\x5D\xA9\x77", kept(u"<B3>]<A9>w")},
        {"an overlong form", "\xC0\x80", kept(u"<C0><80>")},
        {"an encoded surrogate", "\xED\xA0\x80", kept(u"<ED><A0><80>")},
        {"past U+10FFFF", "\xF4\x90\x80\x80", kept(u"<F4><90><80><80>")},
        {"a sequence cut at the end", "a\xE6\xB8", kept(u"a<E6><B8>")},
        {"valid and invalid mixed", "\xC3\xA9\xE9", kept(u"\u00e9<E9>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = FromUtf8Lossless(c.bytes);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(ToUtf8Lossless(text), c.bytes);
    }
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    EXPECT_EQ(ToUtf8Lossless(FromUtf8Lossless(everyByte)), everyByte);
}

} // namespace
