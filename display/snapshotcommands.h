#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class UserDialogs;
struct SharedState;

// What the command line named: nothing the program opens, a snapshot file
// (already opened and shown), or a record file that the record window opens
// once all windows exist.
enum class StartFileKind { None, Snapshot, RecordFile };

// The file named on the command line: the arguments as one text (a path
// split at its blanks comes back whole), trimmed, and without the double
// quotes around it.
QString StartFileFromArguments(const QStringList& arguments);

// Snapshot for a name ending in "zqm", record file for one ending in "zqr",
// in any letter case ("a.zQm" too); anything else is neither.
StartFileKind KindOfStartFile(const QString& file);

// The time a snapshot file stands for: its modification time, that is when
// it was saved (a snapshot holds no time of its own). Invalid when the file
// cannot be looked at.
QDateTime SnapshotTakenTime(const QString& path);

// The main window's snapshot commands "儲存檔案" and "開啟舊檔 " and the
// handling of a file named on the command line. They work on the shared
// measurement record, ask through `dialogs`, and after a snapshot has been
// taken into the record call `drawMeasurementView` to show it.
class SnapshotCommands {
public:
    SnapshotCommands(SharedState& state, UserDialogs& dialogs,
                     std::function<void()> drawMeasurementView);

    // Asks for a file name (offering "TestFile.zqm"), asks before
    // overwriting an existing file, writes the record. Errors are reported.
    void Save();

    // Asks for a file and takes its first 8052 bytes as the measurement,
    // then redraws. A file that cannot be read whole is reported and changes
    // nothing.
    void Open();

    // Start-up with `arguments` (without the program's name). Nothing
    // happens without arguments. Otherwise marks the link as opened with a
    // file and sets CommandLineFile; a snapshot is opened and shown at once
    // (a failure is reported and start-up goes on). Returns RecordFile when
    // the caller is to hand CommandLineFile to the record window a second
    // later.
    StartFileKind OpenFromCommandLine(const QStringList& arguments);

    // Told after a snapshot was written to `path`, and after one was taken
    // into the record (MeasurementTime set to the time it stands for).
    std::function<void(const QString& path)> saved;
    std::function<void(const QString& path, const QDateTime& taken)> opened;

private:
    bool openInto(const QString& path);

    SharedState& state_;
    UserDialogs& dialogs_;
    std::function<void()> drawMeasurementView_;
};
