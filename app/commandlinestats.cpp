#include "commandlinestats.h"

#include "recordcontrol.h"
#include "recordcsv.h"
#include "recordfile.h"
#include "recordsettings.h"
#include "recordstate.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <memory>

namespace {

constexpr double kMsPerDay = 86400000.0;
// A TIME names a millisecond; a sample recorded at that millisecond is in
// the span whatever rounding its OLE date carries.
constexpr double kHalfMs = 0.5 / kMsPerDay;
const QDate kOleEpoch(1899, 12, 30);

double OleDate(const QDate& date, const QTime& time)
{
    return double(kOleEpoch.daysTo(date)) + time.msecsSinceStartOfDay() / kMsPerDay;
}

std::optional<QTime> TimeOfDay(const QString& text)
{
    for (const char* format :
         {"HH:mm:ss.zzz", "HH:mm:ss", "HH:mm", "H:mm:ss.zzz", "H:mm:ss", "H:mm"}) {
        const QTime time = QTime::fromString(text, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

StatisticsOutcome Failure(const QString& error)
{
    return {1, QString(), error};
}

QString FieldOf(const QString& text) // RFC 4180: quoted only where needed
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// One channel's figures as the three formats print them.
struct ChannelRow {
    QString channel;
    QString quantity;
    QString unit;
    ChannelStatistics figures;
    QString energyUnit;

    std::optional<double> figure(double value) const
    {
        return figures.count > 0 ? std::optional<double>(value) : std::nullopt;
    }
    // The minimum and maximum are samples: floats, written as the shortest
    // text that reads back to the same float.
    std::optional<double> sample(double value) const
    {
        if (figures.count == 0)
            return std::nullopt;
        return ShortestFloatText(float(value)).toDouble();
    }
};

// Columns line up on a terminal, where a Chinese character takes two.
int TerminalWidth(const QString& text)
{
    int width = 0;
    for (const QChar ch : text)
        width += ch.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

QString Padded(const QString& text, int width)
{
    return text + QString(std::max(0, width - TerminalWidth(text)), QLatin1Char(' '));
}

QString ShownFigure(std::optional<double> value)
{
    return value ? StatisticText(*value) : QString();
}

std::vector<ChannelRow> RowsOf(const SpanStatistics& s)
{
    std::vector<ChannelRow> rows;
    for (int c = 0; c < 6; ++c) {
        const ChannelStatistics& ch = s.channels[std::size_t(c)];
        rows.push_back({QStringLiteral("CH%1").arg(c + 1), QuantityCaption(ch.code),
                        QuantityUnit(ch.code), ch, EnergyUnitText(EnergyUnitOf(ch.code))});
    }
    return rows;
}

QString TextTable(const QString& file, const SpanStatistics& s)
{
    const std::vector<ChannelRow> rows = RowsOf(s);
    QList<QStringList> cells{{QStringLiteral("Channel"), QStringLiteral("Quantity"),
                              QStringLiteral("Unit"), QStringLiteral("Count"),
                              QStringLiteral("Minimum"), QStringLiteral("Maximum"),
                              QStringLiteral("Mean"), QStringLiteral("Energy")}};
    for (const ChannelRow& r : rows) {
        QString energy = ShownFigure(r.figures.energy);
        if (!energy.isEmpty())
            energy += QLatin1Char(' ') + r.energyUnit;
        cells.append({r.channel, r.quantity, r.unit, QString::number(r.figures.count),
                      ShownFigure(r.figure(r.figures.minimum)),
                      ShownFigure(r.figure(r.figures.maximum)),
                      ShownFigure(r.figure(r.figures.mean)), energy});
    }
    QList<int> widths(cells.front().size(), 0);
    for (const QStringList& line : cells)
        for (int k = 0; k < line.size(); ++k)
            widths[k] = std::max(widths[k], TerminalWidth(line[k]));
    QString text = QStringLiteral("File: %1\nSpan: %2 .. %3 (samples %4..%5, %6 samples, %7)\n")
                       .arg(QDir::toNativeSeparators(file), StatisticTime(s.firstTime),
                            StatisticTime(s.lastTime))
                       .arg(s.first)
                       .arg(s.last)
                       .arg(s.last - s.first + 1)
                       .arg(DurationText((s.lastTime - s.firstTime) * 86400.0));
    for (const QStringList& line : cells) {
        QString row;
        for (int k = 0; k < line.size(); ++k)
            row += Padded(line[k], widths[k] + 2);
        text += row.trimmed() + QLatin1Char('\n');
    }
    return text;
}

QString CsvTable(const SpanStatistics& s)
{
    QString text = QStringLiteral("channel,quantity,unit,count,minimum,maximum,mean,energy,"
                                  "energy_unit,first_time,last_time\r\n");
    for (const ChannelRow& r : RowsOf(s)) {
        const QStringList fields{r.channel,
                                 FieldOf(r.quantity),
                                 FieldOf(r.unit),
                                 QString::number(r.figures.count),
                                 StatisticNumber(r.sample(r.figures.minimum)),
                                 StatisticNumber(r.sample(r.figures.maximum)),
                                 StatisticNumber(r.figure(r.figures.mean)),
                                 StatisticNumber(r.figures.energy),
                                 r.energyUnit,
                                 StatisticTime(s.firstTime),
                                 StatisticTime(s.lastTime)};
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

QString JsonTable(const QString& file, const SpanStatistics& s)
{
    const auto number = [](std::optional<double> value) {
        return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
    };
    QJsonArray channels;
    for (const ChannelRow& r : RowsOf(s)) {
        QJsonObject channel{{QStringLiteral("channel"), r.channel},
                            {QStringLiteral("quantity"), r.quantity},
                            {QStringLiteral("unit"), r.unit},
                            {QStringLiteral("count"), r.figures.count},
                            {QStringLiteral("minimum"), number(r.sample(r.figures.minimum))},
                            {QStringLiteral("maximum"), number(r.sample(r.figures.maximum))},
                            {QStringLiteral("mean"), number(r.figure(r.figures.mean))}};
        if (r.figures.energy) {
            channel.insert(QStringLiteral("energy"), *r.figures.energy);
            channel.insert(QStringLiteral("energy_unit"), r.energyUnit);
        }
        channels.append(channel);
    }
    const QJsonObject root{{QStringLiteral("file"), QDir::toNativeSeparators(file)},
                           {QStringLiteral("first_time"), StatisticTime(s.firstTime)},
                           {QStringLiteral("last_time"), StatisticTime(s.lastTime)},
                           {QStringLiteral("first_sample"), s.first},
                           {QStringLiteral("last_sample"), s.last},
                           {QStringLiteral("step_seconds"), s.stepSeconds},
                           {QStringLiteral("channels"), channels}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

} // namespace

QString StatisticNumber(std::optional<double> value)
{
    if (!value)
        return {};
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, *value);
    return QString::fromLatin1(text, int(result.ptr - text));
}

std::optional<double> StatisticsTime(const QString& text, double firstSample,
                                     std::optional<double> notBefore)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('+'))) {
        bool ok = false;
        const double seconds = t.mid(1).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0)
            return std::nullopt;
        return firstSample + seconds / 86400.0;
    }
    static const QRegularExpression dateTime(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2})[T ](\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d{1,3})?)?)$"));
    if (const QRegularExpressionMatch m = dateTime.match(t); m.hasMatch()) {
        const QDate date = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
        const std::optional<QTime> time = TimeOfDay(m.captured(2));
        if (!date.isValid() || !time)
            return std::nullopt;
        return OleDate(date, *time);
    }
    const std::optional<QTime> time = TimeOfDay(t);
    const std::optional<OleWallClock> first = WallClockFromOleDate(firstSample);
    if (!time || !first)
        return std::nullopt;
    // The first moment with that time of day from the start (or from
    // `notBefore`) on: a recording that runs past midnight reaches it on the
    // day after.
    double date = OleDate(first->date(), *time);
    if (date < notBefore.value_or(firstSample) - kHalfMs)
        date += 1;
    return date;
}

