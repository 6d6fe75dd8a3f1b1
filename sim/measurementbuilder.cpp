#include "measurementbuilder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double Rms(const std::array<double, kHarmonicOrders>& amplitude)
{
    double sumOfSquares = amplitude[0] * amplitude[0];
    for (int k = 1; k < kHarmonicOrders; ++k)
        sumOfSquares += amplitude[k] * amplitude[k] / 2.0;
    return std::sqrt(sumOfSquares);
}

// Angle by which the current's fundamental lags the voltage's, in degrees,
// folded into (-180, 180].
double LagDegrees(const LoadSnapshot& load)
{
    double degrees = (load.voltagePhase[1] - load.currentPhase[1]) * 180.0 / std::numbers::pi;
    degrees = std::remainder(degrees, 360.0);
    return degrees == -180.0 ? 180.0 : degrees;
}

std::uint16_t ToCode(double value, double unitsPerCode)
{
    const double code = std::round(kZeroCode + value / unitsPerCode);
    return static_cast<std::uint16_t>(std::clamp(code, 0.0, double(kLargestCode)));
}

} // namespace

double TotalHarmonicDistortion(const std::array<double, kHarmonicOrders>& amplitude,
                               bool relativeToRms)
{
    double harmonics = 0.0;
    for (int k = 2; k < kHarmonicOrders; ++k)
        harmonics += amplitude[k] * amplitude[k];
    const double fundamental = amplitude[1] * amplitude[1];
    const double reference = relativeToRms ? fundamental + harmonics : fundamental;
    return reference > 0.0 ? std::sqrt(harmonics / reference) : 0.0;
}

double ActivePower(const LoadSnapshot& load)
{
    return Rms(load.voltageAmplitude) * Rms(load.currentAmplitude)
           * std::cos(LagDegrees(load) * std::numbers::pi / 180.0);
}

MeasurementRecord BuildMeasurement(const LoadSnapshot& load, const MeasurementSettings& settings)
{
    MeasurementRecord record;
    ResetMeasurementRecord(record);

    const double sampleStep = 1.0 / (kWaveSamplesPerCycle * load.frequency);
    double voltagePeak = 0.0;
    double currentPeak = 0.0;
    for (std::size_t k = 0; k < record.UWave.size(); ++k) {
        const double u = load.voltageAt(k * sampleStep);
        const double i = load.currentAt(k * sampleStep);
        voltagePeak = std::max(voltagePeak, std::abs(u));
        currentPeak = std::max(currentPeak, std::abs(i));
        record.UWave[k] = ToCode(u, kWaveVoltsPerCode);
        record.IWave[k] = ToCode(i, kWaveAmperesPerCode);
    }

    const double urms = Rms(load.voltageAmplitude);
    const double irms = Rms(load.currentAmplitude);
    const double lag = LagDegrees(load);
    const double lagRadians = lag * std::numbers::pi / 180.0;
    const double apparent = urms * irms;

    record.URMS = float(urms);
    record.UPP = float(voltagePeak);
    record.UF = float(load.frequency);
    record.IRMS = float(irms);
    record.IPP = float(currentPeak);
    record.IPA = float(lag);
    record.PF = float(std::cos(lagRadians));
    record.WRMS = float(apparent * std::cos(lagRadians));
    record.PS = float(apparent);
    record.PQ = float(apparent * std::sin(lagRadians));
    record.VTHD = float(TotalHarmonicDistortion(load.voltageAmplitude, settings.thdRelativeToRms));
    record.ITHD = float(TotalHarmonicDistortion(load.currentAmplitude, settings.thdRelativeToRms));
    record.VKF = float(urms > 0.0 ? voltagePeak / urms : 0.0);
    record.IKF = float(irms > 0.0 ? currentPeak / irms : 0.0);
    record.KWH = float(settings.energyKwh);
    for (int k = 0; k < kHarmonicOrders; ++k) {
        record.UHarmonic[k] = float(load.voltageAmplitude[k]);
        record.IHarmonic[k] = float(load.currentAmplitude[k]);
    }
    return record;
}
