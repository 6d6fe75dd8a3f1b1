#include "inifilestore.h"

#include "regularfile.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>

#include <cerrno>
#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcSettings, "qpa3600.link.settings", QtWarningMsg)

namespace {

// A file changed in place keeps its size and, within one tick of the file
// system's clock, its times; so a copy read less than this long after the
// file's last change is checked again by reading. Two seconds covers the
// coarsest common clock (FAT).
constexpr long kSettleSeconds = 2;

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

bool IniFileStore::Identity::operator==(const Identity& other) const
{
    return device == other.device && inode == other.inode && size == other.size
           && sameTime(modified, other.modified) && sameTime(changed, other.changed);
}

IniFileStore::Identity IniFileStore::identityOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

std::shared_ptr<IniFileStore> IniFileStore::of(const QString& path)
{
    static std::mutex registryMutex;
    static QHash<QString, std::weak_ptr<IniFileStore>> registry;
    const QString key = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    std::lock_guard lock(registryMutex);
    if (std::shared_ptr<IniFileStore> existing = registry.value(key).lock())
        return existing;
    registry.removeIf([](const auto& entry) { return entry.value().expired(); });
    auto store = std::make_shared<IniFileStore>(key);
    registry.insert(key, store);
    return store;
}

bool IniFileStore::settled(const Identity& identity) const
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - identity.changed.tv_sec >= kSettleSeconds;
}

void IniFileStore::refresh()
{
    struct stat info {};
    if (::stat(QFile::encodeName(path_).constData(), &info) != 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        state_ = missing ? State::Missing : State::Foreign;
        document_ = IniDocument();
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        // Checked here, before any open: a named pipe would wait for a writer.
        if (state_ != State::Foreign)
            qCWarning(lcSettings) << path_ << "is not a regular file; defaults apply";
        state_ = State::Foreign;
        document_ = IniDocument();
        return;
    }
    if (state_ == State::Readable && !checkAgain_ && identityOf(info) == loaded_)
        return;
    load();
}

void IniFileStore::load()
{
    document_ = IniDocument();
    QFile file(path_);
    int errorNumber = 0;
    switch (OpenRegularFile(file, QIODevice::ReadOnly, &errorNumber)) {
    case FileOpenError::None:
        break;
    case FileOpenError::Missing:
        state_ = State::Missing;
        return;
    case FileOpenError::NotRegular:
    case FileOpenError::Unreadable:
        if (state_ != State::Foreign)
            qCWarning(lcSettings) << path_
                                  << "cannot be read; defaults apply:" << SystemReason(errorNumber);
        state_ = State::Foreign;
        return;
    }
    // The identity is taken before the bytes: a change during the read then
    // shows as a difference at the next access.
    struct stat info {};
    ::fstat(file.handle(), &info);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcSettings) << path_ << "could not be read:" << file.errorString();
        state_ = State::Foreign;
        return;
    }
    loaded_ = identityOf(info);
    document_ = IniDocument(std::move(bytes));
    state_ = State::Readable;
    checkAgain_ = !settled(loaded_);
}

bool IniFileStore::save()
{
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const SaveResult saved = SaveFile(path_, document_.bytes());
    struct stat info {};
    if (!saved.ok() || ::stat(QFile::encodeName(path_).constData(), &info) != 0) {
        qCWarning(lcSettings) << path_ << "could not be written:" << SaveFailureReason(saved);
        checkAgain_ = true; // the document holds a change the file lacks
        return false;
    }
    // What was just written is known; only another writer could change it.
    loaded_ = identityOf(info);
    state_ = State::Readable;
    checkAgain_ = false;
    return true;
}
