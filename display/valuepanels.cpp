#include "valuepanels.h"

#include "measurementrecord.h"
#include "numberformat.h"

#include <cmath>

namespace {

struct PanelFormat {
    float MeasurementRecord::*field;
    int decimals;
    bool percent;        // a THD fraction shown as N(THD * 1000) / 10
    const char* noPoint; // appended when the text has no decimal point
    bool firstSix;       // cut to six characters, never rounded
    const char* unit;
};

// Indexed by PanelId.
constexpr std::array<PanelFormat, kPanelCount> kFormats{{
    {&MeasurementRecord::URMS, 3, false, ".0", true, "V"},
    {&MeasurementRecord::IRMS, 4, false, ".0", true, ""},
    {&MeasurementRecord::UPP, 2, false, ".0", true, "V"},
    {&MeasurementRecord::IPP, 3, false, ".0", true, ""},
    {&MeasurementRecord::UF, 3, false, ".00", false, "Hz"},
    {&MeasurementRecord::IPA, 2, false, ".0", true, ""},
    {&MeasurementRecord::WRMS, 4, false, ".0", true, ""},
    {&MeasurementRecord::PS, 2, false, ".0", true, ""},
    {&MeasurementRecord::PQ, 2, false, ".0", true, ""},
    {&MeasurementRecord::PF, 3, false, ".0", true, ""},
    {&MeasurementRecord::VTHD, 1, true, ".0", false, " %"},
    {&MeasurementRecord::ITHD, 1, true, ".0", false, " %"},
    {&MeasurementRecord::IKF, 3, false, ".0", false, ""},
    {&MeasurementRecord::VKF, 3, false, ".0", false, ""},
    {&MeasurementRecord::KWH, 3, false, ".0", false, ""},
}};

QString FormatPanel(const PanelFormat& format, float value)
{
    const double shown = format.percent ? RoundHalfEven(static_cast<double>(value) * 1000.0) / 10.0
                                        : RoundToDecimals(value, format.decimals);
    QString text = FormatGeneral(shown);
    if (!text.contains(QLatin1Char('.')))
        text += QLatin1String(format.noPoint);
    if (format.firstSix)
        text.truncate(6);
    return text + QLatin1String(format.unit);
}

struct Place {
    int row;
    int column;
    const char* label; // UTF-8
    const char* name;
};

// Indexed by PanelId.
constexpr std::array<Place, kPanelCount> kPlaces{{
    {0, 0, "電壓 ", "Panel_URMS"},
    {1, 0, "電流  ", "Panel_IRMS"},
    {0, 1, "峰電壓 ", "Panel_UPP"},
    {1, 1, "峰電流  ", "Panel_IPP"},
    {0, 2, "頻率 ", "Panel_UF"},
    {1, 2, "相角  ", "Panel_IPA"},
    {2, 0, "功率 ", "Panel_WRMS"},
    {2, 1, "視在", "Panel_PS"},
    {2, 2, "虛功率  ", "Panel_PQ"},
    {3, 0, "  PF", "Panel_PF"},
    {3, 1, "VTHD", "Panel_VTHD"},
    {3, 2, " ITHD", "Panel_ITHD"},
    {4, 0, " IKF", "PANEL_IKF"},
    {4, 1, "   VKF", "Panel_VKF"},
    {4, 2, " KWH", "Panel_KWH"},
}};

} // namespace

PanelTexts FormatPanelTexts(MeasurementRecord& record)
{
    if (std::isnan(record.PQ))
        record.PQ = 0.0f;
    PanelTexts texts;
    for (std::size_t i = 0; i < kPanelCount; ++i)
        texts.text[i] = FormatPanel(kFormats[i], record.*kFormats[i].field);
    return texts;
}

ValuePanelPlace PlaceOfPanel(PanelId id)
{
    const Place& place = kPlaces[static_cast<std::size_t>(id)];
    return {place.row, place.column, QString::fromUtf8(place.label),
            QString::fromLatin1(place.name)};
}
