#pragma once

#include <QString>

#include <array>

struct MeasurementRecord;

// Number texts of the analysis report. Every value is rounded half to even
// to its decimals first and then written in the general format (no trailing
// zeros, '.' only with a fraction).

// RMS value of a harmonic amplitude: amplitude / 1.414 to two decimals, with
// ".00" appended to a whole number.
QString FormatHarmonicAbs(double amplitude);

// Percentage of the fundamental to two decimals, ".0" appended to a whole
// number, then "%". Without a usable fundamental (zero or not finite) the cell
// shows the format's zero, "0.0%".
QString FormatHarmonicRel(double amplitude, double fundamental);

// `value` to `decimals` places in the general format.
QString FormatReportValue(double value, int decimals);

// Which drawing a text is for: the preview and the printout differ in the
// THD decimals and the crest factors' unit text.
enum class ReportTarget { Preview, Print };

inline constexpr int kReportValueRows = 14;

// The fourteen value texts (number and unit text) in list order: URMS, UPP,
// UF, IRMS, IPP, IPA, WRMS, PF, PS, PQ, VKF, IKF, VTHD, ITHD.
std::array<QString, kReportValueRows> ReportValueTexts(const MeasurementRecord& record,
                                                       ReportTarget target);
