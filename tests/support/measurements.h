#pragma once

#include "measurementrecord.h"

#include <cmath>
#include <numbers>

// The state at program start: zero values and spectra, flat waveforms.
inline MeasurementRecord ZeroMeasurement()
{
    MeasurementRecord r{};
    ResetMeasurementRecord(r);
    return r;
}

// A mains measurement: 220 V, 5 A lagging, a few odd harmonics. The values
// are chosen for their texts (rounding at the shown decimals).
inline MeasurementRecord RealisticMeasurement()
{
    MeasurementRecord r = ZeroMeasurement();
    r.URMS = 220.13f;
    r.UPP = 311.5f;
    r.UF = 50.0f;
    r.IRMS = 5.1234f;
    r.IPP = 7.5f;
    r.IPA = 30.25f;
    r.PF = 0.866f;
    r.WRMS = 976.5f;
    r.PS = 1127.5f;
    r.PQ = 563.75f;
    r.VKF = 1.41f;
    r.IKF = 1.46f;
    r.VTHD = 0.0512f;
    r.ITHD = 0.1234f;
    r.UHarmonic[1] = 311.127f;
    r.UHarmonic[3] = 15.556f;
    r.UHarmonic[5] = 8.1675f; // 5.25 % of the fundamental at 2 decimals
    r.IHarmonic[1] = 7.07f;
    r.IHarmonic[3] = 0.707f;
    r.IHarmonic[7] = 0.3535f;
    for (int i = 0; i < 512; ++i) {
        const double phase = 2 * M_PI * i / 128.0;
        r.UWave[i] = static_cast<std::uint16_t>(2047 + std::lround(1500 * std::sin(phase)));
        r.IWave[i] = static_cast<std::uint16_t>(2047 + std::lround(800 * std::sin(phase - 0.5)));
    }
    return r;
}

// A 230 V, 50 Hz supply feeding a rectifier load: a slightly flattened
// voltage and a current rich in odd harmonics, every bar of both spectra
// drawn. What the benchmarks draw and print.
inline MeasurementRecord RectifierMeasurement()
{
    MeasurementRecord r = ZeroMeasurement();
    r.URMS = 230.12f;
    r.UPP = 325.3f;
    r.UF = 50.01f;
    r.IRMS = 4.213f;
    r.IPP = 6.82f;
    r.IPA = 12.3f;
    r.PF = 0.968f;
    r.WRMS = 938.4f;
    r.PS = 969.5f;
    r.PQ = 243.7f;
    r.VTHD = 0.021f;
    r.ITHD = 0.318f;
    r.VKF = 1.414f;
    r.IKF = 1.62f;
    r.KWH = 12.345f;
    for (int k = 0; k <= 50; ++k) {
        const bool odd = k % 2 == 1;
        r.UHarmonic[k] = k == 1 ? 325.0f : (odd ? 6.5f / k : 0.05f);
        r.IHarmonic[k] = k == 1 ? 6.0f : (odd ? 1.9f / k : 0.01f);
    }
    for (int k = 0; k < 512; ++k) {
        const double p = 2 * std::numbers::pi * 4 * k / 512;
        r.UWave[k] = static_cast<std::uint16_t>(
            2047 + std::lround(1500 * std::sin(p) - 40 * std::sin(3 * p)));
        r.IWave[k] = static_cast<std::uint16_t>(
            2047
            + std::lround(600 * std::sin(p - 0.2) + 180 * std::sin(3 * p) + 90 * std::sin(5 * p)));
    }
    return r;
}
