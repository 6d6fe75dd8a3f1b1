#include "commandline.h"
#include "eventwait.h"
#include "programrig.h"
#include "simulatedinstrument.h"

#include "losslessutf8.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, ParsesTheOptionsAndKeepsTheFileWordsAsGiven)
{
    const struct Case {
        QStringList arguments;
        Action action;
        bool demo;
        QStringList file;
        QString reportPdf, paper, orientation;
    } cases[] = {
        {{}, Action::Run, false, {}, {}, {}, {}},
        {{"a.zqm"}, Action::Run, false, {"a.zqm"}, {}, {}, {}},
        // An unquoted path with blanks arrives as several words; they stay
        // apart and in order, to be joined as before.
        {{"/tmp/my", "file.ZQM"}, Action::Run, false, {"/tmp/my", "file.ZQM"}, {}, {}, {}},
        {{"--demo", "rec.Zqr"}, Action::Run, true, {"rec.Zqr"}, {}, {}, {}},
        {{"rec.zqr", "--demo"}, Action::Run, true, {"rec.zqr"}, {}, {}, {}},
        {{"--", "-odd.zqm"}, Action::Run, false, {"-odd.zqm"}, {}, {}, {}},
        {{"\"/x y.zqm\""}, Action::Run, false, {"\"/x y.zqm\""}, {}, {}, {}},
        {{"--help", "a.zqm"}, Action::Help, false, {}, {}, {}, {}},
        {{"-h"}, Action::Help, false, {}, {}, {}, {}},
        {{"-v"}, Action::Version, false, {}, {}, {}, {}},
        {{"--version", "--demo"}, Action::Version, false, {}, {}, {}, {}},
        {{"--check-install"}, Action::CheckInstall, false, {}, {}, {}, {}},
        {{"--report-pdf", "out.pdf", "a.zqm"}, Action::Run, false, {"a.zqm"}, "out.pdf", {}, {}},
        {{"--report-pdf=o.pdf", "--paper", "letter", "--orientation", "LANDSCAPE", "a.zqm"},
         Action::Run,
         false,
         {"a.zqm"},
         "o.pdf",
         "Letter",
         "landscape"},
        {{"--report-pdf", "o.pdf", "--paper=A3", "a.zqm"},
         Action::Run,
         false,
         {"a.zqm"},
         "o.pdf",
         "A3",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.action, c.action) << parsed.error.toStdString();
        if (c.action != Action::Run)
            continue;
        EXPECT_EQ(parsed.demo, c.demo);
        EXPECT_EQ(parsed.arguments, c.file);
        EXPECT_EQ(parsed.reportPdf, c.reportPdf);
        EXPECT_EQ(parsed.paper, c.paper);
        EXPECT_EQ(parsed.orientation, c.orientation);
    }
}

TEST(CommandLineTest, WrongOptionsAreErrorsThatSayWhatIsWrong)
{
    const struct Case {
        QStringList arguments;
        const char* named; // a word the error must contain
    } cases[] = {
        {{"--bogus"}, "bogus"},
        {{"--report-pdf"}, "report-pdf"},
        {{"--report-pdf", "out.pdf"}, "zqm"},
        {{"--paper", "A4", "a.zqm"}, "--report-pdf"},
        {{"--report-pdf", "o.pdf", "--paper", "B5", "a.zqm"}, "B5"},
        {{"--report-pdf", "o.pdf", "--orientation", "sideways", "a.zqm"}, "sideways"},
        {{"--demo=yes"}, "demo"},
        // the PDF's name forgotten: the output would replace a recording
        {{"--report-pdf", "r2.zqr", "r1.zqr"}, "r2.zqr"},
        {{"--report-pdf=x.ZqM", "a.zqm"}, "x.ZqM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.action, Action::Error);
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.named))) << parsed.error.toStdString();
    }
}

TEST(CommandLineTest, TerminalAnswersAreRecognisedBeforeQtRemovesItsOptions)
{
    EXPECT_TRUE(NeedsNoWindow({"--version"}));
    EXPECT_TRUE(NeedsNoWindow({"-platform", "xcb", "--help"}));
    EXPECT_TRUE(NeedsNoWindow({"--bogus"}));
    // Qt's own options are not this program's mistakes: QApplication takes them.
    EXPECT_FALSE(NeedsNoWindow({"-platform", "offscreen"}));
    EXPECT_FALSE(NeedsNoWindow({"-style=fusion", "a.zqm"}));
    EXPECT_FALSE(NeedsNoWindow({"a.zqm"}));
    EXPECT_FALSE(NeedsNoWindow({"--demo"}));
    // After "--" every word is a file name.
    EXPECT_FALSE(NeedsNoWindow({"--", "--help"}));
}

// The real program, started where no window system is reachable.
QProcess* runWithoutDisplay(const QStringList& arguments)
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(QPA3600_BINARY), arguments);
    process->waitForFinished(30000);
    return process;
}

TEST(CommandLineTest, HelpVersionAndMistakesAnswerWithoutADisplay)
{
    const struct Case {
        QStringList arguments;
        int exitCode;
        QStringList out; // lines that must be on stdout
        const char* err; // text that must be on stderr
    } cases[] = {
        {{"--version"}, 0, {"qpa3600 " QPA_PROJECT_VERSION}, ""},
        {{"-v"}, 0, {"qpa3600 " QPA_PROJECT_VERSION}, ""},
        {{"--help"}, 0, {"Usage: qpa3600 [options] [FILE]"}, ""},
        {{"--bogus"}, 2, {}, "Unknown option 'bogus'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        std::unique_ptr<QProcess> process(runWithoutDisplay(c.arguments));
        ASSERT_EQ(process->exitStatus(), QProcess::NormalExit)
            << process->errorString().toStdString();
        EXPECT_EQ(process->exitCode(), c.exitCode);
        const QString out = QString::fromLocal8Bit(process->readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process->readAllStandardError());
        for (const QString& line : c.out)
            EXPECT_TRUE(out.split('\n').contains(line)) << out.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(c.err))) << err.toStdString();
    }
}

