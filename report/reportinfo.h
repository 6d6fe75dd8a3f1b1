#pragma once

#include <QString>

class IniFile;

// The free-text block every report carries, as "EnterInfo.ini" section
// "PrintInfo" holds it. A missing file or key reads as an empty field and the
// unit as Celsius, so a fresh installation prints blanks rather than
// placeholders; keys the file has are taken as they stand.
struct ReportInfo {
    QString ProjectName;
    QString company;
    QString conner;
    QString date;
    QString temperature;
    QString units = QStringLiteral("1");
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

// The temperature with its unit suffix as the reports print it after
// "環境溫度："; nothing when no temperature was entered (a bare unit would
// read as a value).
QString TemperatureText(const ReportInfo& info);

// `text` with every control character replaced by a blank.
QString SingleLineText(const QString& text);
