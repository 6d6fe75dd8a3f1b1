#pragma once

class QString;
struct RecordOutcome;

// `qpa3600 record ...`: argv[1] is "record". Runs with a QCoreApplication
// of its own (no window system) and returns the exit code.
int RunRecordCommand(int argc, char** argv);

// Whether the words after the program name ask for the record command.
bool IsRecordCommand(int argc, const char* const* argv);

// The line standard error gets at the end of a run; empty for a run that
// ended as asked with every sample saved. `savedSamples` is what the file holds.
QString RecordOutcomeText(const RecordOutcome& outcome, int savedSamples);
