#pragma once

#include "userdialogs.h"

#include <cstdio>

// The benchmarks' answer to every question: Yes, no file chosen. A message
// is printed (it means something went wrong in the run) and counted.
class YesDialogs : public UserDialogs {
public:
    void message(const QString& text, Icon, const QString&) override
    {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&, const QString&) override { return true; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    int messages = 0;
};
