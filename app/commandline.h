#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action {
        Run,            // start the window (possibly with a file)
        Help,           // print the help text and exit
        Version,        // print the version and exit
        CheckInstall,   // print where the data was found and exit
        Stats,          // print the statistics of a record file and exit
        HarmonicLimits, // print a snapshot's harmonics against the emission limits and exit
        Error,          // print `error` and the hint to --help, exit with failure
    };
    Action action = Action::Run;
    QString error;          // for Action::Error: what is wrong, in one line
    bool demo = false;      // serve a simulated instrument and use it for this run
    QString reportPdf;      // --report-pdf OUT: write the report of FILE and exit (never
                            // a name the program takes for a snapshot or recording)
    QString paper;          // --paper A4|A3|Letter|Legal (empty: the default)
    QString orientation;    // --orientation portrait|landscape (empty: the default)
    bool autoscale = false; // --autoscale: a recording's report autoscaled first
    QString stats;          // --stats FILE: the record file whose statistics to print
    QString from;           // --from TIME and --to TIME of --stats (empty: its ends)
    QString to;
    QString format;         // --format text|csv|json of --stats and --harmonic-limits (empty: text)
    QString harmonicLimits; // --harmonic-limits FILE: the snapshot to compare with the limits
    QString limitsClass;    // --class A|B|C|D of --harmonic-limits
    QStringList arguments;  // the file argument, as the words it was given in
};

// The arguments after the program name (argv[1] on) as text that keeps
// every byte: a file name that is not UTF-8 comes back byte for byte from
// ToUtf8Lossless (losslessutf8.h), where Qt's own decoding would replace it.
QStringList ArgumentsFromBytes(int argc, const char* const* argv);

// Reads the arguments after the program name. Qt's own options (-platform,
// -style ...) must already be removed, as QApplication does.
CommandLine ParseCommandLine(const QStringList& arguments);

// Whether the arguments are answered on the terminal alone (--help,
// --version, --check-install, a wrong option of this program); checked on the
// raw arguments before any window system is reached.
bool NeedsNoWindow(const QStringList& arguments);

// The options that work without a display (an X server or a Wayland
// compositor); every other start opens the main window and needs one.
QStringList OptionsWithoutDisplay();

// The text of --help; `program` is the name the program was started by.
QString CommandLineHelp(const QString& program);

// The text of --version.
QString VersionText();
