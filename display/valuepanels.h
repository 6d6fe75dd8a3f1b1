#pragma once

#include <QString>

#include <array>
#include <cstddef>

struct MeasurementRecord;

// The fifteen value panels of the live view, named after their controls, in
// the order they are filled.
enum class PanelId {
    Panel_URMS,
    Panel_IRMS,
    Panel_UPP,
    Panel_IPP,
    Panel_UF,
    Panel_IPA,
    Panel_WRMS,
    Panel_PS,
    Panel_PQ,
    Panel_PF,
    Panel_VTHD,
    Panel_ITHD,
    PANEL_IKF,
    Panel_VKF,
    Panel_KWH,
};
inline constexpr std::size_t kPanelCount = 15;

struct PanelTexts {
    std::array<QString, kPanelCount> text;

    QString& operator[](PanelId id) { return text[static_cast<std::size_t>(id)]; }
    const QString& operator[](PanelId id) const { return text[static_cast<std::size_t>(id)]; }
    bool operator==(const PanelTexts&) const = default;
};

// The captions of all fifteen panels for `record`. Each value is rounded to
// its panel's decimals (halves to even) and written in general format; a
// text without a point gets ".0" (".00" for the frequency), most are cut to
// six characters without rounding, and the voltages, the frequency and the
// THD percentages carry their unit: URMS 230.1234 shows "230.12V", UF 50
// shows "50.00Hz", VTHD 0.0345 shows "3.4 %". A NaN reactive power is set to
// 0.0 in the record itself first, so that it also leaves the record clean.
PanelTexts FormatPanelTexts(MeasurementRecord& record);

// Where a panel sits in GroupBox2's value grid (row 0-4, column 0-2), the
// text of the label to its left, and the control's name.
struct ValuePanelPlace {
    int row;
    int column;
    QString label;
    QString name;
};
ValuePanelPlace PlaceOfPanel(PanelId id);
