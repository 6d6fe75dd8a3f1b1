#include "savefile.h"

#include "losslessutf8.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A fault set by ScopedSaveFault: room for this many bytes of each file,
// -1 for none.
std::atomic<qint64> faultRoom{-1};
std::atomic<int> faultErrno{0};

// Links followed before the name is given up as a loop, as the system does.
constexpr int kMaxLinks = 40;

// Content is gathered up to this much before it is written out.
constexpr qint64 kPiece = 64 * 1024;

// The exact bytes of a name: a file name from the command line or a settings
// file may hold bytes that are not UTF-8, which QFile::encodeName would replace.
QByteArray Encoded(const QString& path)
{
    return ToUtf8Lossless(path);
}

QString FolderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

// Where a name leads once the links that may be followed are followed.
struct Target {
    SaveFailure failure = SaveFailure::None;
    int errorNumber = 0;
    QString path; // the file to replace or create; the refused name on failure
    bool exists = false;
    struct stat info {}; // of the existing file
};

// A link is followed only when its owner is the user or the owner of the
// folder it lies in: in a folder others may write to, anyone can plant a
// link to a file of the user's and have the save overwrite it. The system
// applies this rule to links it follows itself in sticky world-writable
// folders; here it holds in every folder, since a shared bench folder is
// often writable by a group without being sticky.
Target ResolveTarget(const QString& path)
{
    Target target;
    QString current = QFileInfo(path).absoluteFilePath();
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        if (::lstat(Encoded(current).constData(), &info) != 0) {
            if (errno == ENOENT) { // a new file, or a link to one
                target.path = current;
                return target;
            }
            return {SaveFailure::CannotCreate, errno, current};
        }
        if (S_ISLNK(info.st_mode)) {
            const QString folder = FolderOf(current);
            struct stat folderInfo {};
            if (::stat(Encoded(folder).constData(), &folderInfo) != 0)
                return {SaveFailure::CannotCreate, errno, current};
            if (info.st_uid != ::geteuid() && info.st_uid != folderInfo.st_uid)
                return {SaveFailure::ForeignLink, 0, current};
            QByteArray to(qsizetype(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
            const ssize_t n =
                ::readlink(Encoded(current).constData(), to.data(), size_t(to.size()));
            if (n < 0 || n >= to.size())
                return {SaveFailure::CannotCreate, n < 0 ? errno : ENAMETOOLONG, current};
            to.truncate(n);
            const QString next = FromUtf8Lossless(to);
            current = QDir::isAbsolutePath(next) ? next : folder + QLatin1Char('/') + next;
            continue;
        }
        if (!S_ISREG(info.st_mode))
            return {SaveFailure::NotRegular, 0, current};
        target.path = current;
        target.exists = true;
        target.info = info;
        return target;
    }
    return {SaveFailure::CannotCreate, ELOOP, path};
}

ssize_t WriteSome(int fd, const char* data, size_t size, qint64 writtenBefore)
{
    const qint64 room = faultRoom.load();
    if (room >= 0) {
        if (writtenBefore >= room) {
            errno = faultErrno.load();
            return -1;
        }
        size = size_t(std::min<qint64>(qint64(size), room - writtenBefore));
    }
    return ::write(fd, data, size);
}

int SyncFile(int fd, qint64 written)
{
    const qint64 room = faultRoom.load();
    if (room >= 0 && written <= room) {
        errno = faultErrno.load();
        return -1;
    }
    return ::fsync(fd);
}

void SyncFolder(const QString& folder)
{
    const int fd = ::open(Encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The device a writer writes to: gathers the content and writes it out in
// pieces, remembering the first failure.
class SaveDevice : public QIODevice {
public:
    int fd = -1;
    qint64 written = 0; // bytes the system took
    int errorNumber = 0;
    QByteArray pending;

    bool failed() const { return errorNumber != 0; }

    bool writeOut(const char* data, qint64 size)
    {
        while (size > 0 && !failed()) {
            const ssize_t n = WriteSome(fd, data, size_t(size), written);
            if (n < 0) {
                if (errno != EINTR)
                    errorNumber = errno ? errno : EIO;
                continue;
            }
            if (n == 0) { // a write that takes nothing would never end
                errorNumber = ENOSPC;
                break;
            }
            written += n;
            data += n;
            size -= n;
        }
        return !failed();
    }

    bool flushPending()
    {
        const bool ok = writeOut(pending.constData(), pending.size());
        pending.resize(0);
        return ok;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (failed())
            return -1;
        if (pending.size() + size <= kPiece) {
            pending.append(data, size);
            return size;
        }
        if (!flushPending() || !writeOut(data, size))
            return -1;
        return size;
    }
};

} // namespace

struct FileSave::State {
    QString path;
    Target target;
    QString temporary;
    SaveDevice device;
    bool contentFailed = false;
    bool committed = false;
    SaveResult result;

    void removeTemporary()
    {
        if (device.fd >= 0) {
            ::close(device.fd);
            device.fd = -1;
        }
        if (!temporary.isEmpty()) {
            ::unlink(Encoded(temporary).constData());
            temporary.clear();
        }
        device.close();
    }

    SaveResult fail(SaveFailure failure, int errorNumber)
    {
        removeTemporary();
        result = {failure, errorNumber, target.path, {}};
        return result;
    }
};

FileSave::FileSave(const QString& path) : state_(std::make_unique<State>())
{
    state_->path = path;
    state_->result = {SaveFailure::CannotCreate, EBADF, path, {}};
}

FileSave::~FileSave()
{
    if (!state_->committed)
        state_->removeTemporary();
}

bool FileSave::open()
{
    State& s = *state_;
    s.target = ResolveTarget(s.path);
    if (s.target.failure != SaveFailure::None) {
        s.result = {s.target.failure, s.target.errorNumber, s.target.path, {}};
        return false;
    }
    // The new file lies beside the one it replaces, so that taking the name
    // is a rename within one file system. A visible name like the file's own
    // lets a user who finds one after a power loss see what it was.
    const QString name = QFileInfo(s.target.path).fileName();
    const QString folder = FolderOf(s.target.path);
    const mode_t mode = s.target.exists ? (s.target.info.st_mode & 07777) : 0666;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        s.temporary = folder + QLatin1Char('/') + name + QLatin1Char('.')
                      + QString::number(QRandomGenerator::global()->generate() & 0xffffff, 36);
        fd = ::open(Encoded(s.temporary).constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int code = errno;
        s.temporary.clear();
        s.fail(SaveFailure::CannotCreate, code);
        return false;
    }
    if (s.target.exists) {
        // The replaced file's owner and permissions stay; the owner can be
        // kept only by root, and the permissions are then set again since a
        // change of owner clears set-id bits.
        if (s.target.info.st_uid != ::geteuid() || s.target.info.st_gid != ::getegid())
            (void)::fchown(fd, s.target.info.st_uid, s.target.info.st_gid);
        (void)::fchmod(fd, mode);
    }
    s.device.fd = fd;
    s.device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

QIODevice& FileSave::device()
{
    return state_->device;
}

void FileSave::contentFailed()
{
    state_->contentFailed = true;
}

SaveResult FileSave::commit()
{
    State& s = *state_;
    if (s.device.fd < 0)
        return s.result;
    // A writer gives up when a write fails: the write's reason is the one
    // that counts.
    if (s.device.failed())
        return s.fail(SaveFailure::WriteFailed, s.device.errorNumber);
    if (s.contentFailed)
        return s.fail(SaveFailure::ContentFailed, 0);
    // QIODevice::write() reports only what was gathered; the pieces still
    // waiting are written now, and nothing takes the name until the system
    // has taken every byte and synced them.
    if (!s.device.flushPending())
        return s.fail(SaveFailure::WriteFailed, s.device.errorNumber);
    if (SyncFile(s.device.fd, s.device.written) != 0)
        return s.fail(SaveFailure::WriteFailed, errno);
    struct stat info {};
    if (::fstat(s.device.fd, &info) != 0)
        return s.fail(SaveFailure::WriteFailed, errno);
    if (info.st_size != s.device.written)
        return s.fail(SaveFailure::Incomplete, 0);
    const int fd = s.device.fd;
    s.device.fd = -1;
    if (::close(fd) != 0) { // a network file system may report a failed write only here
        const int code = errno;
        return s.fail(SaveFailure::WriteFailed, code);
    }
    if (::rename(Encoded(s.temporary).constData(), Encoded(s.target.path).constData()) != 0)
        return s.fail(SaveFailure::CommitFailed, errno);
    s.temporary.clear();
    s.committed = true;
    s.device.close();
    SyncFolder(FolderOf(s.target.path));
    s.result = {SaveFailure::None, 0, s.target.path, {info.st_dev, info.st_ino, true}};
    return s.result;
}

const SaveResult& FileSave::result() const
{
    return state_->result;
}

SaveResult SaveFile(const QString& path, const QByteArray& bytes)
{
    return SaveFile(path,
                    [&bytes](QIODevice& device) { return device.write(bytes) == bytes.size(); });
}

SaveResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    FileSave save(path);
    if (!save.open())
        return save.result();
    if (!write(save.device()))
        save.contentFailed();
    return save.commit();
}

QString SaveFailureReason(const SaveResult& result)
{
    const QString shown = QDir::toNativeSeparators(result.file);
    switch (result.failure) {
    case SaveFailure::None:
        return {};
    case SaveFailure::ForeignLink:
        return QStringLiteral("%1 是其他使用者建立的符號連結，為安全起見不經由它寫入。").arg(shown);
    case SaveFailure::NotRegular:
        return QStringLiteral("%1 不是一般檔案（資料夾、裝置或管道），不會取代它。").arg(shown);
    case SaveFailure::Incomplete:
        return QStringLiteral("檔案系統沒有存下全部內容。");
    case SaveFailure::ContentFailed:
        return QStringLiteral("無法產生檔案內容。");
    case SaveFailure::CannotCreate:
    case SaveFailure::WriteFailed:
    case SaveFailure::CommitFailed:
        break;
    }
    const QString reason = SystemReason(result.errorNumber);
    return reason.isEmpty() ? QStringLiteral("寫入失敗。") : reason;
}

ScopedSaveFault::ScopedSaveFault(qint64 bytesBeforeFailure, int errorNumber)
{
    faultErrno.store(errorNumber);
    faultRoom.store(bytesBeforeFailure);
}

ScopedSaveFault::~ScopedSaveFault()
{
    faultRoom.store(-1);
}

QString SaveFailureMessage(const QString& path, const SaveResult& result)
{
    return QStringLiteral("無法寫入檔案：%1\n%2")
        .arg(QDir::toNativeSeparators(path), SaveFailureReason(result));
}
