#include "commandline.h"

#include "losslessutf8.h"
#include "qpaversion.h"
#include "snapshotcommands.h"

#include <QCommandLineParser>

namespace {

const QStringList kPapers = {QStringLiteral("A4"), QStringLiteral("A3"), QStringLiteral("Letter"),
                             QStringLiteral("Legal")};
const QStringList kOrientations = {QStringLiteral("portrait"), QStringLiteral("landscape")};

// The options in the order --help lists them.
struct OptionText {
    const char* names;
    const char* value; // empty: a switch
    const char* description;
};
constexpr OptionText kOptionTexts[] = {
    {"-h, --help", "", "show this text and exit"},
    {"-v, --version", "", "show the version and exit"},
    {"--demo", "", "start a simulated instrument and use it as the port of this run"},
    {"--report-pdf", "OUT",
     "write the report of FILE (a snapshot or a recording) to the PDF file OUT and exit"},
    {"--paper", "SIZE", "paper of --report-pdf: A4 (default), A3, Letter or Legal"},
    {"--orientation", "O",
     "orientation of --report-pdf: portrait or landscape (default: portrait for a snapshot, landscape for a recording)"},
    {"--autoscale", "",
     "with --report-pdf of a recording: draw its chart autoscaled (each shown channel at the finest scale it fits, the display range its signs need)"},
    {"--check-install", "", "show where the program's data was found and exit"},
    {"--stats", "FILE",
     "print the minimum, maximum, mean and energy of each channel of the recording FILE and exit"},
    {"--from", "TIME",
     "start of the span of --stats: 2026-12-11T01:02:03, a time of day 01:02:03 (its first "
     "moment in the recording) or +SECONDS after the first sample (default: the first sample)"},
    {"--to", "TIME", "end of the span of --stats, in the same forms (default: the last sample)"},
    {"--harmonic-limits", "FILE",
     "compare the current harmonics of the snapshot FILE with the IEC 61000-3-2 emission limits "
     "of --class and exit: 0 every limit kept, 3 a limit exceeded, 1 bad input or no verdict "
     "(a pre-compliance aid, not the standard's full method)"},
    {"--class", "C", "class of --harmonic-limits: A, B, C or D"},
    {"--format", "F", "output of --stats and --harmonic-limits: text (default), csv or json"},
};

// The choice of `allowed` that `value` names, ignoring case; empty when none.
QString matchChoice(const QString& value, const QStringList& allowed)
{
    for (const QString& choice : allowed)
        if (value.compare(choice, Qt::CaseInsensitive) == 0)
            return choice;
    return {};
}

CommandLine failure(const QString& error)
{
    CommandLine result;
    result.action = CommandLine::Action::Error;
    result.error = error;
    return result;
}

} // namespace

