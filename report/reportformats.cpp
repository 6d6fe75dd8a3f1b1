#include "reportformats.h"

#include "measurementrecord.h"
#include "numberformat.h"

#include <cmath>

namespace {

// The report turns peak amplitudes into RMS values with this divisor, not
// with the exact square root of two, so that its numbers match the
// instrument's own printouts.
constexpr double kReportPeakToRms = 1.414;

// A text without a point gets `completion`; texts of values that are not
// finite ("NAN", "INF") stand as the general format gives them.
QString Completed(double value, const QString& completion)
{
    QString text = FormatGeneral(value);
    if (std::isfinite(value) && !text.contains(QLatin1Char('.')))
        text += completion;
    return text;
}

} // namespace

QString FormatHarmonicAbs(double amplitude)
{
    return Completed(RoundHalfEven(amplitude / kReportPeakToRms * 100.0) / 100.0,
                     QStringLiteral(".00"));
}

QString FormatHarmonicRel(double amplitude, double fundamental)
{
    double percent = 0.0;
    if (fundamental != 0.0 && std::isfinite(fundamental))
        percent = RoundHalfEven(amplitude / fundamental * 10000.0) / 100.0;
    return Completed(percent, QStringLiteral(".0")) + QLatin1Char('%');
}

QString FormatReportValue(double value, int decimals)
{
    return FormatGeneral(RoundToDecimals(value, decimals));
}

std::array<QString, kReportValueRows> ReportValueTexts(const MeasurementRecord& r,
                                                       ReportTarget target)
{
    const bool preview = target == ReportTarget::Preview;
    const QString crestUnit = preview ? QStringLiteral(" ") : QString();
    // THD is stored as a fraction and shown in percent: one decimal in the
    // preview, two in the printout.
    const double thdScale = preview ? 1000.0 : 10000.0;
    const double thdDivisor = preview ? 10.0 : 100.0;
    const auto thd = [&](float fraction) {
        return FormatGeneral(RoundHalfEven(double(fraction) * thdScale) / thdDivisor)
               + QStringLiteral(" %");
    };
    return {
        FormatReportValue(r.URMS, 2) + QStringLiteral(" V"),
        FormatReportValue(r.UPP, 2) + QStringLiteral(" V"),
        FormatReportValue(r.UF, 2) + QStringLiteral(" Hz"),
        FormatReportValue(r.IRMS, 3) + QStringLiteral(" A"),
        FormatReportValue(r.IPP, 3) + QStringLiteral(" A"),
        FormatReportValue(r.IPA, 2) + QStringLiteral(" 度"),
        FormatReportValue(r.WRMS, 2) + QStringLiteral(" W"),
        FormatReportValue(r.PF, 3),
        FormatReportValue(r.PS, 2) + QStringLiteral(" VA"),
        FormatReportValue(r.PQ, 2) + QStringLiteral(" VAR"),
        FormatReportValue(r.VKF, 2) + crestUnit,
        FormatReportValue(r.IKF, 2) + crestUnit,
        thd(r.VTHD),
        thd(r.ITHD),
    };
}
