#pragma once

#include <QString>

// Where "SysSet.ini" and "EnterInfo.ini" live: the folder of the running
// executable, as the program has always kept them, when the program runs from
// its build folder and that folder can be written; otherwise (an installed
// program) the user's configuration folder.
QString SettingsFolder();

// The folder of the running executable.
QString ProgramFolder();

// Where the program's data folders ("PenData", "SkinsFile") are: beside the
// executable (a build folder), or "../share/qpa3600" from it (installed).
QString DataFolder();

// DataFolder for an executable in `executableFolder`: the folder beside it
// when it holds "SkinsFile", else "../share/qpa3600" when that exists, else
// the executable's folder (whose data files are then reported missing).
QString DataFolderFor(const QString& executableFolder);
