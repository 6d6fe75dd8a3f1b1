#pragma once

#include "program.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class UserDialogs;

// The settings of a program whose port, COM150, is the device at
// `devicePath` (the simulated instrument's pseudo-terminal), at entry
// `baudIndex` of the baud-rate list and instrument address `address`;
// `sections` go between the address and the port map.
QByteArray PortSettings(const QByteArray& devicePath, int baudIndex = 7, int address = 5,
                        const QByteArray& sections = {});

// Writes `bytes` as the whole file at `path`; false when it could not.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);

// The whole program as a user starts it, with its settings ("SysSet.ini")
// in `settingsFolder` and its data beside it unless `programFolder` is given.
std::unique_ptr<Program> StartProgram(const QString& settingsFolder, UserDialogs& dialogs,
                                      const QStringList& arguments = {},
                                      const QString& programFolder = {});