QStringList ArgumentsFromBytes(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << FromUtf8Lossless(argv[i]);
    return arguments;
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption demo(QStringLiteral("demo"));
    const QCommandLineOption checkInstall(QStringLiteral("check-install"));
    const QCommandLineOption reportPdf(QStringLiteral("report-pdf"), {}, QStringLiteral("OUT"));
    const QCommandLineOption paper(QStringLiteral("paper"), {}, QStringLiteral("SIZE"));
    const QCommandLineOption orientation(QStringLiteral("orientation"), {}, QStringLiteral("O"));
    const QCommandLineOption stats(QStringLiteral("stats"), {}, QStringLiteral("FILE"));
    const QCommandLineOption from(QStringLiteral("from"), {}, QStringLiteral("TIME"));
    const QCommandLineOption to(QStringLiteral("to"), {}, QStringLiteral("TIME"));
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("F"));
    const QCommandLineOption autoscale(QStringLiteral("autoscale"));
    const QCommandLineOption harmonicLimits(QStringLiteral("harmonic-limits"), {},
                                            QStringLiteral("FILE"));
    const QCommandLineOption limitsClass(QStringLiteral("class"), {}, QStringLiteral("C"));
    parser.addOptions({help, version, demo, checkInstall, reportPdf, paper, orientation, autoscale,
                       stats, from, to, format, harmonicLimits, limitsClass});

    // QCommandLineParser expects the program name first.
    if (!parser.parse(QStringList{QStringLiteral("qpa3600")} + arguments))
        return failure(parser.errorText());

    CommandLine result;
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Help;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Version;
        return result;
    }
    if (parser.isSet(checkInstall))
        result.action = CommandLine::Action::CheckInstall;
    result.demo = parser.isSet(demo);
    result.arguments = parser.positionalArguments();

    const auto readFormat = [&parser, &format](CommandLine& line) {
        line.format = parser.value(format);
        if (parser.isSet(format)
            && matchChoice(line.format,
                           {QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("json")})
                   .isEmpty())
            return false;
        line.format = line.format.toLower();
        return true;
    };
    if (parser.isSet(harmonicLimits)) {
        if (parser.isSet(stats) || parser.isSet(reportPdf))
            return failure(QStringLiteral(
                "--harmonic-limits cannot be used together with --stats or --report-pdf."));
        if (parser.isSet(from) || parser.isSet(to))
            return failure(QStringLiteral("--from and --to apply only with --stats."));
        result.action = CommandLine::Action::HarmonicLimits;
        result.harmonicLimits = parser.value(harmonicLimits);
        if (result.harmonicLimits.isEmpty())
            return failure(
                QStringLiteral("--harmonic-limits needs the name of a snapshot file (*.zqm)."));
        result.limitsClass = parser.value(limitsClass);
        if (result.limitsClass.isEmpty())
            return failure(QStringLiteral("--harmonic-limits needs --class A, B, C or D."));
        if (!readFormat(result))
            return failure(
                QStringLiteral("Unknown format '%1': use text, csv or json.").arg(result.format));
        return result;
    }
    if (parser.isSet(limitsClass))
        return failure(QStringLiteral("--class applies only with --harmonic-limits."));

    if (parser.isSet(stats)) {
        if (parser.isSet(reportPdf))
            return failure(QStringLiteral("--stats and --report-pdf cannot be used together."));
        result.action = CommandLine::Action::Stats;
        result.stats = parser.value(stats);
        if (result.stats.isEmpty())
            return failure(QStringLiteral("--stats needs the name of a record file (*.zqr)."));
        result.from = parser.value(from);
        result.to = parser.value(to);
        if (!readFormat(result))
            return failure(
                QStringLiteral("Unknown format '%1': use text, csv or json.").arg(result.format));
        return result;
    }
    if (parser.isSet(from) || parser.isSet(to) || parser.isSet(format))
        return failure(QStringLiteral(
            "--from and --to apply only with --stats, --format with --stats or --harmonic-limits."));

    if (parser.isSet(reportPdf)) {
        result.reportPdf = parser.value(reportPdf);
        if (result.reportPdf.isEmpty())
            return failure(QStringLiteral("--report-pdf needs the name of the PDF file to write."));
        // "--report-pdf r2.zqr r1.zqr", the PDF's name forgotten, would
        // replace a recording with a report of another one.
        if (KindOfStartFile(result.reportPdf) != StartFileKind::None)
            return failure(
                QStringLiteral("--report-pdf %1: that is the name of a snapshot or record "
                               "file, not of a PDF to write; nothing was written.")
                    .arg(result.reportPdf));
        if (result.arguments.isEmpty())
            return failure(QStringLiteral("--report-pdf needs a snapshot file (*.zqm) to report."));
    } else if (parser.isSet(paper) || parser.isSet(orientation)) {
        return failure(QStringLiteral("--paper and --orientation apply only with --report-pdf."));
    } else if (parser.isSet(autoscale)) {
        return failure(QStringLiteral("--autoscale applies only with --report-pdf."));
    }
    result.autoscale = parser.isSet(autoscale);
    if (parser.isSet(paper)) {
        result.paper = matchChoice(parser.value(paper), kPapers);
        if (result.paper.isEmpty())
            return failure(QStringLiteral("Unknown paper '%1': use A4, A3, Letter or Legal.")
                               .arg(parser.value(paper)));
    }
    if (parser.isSet(orientation)) {
        result.orientation = matchChoice(parser.value(orientation), kOrientations);
        if (result.orientation.isEmpty())
            return failure(QStringLiteral("Unknown orientation '%1': use portrait or landscape.")
                               .arg(parser.value(orientation)));
    }
    return result;
}

bool NeedsNoWindow(const QStringList& arguments)
{
    // Decided on the raw words, before QApplication removes its own options:
    // a window system must not be needed to answer these.
    bool qtOptionPossible = false;
    for (const QString& word : arguments) {
        if (word == QLatin1String("--"))
            break;
        for (const char* option :
             {"-h", "--help", "-v", "--version", "--check-install", "--stats", "--harmonic-limits"})
            if (word == QLatin1String(option))
                return true;
        if (word.startsWith(QLatin1String("--stats="))
            || word.startsWith(QLatin1String("--harmonic-limits=")))
            return true;
        // Qt's own options (-platform, -style ...) take one dash.
        if (word.startsWith(QLatin1Char('-')) && !word.startsWith(QLatin1String("--")))
            qtOptionPossible = true;
    }
    // A mistake no Qt option can explain is reported without a window.
    return !qtOptionPossible && ParseCommandLine(arguments).action == CommandLine::Action::Error;
}

QStringList OptionsWithoutDisplay()
{
    return {QStringLiteral("--report-pdf"), QStringLiteral("--help"),
            QStringLiteral("--version"),    QStringLiteral("--check-install"),
            QStringLiteral("--stats"),      QStringLiteral("--harmonic-limits")};
}

QString CommandLineHelp(const QString& program)
{
    QString text = QStringLiteral("Usage: %1 [options] [FILE]\n"
                                  "       %1 measure [options]  (see '%1 measure --help')\n"
                                  "       %1 record OUT.zqr [options]  (see '%1 record --help')\n"
                                  "The desktop program of the QPA3600 power analyzer.\n"
                                  "FILE is a snapshot (*.zqm) to show or a recording (*.zqr) "
                                  "to open in the record window.\n"
                                  "       %1 --stats FILE.zqr [--from TIME] [--to TIME] "
                                  "[--format text|csv|json]\n"
                                  "       %1 --harmonic-limits FILE.zqm --class A|B|C|D "
                                  "[--format text|csv|json]\n\nOptions:\n")
                       .arg(program);
    for (const OptionText& option : kOptionTexts) {
        QString left = QLatin1String(option.names);
        if (*option.value)
            left += QLatin1Char(' ') + QLatin1String(option.value);
        text += QStringLiteral("  %1  %2\n").arg(left, -20).arg(QLatin1String(option.description));
    }
    return text;
}

QString VersionText()
{
    return QStringLiteral("qpa3600 %1\n").arg(QLatin1String(kQpaVersion));
}
