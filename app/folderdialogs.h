#pragma once

#include "inifile.h"
#include "userdialogs.h"

// Hands every dialog on to `inner`, and lets the file dialogs start in the
// folder where a file of the same kind was last opened or saved, kept in
// "SysSet.ini", section "FileDialogs" (e.g. "Snapshots=/home/u/measure").
// The kind is told by the first pattern of the dialog's filter: snapshots
// (*.zqm), record files (*.zqr), record exports (*.csv, *.png), the log
// window's pictures (*.bmp) and report PDFs (*.pdf). Before a first use
// the dialogs start in the user's documents folder, never in the folder the
// program was started from. A folder the caller chose itself (an export
// offered beside its record file) is kept.
class FolderDialogs : public UserDialogs {
public:
    FolderDialogs(UserDialogs& inner, IniFile settings);

    void message(const QString& text, Icon icon, const QString& caption) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    QString openFileName(const QString& caption, const QString& filter,
                         const QString& folder) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& defaultName) override;

    // The settings key of the kind of file a filter asks for; empty for a
    // kind without a folder of its own.
    static QString KindOf(const QString& filter);

private:
    QString startFolder(const QString& kind) const;
    void remember(const QString& kind, const QString& chosen) const;

    UserDialogs& inner_;
    IniFile settings_;
};
