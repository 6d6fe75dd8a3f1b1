#include "recordoptions.h"

#include "mqttoptions.h"

#include "recordsettings.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

const QString kChannels = QStringLiteral("channels");
const QString kStep = QStringLiteral("step");
const QString kSave = QStringLiteral("save");
const QString kDuration = QStringLiteral("duration");
const QString kCsv = QStringLiteral("csv");
const QString kTimeout = QStringLiteral("timeout");

constexpr qint64 kDayMs = 86400000;
constexpr qint64 kMinStepMs = 100;  // about the instrument's fastest cycle
constexpr qint64 kMinSaveMs = 1000; // each save writes to the disk
constexpr qint64 kMaxDurationMs = 3660 * kDayMs;

RecordCommandLine failure(const QString& error)
{
    RecordCommandLine result;
    result.error = error;
    return result;
}

std::optional<std::array<std::int32_t, 6>> channelList(const QString& text)
{
    const QStringList words = text.split(QLatin1Char(','));
    if (words.size() != 6)
        return std::nullopt;
    std::array<std::int32_t, 6> codes{};
    for (int k = 0; k < 6; ++k) {
        bool ok = false;
        codes[std::size_t(k)] = words[k].trimmed().toInt(&ok, 10);
        if (!ok || codes[std::size_t(k)] < 0 || codes[std::size_t(k)] >= kQuantityCount)
            return std::nullopt;
    }
    return codes;
}

// `text` as a time from `least` up to `most` milliseconds, or none.
std::optional<qint64> timeWithin(const QString& text, qint64 least, qint64 most)
{
    const std::optional<qint64> ms = ParseTimeMs(text);
    if (!ms || *ms < least || *ms > most)
        return std::nullopt;
    return ms;
}

QString sameFile(const QFileInfo& a, const QFileInfo& b)
{
    const QString canonical = a.canonicalFilePath();
    return !canonical.isEmpty() && canonical == b.canonicalFilePath() ? canonical : QString();
}

// What is wrong with `path` as a file to write, in one line, or an empty text.
QString writableFileProblem(const QString& what, const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1 '%2' exists and is no regular file.").arg(what, path);
    if (!info.absoluteDir().exists())
        return QStringLiteral("%1 '%2': its folder does not exist.").arg(what, path);
    return {};
}

} // namespace

std::optional<qint64> ParseTimeMs(const QString& text)
{
    static constexpr struct {
        char suffix;
        double ms;
    } kUnits[] = {{'s', 1e3}, {'m', 60e3}, {'h', 3600e3}, {'d', 86400e3}};
    QString number = text.trimmed();
    double unitMs = 1e3;
    for (const auto& unit : kUnits)
        if (number.endsWith(QLatin1Char(unit.suffix))) {
            number.chop(1);
            unitMs = unit.ms;
            break;
        }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value * unitMs > double(kMaxDurationMs))
        return std::nullopt;
    return qint64(std::llround(value * unitMs));
}

RecordCommandLine ParseRecordCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    AddLinkOptions(parser);
    AddMqttOptions(parser);
    parser.addOptions({{kChannels, {}, QStringLiteral("CODES")},
                       {kStep, {}, QStringLiteral("TIME")},
                       {kSave, {}, QStringLiteral("TIME")},
                       {kDuration, {}, QStringLiteral("TIME")},
                       {kCsv, {}, QStringLiteral("PATH")},
                       {kTimeout, {}, QStringLiteral("TIME")}});
    // QCommandLineParser expects the program name first.
    if (!parser.parse(QStringList{QStringLiteral("record")} + arguments))
        return failure(parser.errorText());

    RecordCommandLine result;
    if (parser.isSet(help)) {
        result.help = true;
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return failure(QStringLiteral("record needs the record file to write (OUT.zqr)."));
    if (files.size() > 1)
        return failure(
            QStringLiteral("record writes one record file; '%1' is one too many.").arg(files[1]));
    RecordOptions& options = result.options;
    options.out = files.constFirst();
    if (options.out.isEmpty())
        return failure(QStringLiteral("the record file needs a name."));
    const QString linkError = ReadLinkOptions(parser, options.link);
    if (!linkError.isEmpty())
        return failure(linkError);
    const QString mqttError = ReadMqttOptions(parser, options.broker);
    if (!mqttError.isEmpty())
        return failure(mqttError);
    if (parser.isSet(kChannels)) {
        options.channels = channelList(parser.value(kChannels));
        if (!options.channels)
            return failure(QStringLiteral("--channels '%1' is no list of six quantity codes "
                                          "0-12, e.g. 0,1,2,6,7,9.")
                               .arg(parser.value(kChannels)));
    }
    if (parser.isSet(kStep)) {
        const std::optional<qint64> ms = timeWithin(parser.value(kStep), kMinStepMs, kDayMs);
        if (!ms)
            return failure(QStringLiteral("--step '%1' is no sampling step from 0.1 s to a day.")
                               .arg(parser.value(kStep)));
        options.stepMs = std::int32_t(*ms);
    }
    if (parser.isSet(kSave)) {
        const std::optional<qint64> ms = timeWithin(parser.value(kSave), kMinSaveMs, kDayMs);
        if (!ms)
            return failure(QStringLiteral("--save '%1' is no save interval from 1 s to a day.")
                               .arg(parser.value(kSave)));
        options.saveMs = std::int32_t(*ms);
    }
    if (parser.isSet(kDuration)) {
        const std::optional<qint64> ms = timeWithin(parser.value(kDuration), 1, kMaxDurationMs);
        if (!ms)
            return failure(QStringLiteral("--duration '%1' is no length of time: give seconds or "
                                          "a number with s, m, h or d (90s, 15m, 2h, 3d).")
                               .arg(parser.value(kDuration)));
        options.durationMs = *ms;
    }
    if (parser.isSet(kCsv)) {
        options.csv = parser.value(kCsv);
        if (options.csv.isEmpty())
            return failure(QStringLiteral("--csv needs the name of the CSV file."));
    }
    if (parser.isSet(kTimeout)) {
        const std::optional<qint64> ms = timeWithin(parser.value(kTimeout), 1, kDayMs);
        if (!ms)
            return failure(QStringLiteral("--timeout '%1' is not a number of seconds above 0.")
                               .arg(parser.value(kTimeout)));
        options.timeoutMs = int(*ms);
    }
    return result;
}

