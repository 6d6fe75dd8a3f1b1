#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>
#include <sys/types.h>

// Which file a name led to: it stays with the file across renames, and a
// file put in its place has another.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;

    bool operator==(const FileIdentity&) const = default;
};

// Why a file could not be saved; the window or the command line words it
// (SaveFailureReason). The existing file of that name is left as it was.
enum class SaveFailure {
    None,
    ForeignLink,  // the name is a symbolic link of someone else than the user or the folder's owner
    NotRegular,   // the name leads to a folder, a device, a pipe or a socket
    CannotCreate, // no new file could be made beside it (errorNumber)
    WriteFailed,  // writing it out or syncing it to the disk failed (errorNumber)
    Incomplete,   // the file system holds fewer bytes than were written
    ContentFailed, // the content could not be produced (drawing, encoding)
    CommitFailed,  // the finished file could not take the name (errorNumber)
};

struct SaveResult {
    SaveFailure failure = SaveFailure::None;
    int errorNumber = 0;   // the system's errno where one is known
    QString file;          // the name concerned: the link, or where it leads
    FileIdentity identity; // of the file now under the name, once saved

    bool ok() const { return failure == SaveFailure::None; }
};

// Every file the program writes is saved this way:
//  - the name is looked at first: a symbolic link is followed only when it
//    belongs to the user or to the owner of its folder (another user's link
//    planted in a shared folder is refused), and a name that leads to
//    anything but a regular file (a device, a pipe, a folder) is refused;
//  - the content goes to a new file beside the one it replaces (with that
//    file's permissions), every write checked;
//  - it is flushed, synced to the disk and its size checked against what was
//    written; only then it takes the name, and the folder is synced.
// Any failure leaves the existing file as it was, removes the new one and
// says why, with the system's errno (ENOSPC on a full disk).
class FileSave {
public:
    explicit FileSave(const QString& path);
    ~FileSave(); // a save not committed removes its new file
    FileSave(const FileSave&) = delete;
    FileSave& operator=(const FileSave&) = delete;

    // Checks the name and makes the new file. False: result() says why.
    bool open();
    // Where the content goes, once open. Writes are gathered and written out
    // in pieces; the first failure sticks and every later write fails too.
    QIODevice& device();
    // The writer could not produce its content: nothing is committed.
    void contentFailed();
    // Writes out what is gathered, syncs, checks and puts the file in place.
    SaveResult commit();
    const SaveResult& result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Saves `bytes` as the file `path`.
SaveResult SaveFile(const QString& path, const QByteArray& bytes);
// Saves what `write` writes to the device it is given; `write` returns false
// when it could not produce the content.
SaveResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// Why the save failed, as one line under a message: the system's reason for
// a failing write ("磁碟空間不足" on a full disk), or what stands at the name.
QString SaveFailureReason(const SaveResult& result);
// The whole message of a failed save of `path`: "無法寫入檔案：" the path, and
// the reason on the next line.
QString SaveFailureMessage(const QString& path, const SaveResult& result);

// For tests: makes every save from now on behave as on a disk with room for
// `bytesBeforeFailure` bytes of its file: the writes past them fail with
// `errorNumber`; when the whole content fits, syncing it fails instead, as
// on a file system that finds out only then. Ends when the object goes.
class ScopedSaveFault {
public:
    ScopedSaveFault(qint64 bytesBeforeFailure, int errorNumber);
    ~ScopedSaveFault();
    ScopedSaveFault(const ScopedSaveFault&) = delete;
    ScopedSaveFault& operator=(const ScopedSaveFault&) = delete;
};
