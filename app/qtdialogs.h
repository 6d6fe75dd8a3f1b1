#pragma once

#include "userdialogs.h"

class QWidget;

// The program's dialogs as Qt shows them: message boxes and file dialogs,
// modal to the active window.
class QtDialogs : public UserDialogs {
public:
    void message(const QString& text, Icon icon, const QString& caption) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    QString openFileName(const QString& caption, const QString& filter,
                         const QString& folder) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& defaultName) override;
};
