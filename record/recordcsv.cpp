#include "recordcsv.h"

#include "csvtext.h"
#include "recordsettings.h"
#include "recordstate.h"

#include <QBuffer>
#include <QDateTime>

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

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
    return CsvHeading(heading + QLatin1Char(' ') + QuantityCaption(code), QuantityUnit(code));
}

QString CsvHeading(const QString& name, const QString& unit)
{
    return unit.isEmpty() ? name : name + QStringLiteral(" (") + unit + QLatin1Char(')');
}

QString CsvTimeHeading()
{
    return QStringLiteral("時間");
}

QString CsvLocalTimeText(const QDateTime& when)
{
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

namespace {

constexpr qint64 kMsPerDay = 86400000;

// The UTC offset of local times, asked of the time-zone data once per day:
// a day that starts and ends on the same offset has it throughout; only the
// day of a clock change asks for each time.
class LocalOffsets {
public:
    qint64 offsetMs(const OleWallClock& clock)
    {
        if (clock.day != day_) {
            day_ = clock.day;
            const QDate date = clock.date();
            const int start = QDateTime(date, QTime(0, 0)).offsetFromUtc();
            const int end = QDateTime(date.addDays(1), QTime(0, 0)).offsetFromUtc();
            uniform_ = start == end;
            offsetMs_ = qint64(start) * 1000;
        }
        if (uniform_)
            return offsetMs_;
        const QTime time = QTime::fromMSecsSinceStartOfDay(int(clock.msOfDay));
        return qint64(QDateTime(clock.date(), time).offsetFromUtc()) * 1000;
    }

private:
    qint64 day_ = std::numeric_limits<qint64>::min();
    bool uniform_ = true;
    qint64 offsetMs_ = 0;
};

// Milliseconds since 1899-12-30 00:00 UTC of a local wall-clock time.
qint64 UtcMs(const OleWallClock& clock, LocalOffsets& offsets)
{
    return clock.day * kMsPerDay + clock.msOfDay - offsets.offsetMs(clock);
}

char* Digits(char* out, qint64 value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// "HH:mm:ss.zzz" of the milliseconds of a day.
char* TimeOfDay(char* out, qint64 ms)
{
    out = Digits(out, ms / 3600000, 2);
    *out++ = ':';
    out = Digits(out, ms / 60000 % 60, 2);
    *out++ = ':';
    out = Digits(out, ms / 1000 % 60, 2);
    *out++ = '.';
    return Digits(out, ms % 1000, 3);
}

// Seconds with three decimals from milliseconds: "1.500", "-0.250".
char* Seconds(char* out, qint64 ms)
{
    if (ms < 0) {
        *out++ = '-';
        ms = -ms;
    }
    out = std::to_chars(out, out + 24, ms / 1000).ptr;
    *out++ = '.';
    return Digits(out, ms % 1000, 3);
}

} // namespace

QByteArray RecordCsv(const SampleBuffers& data, std::int32_t last,
                     const std::array<std::int32_t, 6>& codes)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    WriteRecordCsv(buffer, data, last, codes);
    return text;
}

bool WriteRecordCsv(QIODevice& device, const SampleBuffers& data, std::int32_t last,
                    const std::array<std::int32_t, 6>& codes)
{
    return WriteRecordCsv(device, data, 0, last, codes);
}

bool WriteRecordCsv(QIODevice& device, const SampleBuffers& data, std::int32_t from,
                    std::int32_t last, const std::array<std::int32_t, 6>& codes)
{
    QStringList header{CsvTimeHeading(), QStringLiteral("經過秒數")};
    for (int c = 0; c < 6; ++c)
        header << CsvChannelHeading(c, codes[std::size_t(c)]);
    QByteArray out = CsvLine(header);

    // A row is at most 24 characters of time, 26 of seconds, 6 x 16 of
    // values and 9 of commas and line end. Rows gather in a piece of about
    // this size before they are written.
    constexpr std::size_t kRowMax = 160;
    constexpr qsizetype kPiece = 256 * 1024;
    out.reserve(kPiece + qsizetype(kRowMax));
    const auto flush = [&] {
        const bool written = device.write(out) == out.size();
        out.resize(0); // keeps the capacity for the next piece
        return written;
    };
    from = std::max(from, 0);
    if (last < from)
        return flush();
    const double* times = data.timestamps();
    const float* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = data.channel(c);
    LocalOffsets offsets;
    const std::optional<OleWallClock> first = WallClockFromOleDate(times[0]);
    const qint64 firstUtc = first ? UtcMs(*first, offsets) : 0;
    qint64 datedDay = std::numeric_limits<qint64>::min();
    QByteArray dateText;
    char row[kRowMax];
    for (std::int32_t i = from; i <= last; ++i) {
        char* p = row;
        if (const std::optional<OleWallClock> clock = WallClockFromOleDate(times[i])) {
            if (clock->day != datedDay) {
                datedDay = clock->day;
                dateText = clock->date().toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
            }
            p = std::copy_n(dateText.constData(), dateText.size(), p);
            *p++ = 'T';
            p = TimeOfDay(p, clock->msOfDay);
            *p++ = ',';
            if (first)
                p = Seconds(p, UtcMs(*clock, offsets) - firstUtc);
        } else {
            *p++ = ',';
        }
        for (int c = 0; c < 6; ++c) {
            *p++ = ',';
            p = std::to_chars(p, p + 16, channels[c][i]).ptr;
        }
        *p++ = '\r';
        *p++ = '\n';
        out.append(row, p - row);
        if (out.size() >= kPiece && !flush())
            return false;
    }
    return flush();
}
