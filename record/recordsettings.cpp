#include "recordsettings.h"

#include "inifile.h"
#include "measurementrecord.h"

namespace {

const QString kSection = QStringLiteral("RecordSet");

// Captions by quantity code; the list entries are the same with a leading blank.
const std::array<const char16_t*, kQuantityCount> kCaptions{
    u"電壓",     u"電流",    u"功率",    u"視在功率", u"虛功率", u"電流相位", u"頻率",
    u"功率因數", u"電壓THD", u"電流THD", u"溫度1",    u"溫度2",  u"溫度3"};

// Units by quantity code; power factor and THD are plain fractions.
const std::array<const char16_t*, kQuantityCount> kUnits{
    u"V", u"A", u"W", u"VA", u"var", u"°", u"Hz", u"", u"", u"", u"°C", u"°C", u"°C"};

constexpr std::array<int, kSampleStepCount> kStepSeconds{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 30};
constexpr std::array<int, kSaveIntervalCount> kSaveSeconds{10, 15, 20, 25, 30, 60};

int ToIndex(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : -1;
}

} // namespace

QString QuantityListEntry(int code)
{
    return code >= 0 && code < kQuantityCount ? QLatin1Char(' ') + QuantityCaption(code)
                                              : QString();
}

QString QuantityCaption(int code)
{
    return code >= 0 && code < kQuantityCount ? QString::fromUtf16(kCaptions[code]) : QString();
}

QString QuantityUnit(int code)
{
    return code >= 0 && code < kQuantityCount ? QString::fromUtf16(kUnits[std::size_t(code)])
                                              : QString();
}

std::array<float, kQuantityCount> SampleVectorOf(const MeasurementRecord& r)
{
    return {r.URMS, r.IRMS, r.WRMS, r.PS, r.PQ, r.IPA, r.UF, r.PF, r.VTHD, r.ITHD, 0, 0, 0};
}

bool IsSampleStepIndex(int index)
{
    return index >= 0 && index < kSampleStepCount;
}
bool IsSaveIntervalIndex(int index)
{
    return index >= 0 && index < kSaveIntervalCount;
}

std::int32_t SampleStepMsOf(int index)
{
    return 1000 * kStepSeconds.at(index);
}
std::int32_t SaveIntervalMsOf(int index)
{
    return 1000 * kSaveSeconds.at(index);
}

QString SampleStepListEntry(int index)
{
    return QStringLiteral("%1 S").arg(kStepSeconds.at(index));
}

QString SaveIntervalListEntry(int index)
{
    return QStringLiteral("%1 S").arg(kSaveSeconds.at(index));
}

QString SampleStepStatusText(int index)
{
    return QStringLiteral("採樣步長：%1S").arg(kStepSeconds.at(index));
}

QString SaveIntervalStatusText(int index)
{
    return QStringLiteral("存儲間隔時間：%1S").arg(kSaveSeconds.at(index));
}

RecordSettings ReadRecordSettings(const IniFile& sysSet)
{
    const QString fallback = QStringLiteral("2");
    RecordSettings settings;
    for (int k = 0; k < 6; ++k)
        settings.channels[k] =
            ToIndex(sysSet.ReadString(kSection, QStringLiteral("Ch%1").arg(k), fallback));
    settings.sampleStep =
        ToIndex(sysSet.ReadString(kSection, QStringLiteral("SampingSetp"), fallback));
    settings.saveInterval =
        ToIndex(sysSet.ReadString(kSection, QStringLiteral("SaveSetp"), fallback));
    return settings;
}

bool WriteRecordSettings(const IniFile& sysSet, const RecordSettings& settings,
                         int temperatureInput)
{
    bool ok = true;
    for (int k = 0; k < 6; ++k)
        ok &= sysSet.WriteString(kSection, QStringLiteral("Ch%1").arg(k),
                                 QString::number(settings.channels[k]));
    ok &= sysSet.WriteString(kSection, QStringLiteral("SampingSetp"),
                             QString::number(settings.sampleStep));
    ok &= sysSet.WriteString(kSection, QStringLiteral("SaveSetp"),
                             QString::number(settings.saveInterval));
    ok &= sysSet.WriteString(kSection, QStringLiteral("TInCommNO"),
                             QString::number(temperatureInput));
    return ok;
}
