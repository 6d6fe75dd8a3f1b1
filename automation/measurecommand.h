#pragma once

class QString;
struct MeasureOutcome;

// `qpa3600 measure ...`: argv[1] is "measure". Runs with a QCoreApplication
// of its own (no window system) and returns the exit code.
int RunMeasureCommand(int argc, char** argv);

// Whether the words after the program name ask for the measure command.
bool IsMeasureCommand(int argc, const char* const* argv);

// The one line standard error gets for an outcome other than a finished or
// stopped run (empty for those).
QString MeasureOutcomeText(const MeasureOutcome& outcome);
