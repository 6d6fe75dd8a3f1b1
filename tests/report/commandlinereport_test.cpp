// qpa3600 --report-pdf: the program run as a separate process, without a
// display, writing the reports of files.
#include "commandlinereport.h"
#include "pageframe.h"
#include "pdftext.h"
#include "ptypair.h"
#include "recordautoscale.h"
#include "recordblock.h"
#include "recordchart.h"
#include "recordreportgeometry.h"
#include "recordstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kPointsPerPixel = 72.0 / 1200.0;

struct ProgramRun {
    int exitCode = -1;
    QString errors;
};

class CommandLineReportTest : public ::testing::Test {
protected:
    CommandLineReportTest()
    {
        // A copy of the program in a folder of its own: its settings folder
        // is the folder it runs from.
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/qpa3600");
        program = dir.filePath(QStringLiteral("qpa3600"));
        EXPECT_TRUE(QFile::copy(built, program)) << built.toStdString();
        QFile::setPermissions(program, QFile::permissions(built));
        writeFile(QStringLiteral("EnterInfo.ini"),
                  "[PrintInfo]\nProjectName=Line7\ncompany=ACME\nconner=Lin\ndate=2026-12-10\n"
                  "temperature=23\nunits=1\n");
    }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A record file of `count` samples in one or two blocks: channel c holds
    // 100 + 10 c, its quantity codes are 0-5.
    void writeRecordFile(const QString& name, int count)
    {
        QByteArray bytes;
        for (int k = 0; k * 1000 < count; ++k) {
            auto block = std::make_unique<RecordBlock>();
            std::memset(block.get(), 0, sizeof *block);
            for (int i = 0; i < 1000 && k * 1000 + i < count; ++i) {
                for (int c = 0; c < 6; ++c)
                    block->Values[c][i] = 100.0f + 10 * c;
                block->Timestamps[i] = 46000.5 + (k * 1000 + i) / 86400.0;
            }
            block->Codes = {0, 1, 2, 3, 4, 5};
            block->Count = count;
            bytes.append(reinterpret_cast<const char*>(block.get()), sizeof *block);
        }
        writeFile(name, bytes);
    }

    ProgramRun run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    // The program run with arguments given as bytes, as a shell passes a
    // name that is not UTF-8 (QProcess would re-encode them).
    ProgramRun runBytes(const std::vector<QByteArray>& arguments)
    {
        std::vector<QByteArray> words{QFile::encodeName(program)};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(words.size() + 1);
        for (QByteArray& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<QByteArray> variables;
        for (char** v = environ; *v; ++v) {
            const QByteArray variable(*v);
            if (!variable.startsWith("DISPLAY=") && !variable.startsWith("WAYLAND_DISPLAY=")
                && !variable.startsWith("QT_QPA_PLATFORM="))
                variables.push_back(variable);
        }
        std::vector<char*> env;
        env.reserve(variables.size() + 1);
        for (QByteArray& variable : variables)
            env.push_back(variable.data());
        env.push_back(nullptr);

        int err[2];
        if (::pipe2(err, O_CLOEXEC) != 0)
            return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);
        QByteArray errors;
        char buffer[4096];
        for (ssize_t got; spawned == 0 && (got = ::read(err[0], buffer, sizeof buffer)) > 0;)
            errors.append(buffer, got);
        ::close(err[0]);
        int status = 0;
        if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return {-1, QString::fromUtf8(errors)};
        return {WEXITSTATUS(status), QString::fromUtf8(errors)};
    }

    QByteArray bytesOf(const char* name) const
    {
        return QFile::encodeName(dir.path()) + '/' + name;
    }

    static const PdfWord* Find(const std::vector<PdfWord>& words, const QString& text)
    {
        for (const PdfWord& w : words)
            if (w.text == text)
                return &w;
        return nullptr;
    }

    QTemporaryDir dir;
    QString program;
};

