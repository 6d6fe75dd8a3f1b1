#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// Why a file the program reads could not be opened.
enum class FileOpenError {
    None,
    Missing,    // no such file
    NotRegular, // a folder, a named pipe, a device or a socket
    Unreadable, // exists, but the system refused the open (permissions, I/O)
};

// Opens `file` (its fileName(), taken as lossless UTF-8: see losslessutf8.h)
// as a regular file only. The open itself never
// blocks: a named pipe without a writer would otherwise hang the program, so
// the path is opened non-blocking, checked to be a regular file, and only
// then handed to the QFile in `mode` (read-only or read-write; never creates
// or truncates). `errorNumber`, when given, receives the system's errno.
// With `Links::NotFollowed` a name that is itself a symbolic link is
// NotRegular (errno ELOOP): a file written in place must not be reached
// through a link someone put under its name.
enum class Links { Followed, NotFollowed };
FileOpenError OpenRegularFile(QFile& file, QIODevice::OpenMode mode, int* errorNumber = nullptr,
                              Links links = Links::Followed);

// The wording of errno `errorNumber`, for a second line under a message.
QString SystemReason(int errorNumber);
