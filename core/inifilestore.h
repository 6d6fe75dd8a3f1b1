#pragma once

#include "inidocument.h"

#include <QString>

#include <ctime>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <utility>

// The in-memory copy of one settings file, shared by every IniFile of its
// path while any of them lives. Each access checks the file cheaply (one
// stat) and reads it again only when it changed on disk.
class IniFileStore {
public:
    // The store of `path` (made absolute), created on first use.
    static std::shared_ptr<IniFileStore> of(const QString& path);

    explicit IniFileStore(QString path) : path_(std::move(path)) {}

    // Runs `use` on the current document under the store's lock.
    template <typename Use>
    auto read(Use use)
    {
        std::lock_guard lock(mutex_);
        refresh();
        return use(std::as_const(document_));
    }

    // Applies `change` (returning whether it changed the document) and saves
    // the file when it did. False when the file could not be read or written.
    template <typename Change>
    bool write(Change change)
    {
        std::lock_guard lock(mutex_);
        refresh();
        if (state_ == State::Foreign)
            return false;
        if (!change(document_))
            return true;
        return save();
    }

private:
    enum class State {
        Missing,  // no file: defaults, created by the first write
        Readable, // document_ holds the file
        Foreign,  // not a regular file or not readable: defaults, never replaced
    };
    // What tells one version of the file from another without reading it.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Identity& other) const;
    };

    static Identity identityOf(const struct stat& info);
    void refresh();
    void load();
    bool save();
    bool settled(const Identity& identity) const;

    const QString path_;
    std::mutex mutex_;
    IniDocument document_;
    State state_ = State::Missing;
    Identity loaded_;
    bool checkAgain_ = true; // read afresh at the next access whatever stat says
};
