#include "instrumentname.h"

#include "portmap.h"

namespace {

QString topicLevel(QString name)
{
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('+') || c == QLatin1Char('#') || c.isSpace()
            || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    return name;
}

} // namespace

QString InstrumentNameOf(const QString& deviceId, int comNumber)
{
    const QStringList parts = deviceId.split(QLatin1Char('\\'));
    if (parts.size() == 3 && parts[0].compare(QLatin1String("USB"), Qt::CaseInsensitive) == 0
        && !parts[2].trimmed().isEmpty())
        return topicLevel(parts[2].trimmed());
    return QStringLiteral("COM%1").arg(comNumber);
}

QString InstrumentName(int comNumber, const IniFile* sysSet)
{
    return InstrumentNameOf(PortMapDeviceId(comNumber, sysSet), comNumber);
}
