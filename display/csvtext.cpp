#include "csvtext.h"

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray CsvLine(const QStringList& fields)
{
    QStringList line;
    line.reserve(fields.size());
    for (const QString& field : fields)
        line << CsvField(field);
    return line.join(QLatin1Char(',')).toUtf8() + "\r\n";
}
