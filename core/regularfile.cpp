#include "regularfile.h"

#include "losslessutf8.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileOpenError OpenRegularFile(QFile& file, QIODevice::OpenMode mode, int* errorNumber, Links links)
{
    auto fail = [errorNumber](FileOpenError error, int code) {
        if (errorNumber)
            *errorNumber = code;
        return error;
    };

    const bool writing = mode.testFlag(QIODevice::WriteOnly);
    const int access = writing ? O_RDWR : O_RDONLY;
    // O_NONBLOCK makes the open of a FIFO return at once instead of waiting
    // for a writer; O_NOCTTY keeps a terminal device from becoming ours.
    // The name's own bytes: a name from the command line may hold bytes
    // that are not UTF-8, kept in the text losslessly, which QFile's own
    // encoding would replace (and so open another file or none).
    const int noFollow = links == Links::NotFollowed ? O_NOFOLLOW : 0;
    const int fd = ::open(ToUtf8Lossless(file.fileName()).constData(),
                          access | noFollow | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            return fail(FileOpenError::Missing, code);
        // Opening a folder for writing fails with EISDIR before fstat can tell.
        if (code == EISDIR || code == ENXIO || (noFollow && code == ELOOP))
            return fail(FileOpenError::NotRegular, code);
        return fail(FileOpenError::Unreadable, code);
    }

    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = errno;
        ::close(fd);
        return fail(S_ISREG(info.st_mode) ? FileOpenError::Unreadable : FileOpenError::NotRegular,
                    S_ISREG(info.st_mode) ? code : 0);
    }
    // A regular file never blocks; plain blocking reads and writes follow.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    if (!file.open(fd, mode | QIODevice::ExistingOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(FileOpenError::Unreadable, EIO);
    }
    return fail(FileOpenError::None, 0);
}

QString SystemReason(int errorNumber)
{
    // The reasons a user can act on are said in the program's language; the
    // rest in the system's own words.
    switch (errorNumber) {
    case 0:
        return {};
    case ENOSPC:
        return QStringLiteral("磁碟空間不足");
    case EDQUOT:
        return QStringLiteral("已超過磁碟配額");
    case EROFS:
        return QStringLiteral("檔案系統為唯讀");
    case EACCES:
    case EPERM:
        return QStringLiteral("沒有權限");
    case EFBIG:
        return QStringLiteral("檔案超過允許的大小");
    case EIO:
        return QStringLiteral("磁碟讀寫錯誤");
    default:
        return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}
