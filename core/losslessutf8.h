#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// UTF-8 text that may hold bytes of another encoding: a device path from a
// settings file edited elsewhere ("usb-Caf\xe9_adapter" in Latin-1), a comment
// in a legacy code page. Linux file names are bytes, so such a path is only
// usable if every byte survives the trip through QString.
//
// Decoding takes valid UTF-8 as it is and keeps each byte that is not part of
// a valid sequence as the lone surrogate U+DC80-U+DCFF (the byte plus 0xDC00),
// which valid UTF-8 never produces; encoding turns those back into the byte
// and everything else into UTF-8. Encode(Decode(bytes)) == bytes for any bytes.
QString FromUtf8Lossless(QByteArrayView bytes);
QByteArray ToUtf8Lossless(QStringView text);
