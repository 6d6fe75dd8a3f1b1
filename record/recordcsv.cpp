#include "recordcsv.h"

#include "recordsettings.h"
#include "recordstate.h"

#include <charconv>

namespace {

// Units by quantity code; power factor and THD are plain fractions.
const std::array<const char16_t*, kQuantityCount> kUnits{
    u"V", u"A", u"W", u"VA", u"var", u"°", u"Hz", u"", u"", u"", u"°C", u"°C", u"°C"};

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString ShortestFloatText(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, int(result.ptr - text));
}

QString CsvChannelHeading(int channel, std::int32_t code)
{
    QString heading = QStringLiteral("CH%1").arg(channel + 1);
    if (code < 0 || code >= kQuantityCount)
        return heading;
    heading += QLatin1Char(' ') + QuantityCaption(code);
    const QString unit = QString::fromUtf16(kUnits[std::size_t(code)]);
    if (!unit.isEmpty())
        heading += QStringLiteral(" (") + unit + QLatin1Char(')');
    return heading;
}

QByteArray RecordCsv(const SampleBuffers& data, std::int32_t last,
                     const std::array<std::int32_t, 6>& codes)
{
    QString header = QStringLiteral("時間,經過秒數");
    for (int c = 0; c < 6; ++c)
        header += QLatin1Char(',') + CsvField(CsvChannelHeading(c, codes[std::size_t(c)]));
    QByteArray out = header.toUtf8() + "\r\n";
    const double* times = data.timestamps();
    const QDateTime first = last >= 0 ? LocalFromOleDate(times[0]) : QDateTime();
    for (std::int32_t i = 0; i <= last; ++i) {
        const QDateTime t = LocalFromOleDate(times[i]);
        if (t.isValid()) {
            out += t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toLatin1();
            out += ',';
            if (first.isValid())
                out += QByteArray::number(first.msecsTo(t) / 1000.0, 'f', 3);
        } else {
            out += ',';
        }
        for (int c = 0; c < 6; ++c) {
            out += ',';
            out += ShortestFloatText(data.channel(c)[i]).toLatin1();
        }
        out += "\r\n";
    }
    return out;
}