QString CheckRecordFiles(const RecordOptions& options, const QString& device)
{
    const QFileInfo out(options.out);
    if (!device.isEmpty() && !sameFile(out, QFileInfo(device)).isEmpty())
        return QStringLiteral("the record file '%1' is the instrument's device.").arg(options.out);
    if (QString problem = writableFileProblem(QStringLiteral("the record file"), options.out);
        !problem.isEmpty())
        return problem;
    if (options.csv.isEmpty())
        return {};
    const QFileInfo csv(options.csv);
    if (!device.isEmpty() && !sameFile(csv, QFileInfo(device)).isEmpty())
        return QStringLiteral("the CSV file '%1' is the instrument's device.").arg(options.csv);
    if (out.absoluteFilePath() == csv.absoluteFilePath() || !sameFile(out, csv).isEmpty())
        return QStringLiteral("the CSV file and the record file are both '%1'.").arg(options.csv);
    return writableFileProblem(QStringLiteral("the CSV file"), options.csv);
}

QString RecordHelp(const QString& program)
{
    std::vector<OptionHelp> options = {
        {QStringLiteral("-h, --help"), QStringLiteral("show this text and exit")}};
    for (const OptionHelp& option : LinkOptionHelp())
        options.push_back(option);
    for (const OptionHelp& option : MqttOptionHelp())
        options.push_back(option);
    options.insert(
        options.end(),
        {{QStringLiteral("--channels CODES"),
          QStringLiteral("the quantities of the six channels, six codes 0-12 (default: the "
                         "saved record settings): 0 URMS, 1 IRMS, 2 active power, 3 apparent "
                         "power, 4 reactive power, 5 phase angle, 6 frequency, 7 power factor, "
                         "8 voltage THD, 9 current THD, 10-12 temperature inputs (always 0)")},
         {QStringLiteral("--step TIME"),
          QStringLiteral("one sample per step, 0.1 s to a day (default: the saved record "
                         "settings)")},
         {QStringLiteral("--save TIME"),
          QStringLiteral("bring the record file up to date this often, 1 s to a day (default: "
                         "the saved record settings)")},
         {QStringLiteral("--duration TIME"),
          QStringLiteral("record for this long, rounded up to whole steps (default: until "
                         "stopped)")},
         {QStringLiteral("--csv PATH"),
          QStringLiteral("also write the samples as CSV, as the record window exports them, "
                         "when the recording ends")},
         {QStringLiteral("--timeout TIME"),
          QStringLiteral("give up when the instrument has not answered this long after the "
                         "start (default 10); once recording, a silent instrument is waited "
                         "for")}});
    QString text =
        QStringLiteral(
            "Usage: %1 record OUT.zqr [options]\n"
            "Records the instrument's continuous sampling into the record file OUT.zqr (a "
            "regular file of that name is replaced) without a window.\n"
            "Without --port, --device or --url the saved link and record settings are used (read "
            "only).\n"
            "TIME is a number of seconds (90, 0.5, 90s) or of minutes, hours or days (15m, 2h, "
            "3d).\n"
            "SIGINT, SIGTERM, SIGHUP and the end of --duration save the file and end the "
            "recording.\n"
            "Exit codes: 0 done, every sample saved; 1 bad arguments, settings, files or port; "
            "2 no answer from the instrument at the start; %2 samples are missing from a file "
            "(its last save failed, it was replaced, or the CSV could not be written; each "
            "failure was reported); %3 a full file could not go on in the next file of its "
            "series (NAME-0002.zqr ...), every sample saved.\n\n"
            "Options:\n")
            .arg(program)
            .arg(kRecordExitUnsaved)
            .arg(kRecordExitSeriesEnded);
    for (const OptionHelp& option : options)
        text += QStringLiteral("  %1  %2\n").arg(option.names, -20).arg(option.description);
    return text;
}
