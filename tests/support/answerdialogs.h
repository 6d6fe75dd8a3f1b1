#pragma once

#include "userdialogs.h"

#include <QString>

#include <cstdio>

// Answers every dialog at once the same way, for runs nobody watches (the
// benchmarks, the programs a test starts): questions get `yes`, a save dialog
// names `savePath`, no file is chosen to open. Messages are counted and, with
// `printMessages`, printed on standard error, where a message means that the
// run went wrong.
class AnswerDialogs : public UserDialogs {
public:
    explicit AnswerDialogs(bool yes = true, QString savePath = {}, bool printMessages = false)
        : yes(yes), savePath(std::move(savePath)), printMessages(printMessages)
    {
    }

    void message(const QString& text, Icon, const QString&) override
    {
        ++messages;
        if (printMessages)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&, const QString&) override { return yes; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override
    {
        return savePath;
    }

    bool yes;
    QString savePath;
    bool printMessages;
    int messages = 0;
};