TEST_F(CommandLineReportTest, SnapshotGivesTheAnalysisReportOnAPortraitA4)
{
    writeFile(QStringLiteral("m.ZQM"), QByteArray(8052, '\0'));
    const QString pdf = dir.filePath(QStringLiteral("analysis.pdf"));
    const ProgramRun r =
        run({QStringLiteral("--report-pdf"), pdf, dir.filePath(QStringLiteral("m.ZQM"))});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Line7TestReport\\n")))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Creator:\\s+Quorvane QPA3600\\n")));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n")));
    EXPECT_TRUE(info.contains(
        QRegularExpression("Page size:\\s+595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)")));
    const auto words = PdfWords(pdf);
    const PdfWord* label = Find(words, QStringLiteral("第1頁"));
    ASSERT_TRUE(label);
    EXPECT_NEAR(label->xMin,
                TruncToInt(0.985 * PageFrame::ForPage(9921, 14031).FW) * kPointsPerPixel, 1.0);
    EXPECT_TRUE(Find(words, QStringLiteral("項目：Line7")));
    // Nothing beside the program was written.
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("SysSet.ini"))));
}

TEST_F(CommandLineReportTest, RecordFileGivesTheRecordReportAsTheWindowShowsIt)
{
    writeRecordFile(QStringLiteral("r.zqr"), 1500);
    const QString pdf = dir.filePath(QStringLiteral("record.pdf"));
    const ProgramRun r =
        run({QStringLiteral("--report-pdf"), pdf, dir.filePath(QStringLiteral("r.zqr"))});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+RecordReport\\n")))
        << info.toStdString();
    EXPECT_TRUE(info.contains(
        QRegularExpression("Page size:\\s+842(\\.\\d+)? x 595(\\.\\d+)? pts \\(A4\\)")));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n")));
    const QString fonts = RunTool(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans"))) << fonts.toStdString();

    const PageFrame f = PageFrame::ForPage(14031, 9921);
    const RecordPrintGeometry g = RecordPrintGeometryFor(f);
    const auto words = PdfWords(pdf);
    const struct {
        const char* text;
        int x, y;
    } expected[] = {
        {"Time/DIV=20S", f.L + 50, g.Hc + RoundToInt(2.3 * f.T)},
        {"CH2/DIV=50", f.L + 2000, g.Hc + RoundToInt(2.3 * f.T)},
        {"通道信號說明:", f.L + 50, g.Hc + 4 * f.T},
        {"Note:", f.L + 50, g.Hc + 6 * f.T},
        {"100%", f.R - 450, g.Yt - 60},
        {"第1頁", TruncToInt(0.985 * f.FW), TruncToInt(0.01 * f.FH + f.T)},
    };
    for (const auto& e : expected) {
        const PdfWord* w = Find(words, QString::fromUtf8(e.text));
        ASSERT_TRUE(w) << e.text;
        EXPECT_NEAR(w->xMin, e.x * kPointsPerPixel, 1.5) << e.text;
        // The glyph box starts a little below the text cell's top.
        EXPECT_NEAR(w->yMin, e.y * kPointsPerPixel, 4.0) << e.text;
    }
    // The status as the record window writes it at its designed chart width:
    // 690 of the 1499 drawable samples.
    const PdfWord* length = Find(words, QStringLiteral("長度：690点"));
    ASSERT_TRUE(length);
    EXPECT_NEAR(length->xMin, (f.L + 5500) * kPointsPerPixel, 1.5);
    EXPECT_TRUE(Find(words, QStringLiteral("電壓")));
}

TEST_F(CommandLineReportTest, PaperAndOrientationAreTakenFromTheArguments)
{
    writeRecordFile(QStringLiteral("r.Zqr"), 10);
    const QString pdf = dir.filePath(QStringLiteral("a3.pdf"));
    const ProgramRun r = run({QStringLiteral("--report-pdf"), pdf, QStringLiteral("--paper"),
                              QStringLiteral("A3"), QStringLiteral("--orientation"),
                              QStringLiteral("portrait"), dir.filePath(QStringLiteral("r.Zqr"))});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(
        QRegularExpression("Page size:\\s+842(\\.\\d+)? x 119\\d(\\.\\d+)? pts \\(A3\\)")))
        << info.toStdString();
}

