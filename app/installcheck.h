#pragma once

#include <QString>

// The report of --check-install: the data folder the program found and
// whether the files it reads at run time are there. Returns whether they are.
bool CheckInstall(const QString& dataFolder, const QString& settingsFolder, QString* report);
