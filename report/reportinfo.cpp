#include "reportinfo.h"

#include "inifile.h"

namespace {

const QString kSection = QStringLiteral("PrintInfo");

} // namespace

ReportInfo ReadReportInfo(const IniFile& file)
{
    ReportInfo info;
    info.ProjectName = file.ReadString(kSection, QStringLiteral("ProjectName"), info.ProjectName);
    info.company = file.ReadString(kSection, QStringLiteral("company"), info.company);
    info.conner = file.ReadString(kSection, QStringLiteral("conner"), info.conner);
    info.date = file.ReadString(kSection, QStringLiteral("date"), info.date);
    info.temperature = file.ReadString(kSection, QStringLiteral("temperature"), info.temperature);
    info.units = file.ReadString(kSection, QStringLiteral("units"), info.units);
    return info;
}

bool WriteReportInfo(const IniFile& file, const ReportInfo& info)
{
    const std::pair<const char*, const QString*> keys[] = {
        {"ProjectName", &info.ProjectName}, {"company", &info.company},
        {"conner", &info.conner},           {"date", &info.date},
        {"temperature", &info.temperature}, {"units", &info.units},
    };
    for (const auto& [key, value] : keys) {
        if (!file.WriteString(kSection, QString::fromLatin1(key), SingleLineText(*value)))
            return false;
    }
    return true;
}

bool UnitsAreCelsius(const QString& units)
{
    bool ok = false;
    const int value = units.trimmed().toInt(&ok);
    return ok && value == 1;
}

QString TemperatureSuffix(const QString& units)
{
    return UnitsAreCelsius(units) ? QStringLiteral("℃") : QStringLiteral("F ");
}

QString TemperatureText(const ReportInfo& info)
{
    return info.temperature.isEmpty() ? QString()
                                      : info.temperature + TemperatureSuffix(info.units);
}

QString SingleLineText(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line;
}
