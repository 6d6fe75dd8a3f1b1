#pragma once

#include <QString>

// Every modal question the program puts to the user goes through this seam:
// the windows use message boxes and file dialogs, tests answer with a fake.
class UserDialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };

    virtual ~UserDialogs() = default;

    // A message with an OK button. An empty caption uses the application title.
    virtual void message(const QString& text, Icon icon = Icon::None,
                         const QString& caption = {}) = 0;

    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const QString& caption, const QString& text) = 0;

    // File dialogs; an empty result means the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& filter,
                                 const QString& folder) = 0;
    virtual QString saveFileName(const QString& caption, const QString& filter,
                                 const QString& defaultName) = 0;

    // The save dialog, then, where the file chosen exists, the question
    // "檔案存在" whether to overwrite it (`overwriteQuestion`); empty when
    // the user cancels the dialog or answers No.
    QString saveFileNameOverwriting(const QString& caption, const QString& filter,
                                    const QString& defaultName,
                                    const QString& overwriteQuestion = kOverwriteQuestion);

    static inline const QString kOverwriteQuestion = QStringLiteral("  檔案已經存在，是否覆蓋？  ");
};