TEST_F(CommandLineReportTest, BadInputOrOutputFailsWithAMessageAndNoFile)
{
    writeFile(QStringLiteral("short.zqm"), QByteArray(8000, '\0'));
    writeFile(QStringLiteral("half.zqr"), QByteArray(30000, '\0'));
    writeFile(QStringLiteral("m.zqm"), QByteArray(8052, '\0'));
    writeFile(QStringLiteral("m.txt"), QByteArray(8052, '\0'));
    writeFile(QStringLiteral("blocker"), "a file, not a folder");
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    const struct {
        const char* name;
        QStringList arguments;
        const char* message; // part of the message
    } cases[] = {
        {"short snapshot", {"--report-pdf", out, dir.filePath("short.zqm")}, "8052"},
        {"no whole record block", {"--report-pdf", out, dir.filePath("half.zqr")}, "half.zqr"},
        {"unknown extension", {"--report-pdf", out, dir.filePath("m.txt")}, "m.txt"},
        {"missing file", {"--report-pdf", out, dir.filePath("none.zqm")}, "none.zqm"},
        {"unwritable output",
         {"--report-pdf", dir.filePath("blocker/out.pdf"), dir.filePath("m.zqm")},
         "blocker/out.pdf"},
        {"unknown paper", {"--report-pdf", out, "--paper", "B5", dir.filePath("m.zqm")}, "B5"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const ProgramRun r = run(k.arguments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.errors.contains(QString::fromUtf8(k.message))) << r.errors.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("blocker/out.pdf")));
    }
}

