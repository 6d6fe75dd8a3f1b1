#pragma once

#include <QString>

class IniFile;

// The free-text block every report carries, as "EnterInfo.ini" section
// "PrintInfo" holds it. A missing file or key reads as "2".
struct ReportInfo {
    QString ProjectName = QStringLiteral("2");
    QString company = QStringLiteral("2");
    QString conner = QStringLiteral("2");
    QString date = QStringLiteral("2");
    QString temperature = QStringLiteral("2");
    QString units = QStringLiteral("2");
};

ReportInfo ReadReportInfo(const IniFile& file);

// Writes the six keys in their fixed order: ProjectName, company, conner,
// date, temperature, units. Line breaks and other control characters become
// blanks, so a pasted text cannot add lines or sections to the file. False
// when the file cannot be written.
bool WriteReportInfo(const IniFile& file, const ReportInfo& info);

// True when `units` selects degrees Celsius: its integer value is 1. A text
// that is not an integer counts as any other value (Fahrenheit).
bool UnitsAreCelsius(const QString& units);

// What follows the temperature wherever a report prints it: "℃" or "F ".
QString TemperatureSuffix(const QString& units);

// `text` with every control character replaced by a blank.
QString SingleLineText(const QString& text);
