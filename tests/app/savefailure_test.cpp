// Every command that writes a file, on a disk that runs out of room part
// way: the file it replaces stays as it was, nothing is left beside it, and
// the user (or the exit code) learns that the disk is full.
#include "commandlinereport.h"
#include "inifile.h"
#include "logexport.h"
#include "measurementrecord.h"
#include "recordcontrol.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "reportstate.h"
#include "savefile.h"
#include "sharedstate.h"
#include "snapshotcommands.h"
#include "snapshotfile.h"
#include "tprinterform.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QString kNoSpace = QStringLiteral("磁碟空間不足");

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Standard error, as --report-pdf writes it, read back.
class StandardErrorCapture {
public:
    StandardErrorCapture()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        file_ = std::tmpfile();
        ::dup2(::fileno(file_), 2);
    }
    ~StandardErrorCapture() { restore(); }
    QString text()
    {
        restore();
        std::rewind(file_);
        QByteArray bytes;
        char piece[4096];
        while (const size_t n = std::fread(piece, 1, sizeof piece, file_))
            bytes.append(piece, qsizetype(n));
        return QString::fromUtf8(bytes);
    }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

// What the user learnt of a save.
struct Outcome {
    bool failed = false;
    QString told; // the message, or what the command line wrote
};

// The program's pieces that write files, each with what it needs.
class Writers {
public:
    Writers()
    {
        InitLinkAndMeasurement(shared);
        shared.link.SessionMode = SessionModeT::ContinuousSampling;
        shared.MeasurementRecord.URMS = 230.5f;
        for (int i = 0; i < 400; ++i) {
            record->CaptureBuffers.timestamps()[i] = 46366.5 + i / 86400.0;
            for (int c = 0; c < 6; ++c)
                record->CaptureBuffers.channel(c)[i] = float(i * 7 + c) / 3.0f;
        }
        record->CaptureCount = 400;
        chart.fill(Qt::white);
        QPainter painter(&chart);
        for (int x = 0; x < chart.width(); x += 3)
            painter.drawLine(x, (x * 37) % chart.height(), x + 3, (x * 53) % chart.height());
        log.resize(kInstrumentLogSize);
        for (std::size_t i = 0; i < log.size(); ++i)
            log[i] = std::uint8_t(i * 31);
        EXPECT_TRUE(SaveSnapshotFile(input.filePath("in.zqm"), shared.MeasurementRecord).ok());
    }

    // A message from the window's own dialogs.
    Outcome told(size_t before) const
    {
        if (dialogs.messages.size() == before)
            return {};
        return {true, dialogs.messages.back().text};
    }

    QTemporaryDir input; // the report's input and EnterInfo.ini
    SharedState shared;
    RecordingDialogs dialogs;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordControl control{*record, shared, dialogs};
    SnapshotCommands snapshots{shared, dialogs, [] {}};
    ReportState report;
    TPrinterForm printerForm{report, shared.MeasurementRecord,
                             IniFile(input.filePath("EnterInfo.ini")), dialogs,
                             [](QPrinter&, QWidget*) { return true; }};
    QImage chart{600, 300, QImage::Format_RGB32};
    std::vector<std::uint8_t> log;
};

struct Writer {
    const char* name;
    const char* fileName;
    bool tellsTheReason; // the settings are written without a window to tell
    std::function<Outcome(Writers&, const QString& path)> save;
};

const Writer kWriters[] = {
    {"snapshot", "m.zqm", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         w.snapshots.Save();
         return w.told(before);
     }},
    {"record CSV", "r.csv", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         w.control.ExportCsv();
         return w.told(before);
     }},
    {"record chart PNG", "r.png", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         w.control.ExportPng(w.chart);
         return w.told(before);
     }},
    {"record file", "r.zqr", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         w.control.CreateFile();
         return w.told(before);
     }},
    {"log chart BMP", "log.bmp", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         ExportLog(w.dialogs, w.chart, 500, 250, w.log);
         return w.told(before);
     }},
    {"log CSV", "log.csv", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         ExportLog(w.dialogs, w.chart, 500, 250, w.log);
         return w.told(before);
     }},
    {"report PDF", "rep.pdf", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.dialogs.saveAnswer = path;
         w.printerForm.SaveAsPdf();
         return w.told(before);
     }},
    {"report printed to a PDF file", "print.pdf", true,
     [](Writers& w, const QString& path) {
         const size_t before = w.dialogs.messages.size();
         w.printerForm.Printer().setOutputFormat(QPrinter::PdfFormat);
         w.printerForm.Printer().setOutputFileName(path);
         w.printerForm.Print();
         return w.told(before);
     }},
    {"--report-pdf", "cl.pdf", true,
     [](Writers& w, const QString& path) {
         StandardErrorCapture errors;
         const int exitCode =
             WriteCommandLineReport({path, {}, {}, w.input.filePath("in.zqm"), w.input.path()});
         return Outcome{exitCode != 0, errors.text()};
     }},
    {"settings", "SysSet.ini", false,
     [](Writers&, const QString& path) {
         // Long enough not to fit in what a nearly full disk has left.
         const bool written = IniFile(path).WriteString("Record", "Note", QString(6000, 'n'));
         return Outcome{!written, {}};
     }},
};

