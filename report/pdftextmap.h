#pragma once

#include <QByteArray>
#include <QString>

// Qt's PDF engine writes, for every embedded font, a ToUnicode map that names
// each glyph by the lowest code point the font draws with it. The CJK report
// font draws a Kangxi radical and its ideograph with one glyph, so 頁 (U+9801)
// would be named ⾴ (U+2FB4), and text copied or searched in the PDF would
// not match what the report wrote.

// The ideograph the report font draws with the same glyph as `c` when `c` is
// a CJK radical or stroke; `c` itself otherwise.
char16_t IdeographForRadical(char16_t c);

// Renames radicals in the ToUnicode maps of `pdf` to their ideographs. Every
// entry keeps its length, so object offsets stay valid. Returns the number of
// entries changed. A range of consecutive codes that starts at or runs over a
// radical is left as it is: its entries cannot be renamed one by one in place
// (Qt writes such ranges only for ten or more glyphs in code order).
int MapRadicalsToIdeographs(QByteArray& pdf);

// The same for a PDF file, saved anew when anything changed; false when it
// cannot be read or saved (the file is then left as it was).
bool MapRadicalsToIdeographsInFile(const QString& path);