StatisticsOutcome RunStatistics(const StatisticsRequest& request)
{
    const QString format = request.format.isEmpty() ? QStringLiteral("text") : request.format;
    if (format != QLatin1String("text") && format != QLatin1String("csv")
        && format != QLatin1String("json"))
        return Failure(QStringLiteral("--format %1: use text, csv or json.").arg(request.format));
    if (request.inputFile.isEmpty())
        return Failure(QStringLiteral("--stats needs a record file (*.zqr)."));

    const auto data = std::make_unique<SampleBuffers>();
    OpenedRecordFile file;
    const RecordFileResult read = OpenRecordFile(request.inputFile, *data, file);
    if (!read.ok())
        return Failure(RecordFileFailureText(read, request.inputFile).simplified());
    if (file.last < 0)
        return Failure(QStringLiteral("%1 holds no samples.")
                           .arg(QDir::toNativeSeparators(request.inputFile)));

    const double* times = data->timestamps();
    const double start = times[0];
    std::optional<double> from;
    std::optional<double> to;
    if (!request.from.isEmpty()) {
        from = StatisticsTime(request.from, start, std::nullopt);
        if (!from)
            return Failure(QStringLiteral("--from %1: no time I can read; use "
                                          "2026-12-11T01:02:03, 01:02:03 or +SECONDS.")
                               .arg(request.from));
    }
    if (!request.to.isEmpty()) {
        to = StatisticsTime(request.to, start, from);
        if (!to)
            return Failure(QStringLiteral("--to %1: no time I can read; use "
                                          "2026-12-11T01:02:03, 01:02:03 or +SECONDS.")
                               .arg(request.to));
    }
    if (from && to && *to < *from)
        return Failure(
            QStringLiteral("--to %1 lies before --from %2.").arg(request.to, request.from));
    const std::optional<SampleSpan> span = SamplesBetween(
        times, file.last, from ? *from - kHalfMs : -1e300, to ? *to + kHalfMs : 1e300);
    if (!span)
        return Failure(QStringLiteral("No sample of %1 lies between %2 and %3 (the recording runs "
                                      "from %4 to %5).")
                           .arg(QDir::toNativeSeparators(request.inputFile),
                                from ? StatisticTime(*from) : StatisticTime(start),
                                to ? StatisticTime(*to) : StatisticTime(times[file.last]),
                                StatisticTime(start), StatisticTime(times[file.last])));

    SpanSource source;
    for (int c = 0; c < 6; ++c)
        source.channels[std::size_t(c)] = data->channel(c);
    source.timestamps = times;
    source.codes = file.codes;
    const SpanStatistics s = ComputeSpanStatistics(source, span->first, span->last);
    if (format == QLatin1String("csv"))
        return {0, CsvTable(s), QString()};
    if (format == QLatin1String("json"))
        return {0, JsonTable(request.inputFile, s), QString()};
    return {0, TextTable(request.inputFile, s), QString()};
}
