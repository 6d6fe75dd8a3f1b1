#pragma once

#include <QString>

// Where "SysSet.ini" and "EnterInfo.ini" live: the folder of the running
// executable, as the program has always kept them, unless that folder cannot be
// written (a system-wide install); then the user's configuration folder.
QString SettingsFolder();

// The folder of the running executable, where the program's data folders
// ("PenData", "SkinsFile") are installed.
QString ProgramFolder();
