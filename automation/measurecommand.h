#pragma once

#include <QString>
#include <QStringList>

struct MeasureOutcome;

// `qpa3600 measure ...`: argv[1] is "measure". Runs with a QCoreApplication
// of its own (no window system) and returns the exit code.
int RunMeasureCommand(int argc, char** argv);

// What a command of the program needs before its own words: the
// application's name (the settings folder of an installed program is named
// after it), the name it was started by and the words after the command.
struct CommandStart {
    QString program;
    QStringList words;
};
CommandStart StartCommand(int argc, char** argv);

// Whether the words after the program name ask for the measure command.
bool IsMeasureCommand(int argc, const char* const* argv);

// The one line standard error gets for an outcome other than a finished or
// stopped run (empty for those).
QString MeasureOutcomeText(const MeasureOutcome& outcome);
