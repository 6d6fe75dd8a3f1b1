#pragma once

#include "userdialogs.h"

#include <QStringList>

// Answers every dialog at once and remembers what was asked.
class RecordingDialogs : public UserDialogs {
public:
    struct Message {
        QString text;
        Icon icon;
        QString caption;
    };

    void message(const QString& text, Icon icon, const QString& caption) override
    {
        messages.push_back({text, icon, caption});
    }
    bool askYesNo(const QString& caption, const QString& text) override
    {
        questions << caption + QLatin1Char('|') + text;
        return yesAnswer;
    }
    QString openFileName(const QString&, const QString& filter, const QString&) override
    {
        filters << filter;
        return openAnswer;
    }
    QString saveFileName(const QString&, const QString& filter, const QString& offered) override
    {
        filters << filter;
        offeredNames << offered;
        return saveAnswer;
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Message& m : messages)
            all << m.text;
        return all;
    }

    std::vector<Message> messages;
    QStringList questions;
    QStringList filters;
    QStringList offeredNames; // the names the save dialogs offered
    bool yesAnswer = true;
    QString openAnswer;
    QString saveAnswer;
};