const QByteArray kOld = "[Old]\r\nKept=the earlier file\r\n";

// The file `writer` writes when nothing stands in its way.
qint64 ContentSize(Writers& w, const Writer& writer, const QString& folder)
{
    EXPECT_TRUE(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(writer.fileName);
    const Outcome outcome = writer.save(w, path);
    EXPECT_FALSE(outcome.failed) << writer.name << ": " << outcome.told.toStdString();
    return QFileInfo(path).size();
}

void ExpectRefusedForNoSpace(const Writer& writer, const Outcome& outcome, const QString& folder)
{
    const QString path = QDir(folder).filePath(writer.fileName);
    EXPECT_TRUE(outcome.failed);
    if (writer.tellsTheReason) {
        EXPECT_TRUE(outcome.told.contains(kNoSpace)) << outcome.told.toStdString();
        EXPECT_TRUE(outcome.told.contains(QDir::toNativeSeparators(path)))
            << outcome.told.toStdString();
    }
    EXPECT_EQ(FileBytes(path), kOld);
    EXPECT_EQ(Entries(folder), QStringList{writer.fileName});
}

// A disk with room for 0, 1, half, all but one or all of the file's bytes
// (the last one fails at the sync), for every writer.
TEST(SaveOnAFullDisk, EveryWriterKeepsTheOldFileAndSaysTheDiskIsFull)
{
    Writers w;
    QTemporaryDir dir;
    int cases = 0;
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const qint64 size = ContentSize(w, writer, dir.filePath(QStringLiteral("reference")));
        ASSERT_GT(size, 0);
        RecordProperty(std::string("BytesOf ") + writer.name, int(size));
        const std::set<qint64> rooms{0,        1,        std::min<qint64>(4096, size - 1),
                                     size / 2, size - 1, size};
        for (const qint64 room : rooms) {
            SCOPED_TRACE(testing::Message() << "room for " << room << " of " << size << " bytes");
            const QString folder =
                dir.filePath(QStringLiteral("%1-%2").arg(writer.fileName).arg(room));
            ASSERT_TRUE(QDir().mkpath(folder));
            ASSERT_TRUE(WriteBytes(QDir(folder).filePath(writer.fileName), kOld));
            Outcome outcome;
            {
                ScopedSaveFault fault(room, ENOSPC);
                outcome = writer.save(w, QDir(folder).filePath(writer.fileName));
            }
            ExpectRefusedForNoSpace(writer, outcome, folder);
            ++cases;
        }
    }
    RecordProperty("NearlyFullCases", cases);
}

// A real small file system filled up, where the machine lets the test mount
// one (root with the right to mount; CI containers often lack it).
TEST(SaveOnAFullDisk, OnAFullTmpfsEveryWriterKeepsTheOldFile)
{
    QTemporaryDir mountPoint;
    const QByteArray where = QFile::encodeName(mountPoint.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        QByteArray where;
        ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
    } unmount{where};

    Writers w;
    const QDir disk(mountPoint.path());
    for (const Writer& writer : kWriters) {
        ASSERT_TRUE(disk.mkpath(writer.name));
        ASSERT_TRUE(WriteBytes(disk.filePath(QString(writer.name) + "/" + writer.fileName), kOld));
    }
    // Fill what is left, page by page.
    {
        QFile filler(disk.filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) {
        }
    }
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const QString folder = disk.filePath(writer.name);
        ExpectRefusedForNoSpace(writer, writer.save(w, QDir(folder).filePath(writer.fileName)),
                                folder);
    }
    // With room again the same command saves.
    ASSERT_TRUE(QFile::remove(disk.filePath("filler")));
    const QString snapshot = disk.filePath(QString(kWriters[0].name) + "/" + kWriters[0].fileName);
    EXPECT_FALSE(kWriters[0].save(w, snapshot).failed);
    EXPECT_EQ(QFileInfo(snapshot).size(), 8052);
}

} // namespace