// The real program with a settings file of its own: a copy of the binary in a
// folder beside its data, whose saved port is a simulated instrument.
class OwnFolderProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(simulator.start());
        const QDir built = QFileInfo(QStringLiteral(QPA3600_BINARY)).dir();
        binary = dir.filePath(QStringLiteral("qpa3600"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(QPA3600_BINARY), binary));
        for (const char* data : {"SkinsFile", "PenData"})
            ASSERT_TRUE(QFile::link(built.filePath(QLatin1String(data)),
                                    dir.filePath(QLatin1String(data))));
        ASSERT_TRUE(
            WriteWholeFile(dir.filePath(QStringLiteral("SysSet.ini")),
                           PortSettings(QByteArray::fromStdString(simulator.devicePath()), 7, 1)));
    }

    QTemporaryDir dir;
    QString binary;
    SimulatedInstrument simulator;
};

TEST_F(OwnFolderProgramTest, WithoutADisplayTheWindowIsRefusedAndThePortLeftAlone)
{
    const struct Case {
        QStringList arguments;
        bool emptyVariables; // DISPLAY and WAYLAND_DISPLAY set but empty
    } cases[] = {
        {{}, false},
        {{}, true},
        {{"--demo"}, false},
        {{"a.zqm"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + (c.emptyVariables ? " (empty)" : ""));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (c.emptyVariables) {
            env.insert(QStringLiteral("DISPLAY"), QString());
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
        }
        process.setProcessEnvironment(env);
        process.start(binary, c.arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.startsWith(QLatin1String("qpa3600: no display: neither DISPLAY nor "
                                                 "WAYLAND_DISPLAY is set;")))
            << err.toStdString();
        for (const QString& option : OptionsWithoutDisplay())
            EXPECT_TRUE(err.contains(option)) << option.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    }
    EXPECT_EQ(simulator.requestCount(), 0u) << "the saved port was never opened";
}

// A platform chosen explicitly is the user's choice: offscreen runs as asked
// and connects to the saved port, as the tests' own windows do.
TEST_F(OwnFolderProgramTest, AnExplicitPlatformStartsWithoutADisplay)
{
    const struct Case {
        const char* platformVariable; // QT_QPA_PLATFORM, or null
        QStringList arguments;
    } cases[] = {
        {"offscreen", {}},
        {nullptr, {"-platform", "offscreen"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        simulator.clearReceivedRequests();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (c.platformVariable)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(c.platformVariable));
        process.setProcessEnvironment(env);
        process.start(binary, c.arguments);
        ASSERT_TRUE(process.waitForStarted(30000));
        // The second request follows the first answer, in the event loop:
        // by then SIGTERM closes the main window.
        EXPECT_TRUE(simulator.waitForRequests(2, 30000)) << "the saved port is opened and read";
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_FALSE(process.readAllStandardError().contains("no display"));
    }
}

TEST(CommandLineTest, HelpListsEveryOption)
{
    const QString help = CommandLineHelp(QStringLiteral("qpa3600"));
    for (const char* option : {"--help", "--version", "--demo", "--report-pdf OUT", "--paper",
                               "--orientation", "--check-install"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
}

// A file name that is not UTF-8 survives the command line byte for byte;
// Qt's own encoding of file names would not reach it (which is why the
// program opens and writes names through these bytes), while for UTF-8
// names both agree.
TEST(CommandLineTest, ArgumentsKeepTheBytesOfTheirFileNames)
{
    const char* argv[] = {"qpa3600", "--report-pdf", "out\xe9.pdf", "/data/caf\xe9 \xff.zQm",
                          "\xe6\xb8\xac.zqm"};
    const QStringList arguments = ArgumentsFromBytes(5, argv);
    ASSERT_EQ(arguments.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ToUtf8Lossless(arguments[i]), QByteArray(argv[i + 1]));
    const CommandLine parsed = ParseCommandLine(arguments.mid(0, 3));
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error.toStdString();
    EXPECT_EQ(ToUtf8Lossless(parsed.reportPdf), QByteArray("out\xe9.pdf"));
    EXPECT_EQ(ToUtf8Lossless(parsed.arguments.join(' ')), QByteArray("/data/caf\xe9 \xff.zQm"));

    EXPECT_NE(QFile::encodeName(arguments[1]), QByteArray("out\xe9.pdf"));
    EXPECT_EQ(QFile::encodeName(arguments[3]), ToUtf8Lossless(arguments[3]));
    EXPECT_EQ(QFile::decodeName("\xe6\xb8\xac.zqm"), arguments[3]);
}

} // namespace

namespace {

TEST(CommandLineTest, AutoscaleGoesWithTheReportPdfOnly)
{
    const CommandLine parsed = ParseCommandLine({"--report-pdf", "o.pdf", "--autoscale", "r.zqr"});
    ASSERT_EQ(parsed.action, CommandLine::Action::Run) << parsed.error.toStdString();
    EXPECT_TRUE(parsed.autoscale);
    EXPECT_FALSE(ParseCommandLine({"--report-pdf", "o.pdf", "r.zqr"}).autoscale);
    const CommandLine alone = ParseCommandLine({"--autoscale", "r.zqr"});
    EXPECT_EQ(alone.action, CommandLine::Action::Error);
    EXPECT_TRUE(alone.error.contains("--report-pdf")) << alone.error.toStdString();
    EXPECT_TRUE(CommandLineHelp(QStringLiteral("qpa3600")).contains("--autoscale"));
}

} // namespace