// An output name that leads to a device, a pipe or a folder, or that is
// another user's link, is refused: nothing there changes. Making a device
// node and giving a link another owner take root; those cases are left out
// for an ordinary user.
TEST_F(CommandLineReportTest, OutputThatIsNoRegularFileOrAnotherUsersLinkIsRefused)
{
    writeFile(QStringLiteral("m.zqm"), QByteArray(8052, '\0'));
    writeFile(QStringLiteral("victim.pdf"), "the user's report");
    const QString fifo = dir.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.pdf")));
    std::vector<QString> refused = {fifo, dir.filePath(QStringLiteral("folder.pdf"))};
    const QString device = dir.filePath(QStringLiteral("full.pdf"));
    const QString planted = dir.filePath(QStringLiteral("planted.pdf"));
    if (::geteuid() == 0) {
        // /dev/full's own numbers, in the test's folder.
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
            refused.push_back(device);
        ASSERT_EQ(::symlink(QFile::encodeName(dir.filePath("victim.pdf")).constData(),
                            QFile::encodeName(planted).constData()),
                  0);
        ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
        refused.push_back(planted);
    }
    for (const QString& out : refused) {
        SCOPED_TRACE(out.toStdString());
        const ProgramRun r = run({QStringLiteral("--report-pdf"), out, dir.filePath("m.zqm")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.errors.contains(out)) << r.errors.toStdString();
    }
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder.pdf"))).isDir());
    if (refused.size() > 2) {
        ASSERT_EQ(::lstat(QFile::encodeName(planted).constData(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode));
        QFile victim(dir.filePath(QStringLiteral("victim.pdf")));
        ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
        EXPECT_EQ(victim.readAll(), "the user's report");
    }
    if (QFileInfo::exists(device) || QFileInfo(device).isSymLink()) {
        ASSERT_EQ(::lstat(QFile::encodeName(device).constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
}

TEST_F(CommandLineReportTest, TheSavedPortIsNeitherOpenedNorWrittenNorAreSettings)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const QByteArray settings =
        "[CommPort]\nPort=150\n[PortMap]\nCOM150=" + pty.slavePath().toUtf8() + "\n";
    writeFile(QStringLiteral("SysSet.ini"), settings);
    writeFile(QStringLiteral("m.zqm"), QByteArray(8052, '\0'));
    const QString pdf = dir.filePath(QStringLiteral("m.pdf"));
    const ProgramRun r =
        run({QStringLiteral("--report-pdf"), pdf, dir.filePath(QStringLiteral("m.zqm"))});
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(pdf));
    char byte = 0;
    EXPECT_EQ(::read(pty.master(), &byte, 1), -1); // not a byte arrived
    QFile file(dir.filePath(QStringLiteral("SysSet.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), settings);
}

// "--report-pdf OUT IN" where OUT is IN under any name, or is named like a
// snapshot or recording (the PDF's name forgotten): refused with exit code 1
// and a message, every file as it was, nothing new in the folder.
TEST_F(CommandLineReportTest, AnOutputThatIsTheInputOrNamedLikeOneIsRefused)
{
    writeRecordFile(QStringLiteral("r1.zqr"), 1500);
    writeRecordFile(QStringLiteral("r2.zqr"), 20);
    writeFile(QStringLiteral("m.zqm"), QByteArray(8052, '\x11'));
    ASSERT_EQ(::link(bytesOf("r1.zqr").constData(), bytesOf("hard-link.pdf").constData()), 0);
    ASSERT_EQ(::symlink("r1.zqr", bytesOf("soft-link.pdf").constData()), 0);
    ASSERT_EQ(::link(bytesOf("m.zqm").constData(), bytesOf("m-link.pdf").constData()), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));

    const auto folder = [&] {
        QMap<QString, QByteArray> files;
        for (const QFileInfo& info : QDir(dir.path()).entryInfoList(QDir::Files | QDir::System)) {
            if (info.fileName() == QLatin1String("qpa3600"))
                continue;
            QFile file(info.filePath());
            files[info.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }
        return files;
    };
    const struct {
        const char* name;
        QString output;
        QString input;
        const char* message; // part of the message
    } cases[] = {
        {"another recording", dir.filePath("r2.zqr"), dir.filePath("r1.zqr"), "r2.zqr"},
        {"the input itself", dir.filePath("r1.zqr"), dir.filePath("r1.zqr"), "r1.zqr"},
        {"upper case", dir.filePath("R2.ZQR"), dir.filePath("r1.zqr"), "R2.ZQR"},
        {"mixed case", dir.filePath("r2.zQr"), dir.filePath("r1.zqr"), "r2.zQr"},
        {"a new snapshot name", dir.filePath("new.zqM"), dir.filePath("m.zqm"), "new.zqM"},
        {"a snapshot over a recording", dir.filePath("r2.zqr"), dir.filePath("m.zqm"), "r2.zqr"},
        {"a hard link to the input", dir.filePath("hard-link.pdf"), dir.filePath("r1.zqr"),
         "hard-link.pdf"},
        {"a symbolic link to the input", dir.filePath("soft-link.pdf"), dir.filePath("r1.zqr"),
         "soft-link.pdf"},
        {"the input by another path", dir.filePath("m-link.pdf"), dir.filePath("sub/../m.zqm"),
         "m-link.pdf"},
    };
    const QMap<QString, QByteArray> before = folder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun r = run({QStringLiteral("--report-pdf"), c.output, c.input});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.errors.contains(QString::fromUtf8(c.message))) << r.errors.toStdString();
        EXPECT_TRUE(folder() == before);
    }
    // The same words with a PDF's name write the report.
    const ProgramRun ok =
        run({QStringLiteral("--report-pdf"), dir.filePath("r1.pdf"), dir.filePath("r1.zqr")});
    EXPECT_EQ(ok.exitCode, 0) << ok.errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("r1.pdf")));
}

// Names that are not UTF-8 (a Latin-1 "é"): the input is found and the
// PDF written under exactly the bytes given, for a snapshot and a recording,
// and an existing PDF of that name is replaced.
TEST_F(CommandLineReportTest, FileNamesAreTakenAsTheirBytes)
{
    writeFile(QStringLiteral("m.zqm"), QByteArray(8052, '\0'));
    writeRecordFile(QStringLiteral("r.zqr"), 30);
    ASSERT_EQ(::rename(bytesOf("m.zqm").constData(), bytesOf("caf\xe9.ZqM").constData()), 0);
    ASSERT_EQ(::rename(bytesOf("r.zqr").constData(), bytesOf("run\xe9 1.zqr").constData()), 0);
    // The folder's entries as the system names them.
    const auto names = [&] {
        QList<QByteArray> found;
        if (DIR* folder = ::opendir(QFile::encodeName(dir.path()).constData())) {
            while (const dirent* entry = ::readdir(folder))
                found << QByteArray(entry->d_name);
            ::closedir(folder);
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    ASSERT_EQ(::mkdir(bytesOf("sub\xff").constData(), 0700), 0);
    const QList<QByteArray> before = names();
    const struct {
        const char* input;
        const char* output;
    } cases[] = {
        {"caf\xe9.ZqM", "out\xe9.pdf"},
        {"run\xe9 1.zqr", "out\xe9.pdf"}, // replaces the first one
        {"run\xe9 1.zqr", "sub\xff/r\xe9.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const ProgramRun r = runBytes({"--report-pdf", bytesOf(c.output), bytesOf(c.input)});
        ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
        struct stat written {};
        ASSERT_EQ(::stat(bytesOf(c.output).constData(), &written), 0);
        EXPECT_TRUE(S_ISREG(written.st_mode));
        EXPECT_GT(written.st_size, 1000);
        QFile pdf;
        const int fd = ::open(bytesOf(c.output).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(pdf.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        EXPECT_TRUE(pdf.read(5) == "%PDF-");
    }
    // Nothing else was written: no name with the bytes replaced, no
    // temporary file left behind.
    QList<QByteArray> expected = before;
    expected << QByteArray("out\xe9.pdf");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(), expected);
    const ProgramRun missing = runBytes({"--report-pdf", bytesOf("x.pdf"), bytesOf("caf\xe9.zqr")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.toUtf8().contains("caf")) << missing.errors.toStdString();
}

// A record file whose count field is INT32_MIN (00 00 00 80): the report is
// that of an empty recording, not a crash.
TEST_F(CommandLineReportTest, ACraftedCountFieldGivesTheReportOfAnEmptyRecording)
{
    auto block = std::make_unique<RecordBlock>();
    std::memset(block.get(), 0, sizeof *block);
    block->Values[0].fill(123.0f);
    block->Count = INT32_MIN;
    QByteArray bytes(reinterpret_cast<const char*>(block.get()), sizeof *block);
    ASSERT_EQ(bytes.mid(32008, 4), QByteArray("\x00\x00\x00\x80", 4));
    writeFile(QStringLiteral("crafted.zqr"), bytes + bytes); // the count of the last block counts
    const QString pdf = dir.filePath(QStringLiteral("crafted.pdf"));
    const ProgramRun r =
        run({QStringLiteral("--report-pdf"), pdf, dir.filePath(QStringLiteral("crafted.zqr"))});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const auto words = PdfWords(pdf);
    EXPECT_TRUE(std::any_of(words.begin(), words.end(), [](const PdfWord& w) {
        return w.text.startsWith(QStringLiteral("長度：0"));
    }));
}

} // namespace

namespace {

// --autoscale draws the recording's report at the scales and range the
// record window's autoscale chooses at the designed chart size; a snapshot
// has no chart to scale and is refused with a message.
TEST_F(CommandLineReportTest, AutoscaleDrawsTheRecordingAtTheScalesItFits)
{
    writeRecordFile(QStringLiteral("r.zqr"), 1500);
    const auto record = std::make_unique<RecordState>();
    ASSERT_TRUE(
        CommandLineRecordReportSource(dir.filePath(QStringLiteral("r.zqr")), *record, true));
    const auto plain = std::make_unique<RecordState>();
    ASSERT_TRUE(CommandLineRecordReportSource(dir.filePath(QStringLiteral("r.zqr")), *plain));
    EXPECT_NE(record->ScaleValue, plain->ScaleValue);
    const AutoscaleChoice again = ChooseAutoscale(*record, kRecordChartDesignedWidth);
    EXPECT_EQ(again.rangeMode, record->RangeMode);

    const QString pdf = dir.filePath(QStringLiteral("auto.pdf"));
    const ProgramRun r = run({QStringLiteral("--report-pdf"), pdf, QStringLiteral("--autoscale"),
                              dir.filePath(QStringLiteral("r.zqr"))});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const auto words = PdfWords(pdf);
    for (int c = 0; c < 6; ++c) {
        const QString caption = ChannelDivisionCaption(c, record->RangeMode, record->ScaleValue[c]);
        EXPECT_TRUE(Find(words, caption)) << caption.toStdString();
    }

    writeFile(QStringLiteral("m.zqm"), QByteArray(8052, '\0'));
    const ProgramRun refused = run({QStringLiteral("--report-pdf"), dir.filePath("m.pdf"),
                                    QStringLiteral("--autoscale"), dir.filePath("m.zqm")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("--autoscale")))
        << refused.errors.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("m.pdf")));
}

} // namespace
