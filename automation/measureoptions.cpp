#include "measureoptions.h"

#include "mqttoptions.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

const QString kCount = QStringLiteral("count");
const QString kInterval = QStringLiteral("interval");
const QString kFormat = QStringLiteral("format");
const QString kHarmonics = QStringLiteral("harmonics");
const QString kTimeout = QStringLiteral("timeout");

// Seconds as whole milliseconds, or -1 for anything that is not a number of
// seconds from 0 up to a day.
int secondsAsMs(const QString& text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 86400)
        return -1;
    return int(std::lround(seconds * 1000));
}

MeasureCommandLine failure(const QString& error)
{
    MeasureCommandLine result;
    result.error = error;
    return result;
}

} // namespace

MeasureCommandLine ParseMeasureCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    AddLinkOptions(parser);
    parser.addOptions({{kCount, {}, QStringLiteral("N")},
                       {kInterval, {}, QStringLiteral("SECONDS")},
                       {kFormat, {}, QStringLiteral("FORMAT")},
                       {kHarmonics, {}},
                       {kTimeout, {}, QStringLiteral("SECONDS")}});
    AddMqttOptions(parser);
    // QCommandLineParser expects the program name first.
    if (!parser.parse(QStringList{QStringLiteral("measure")} + arguments))
        return failure(parser.errorText());

    MeasureCommandLine result;
    if (parser.isSet(help)) {
        result.help = true;
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return failure(QStringLiteral("measure takes no file or other word: '%1'.")
                           .arg(parser.positionalArguments().constFirst()));
    MeasureOptions& options = result.options;
    const QString linkError = ReadLinkOptions(parser, options.link);
    if (!linkError.isEmpty())
        return failure(linkError);
    if (parser.isSet(kCount)) {
        bool ok = false;
        options.count = parser.value(kCount).toInt(&ok, 10);
        if (!ok || options.count < 0)
            return failure(QStringLiteral("--count '%1' is not a number of measurements "
                                          "(0 measures until stopped).")
                               .arg(parser.value(kCount)));
    }
    if (parser.isSet(kInterval)) {
        options.intervalMs = secondsAsMs(parser.value(kInterval));
        if (options.intervalMs < 0)
            return failure(QStringLiteral("--interval '%1' is not a number of seconds.")
                               .arg(parser.value(kInterval)));
    }
    if (parser.isSet(kFormat)) {
        const QString format = parser.value(kFormat).toLower();
        if (format == QLatin1String("csv"))
            options.format = MeasureOptions::Format::Csv;
        else if (format == QLatin1String("json"))
            options.format = MeasureOptions::Format::Json;
        else
            return failure(QStringLiteral("--format '%1' is unknown: use csv or json.")
                               .arg(parser.value(kFormat)));
    }
    options.harmonics = parser.isSet(kHarmonics);
    if (parser.isSet(kTimeout)) {
        options.timeoutMs = secondsAsMs(parser.value(kTimeout));
        if (options.timeoutMs <= 0)
            return failure(QStringLiteral("--timeout '%1' is not a number of seconds above 0.")
                               .arg(parser.value(kTimeout)));
    }
    const QString mqttError = ReadMqttOptions(parser, options.broker);
    if (!mqttError.isEmpty())
        return failure(mqttError);
    return result;
}

QString MeasureHelp(const QString& program)
{
    std::vector<OptionHelp> options = {
        {QStringLiteral("-h, --help"), QStringLiteral("show this text and exit")}};
    for (const OptionHelp& option : LinkOptionHelp())
        options.push_back(option);
    options.insert(
        options.end(),
        {{QStringLiteral("--count N"),
          QStringLiteral("measurements to print (default 1; 0: until stopped)")},
         {QStringLiteral("--interval SECONDS"),
          QStringLiteral("at most one measurement per interval (default: as fast as the "
                         "instrument answers)")},
         {QStringLiteral("--format csv|json"),
          QStringLiteral("CSV with a header line (default) or JSON Lines")},
         {QStringLiteral("--harmonics"),
          QStringLiteral("add the voltage and current harmonic amplitudes, orders 0-50")},
         {QStringLiteral("--timeout SECONDS"),
          QStringLiteral("give up when the instrument has not answered for this long "
                         "(default 10)")}});
    for (const OptionHelp& option : MqttOptionHelp())
        options.push_back(option);
    QString text =
        QStringLiteral("Usage: %1 measure [options]\n"
                       "Reads measurements from the instrument without a window and prints one "
                       "line each on standard output.\n"
                       "Without --port, --device or --url the saved link settings are used "
                       "(read only).\n"
                       "Exit codes: 0 done (also after SIGINT, SIGTERM or SIGHUP), 1 bad "
                       "arguments, settings or port, 2 no answer from the instrument.\n\n"
                       "Options:\n")
            .arg(program);
    for (const OptionHelp& option : options)
        text += QStringLiteral("  %1  %2\n").arg(option.names, -20).arg(option.description);
    return text;
}
