#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The comma-separated text every export of the program writes (RFC 4180:
// CRLF line ends, quotes only where a field needs them; UTF-8 without a
// byte-order mark).

// A field as it stands in a line: quoted, its quotes doubled, where it holds
// a comma, a quote or a line end.
QString CsvField(const QString& text);
// One line of fields with its CRLF, in UTF-8.
QByteArray CsvLine(const QStringList& fields);
