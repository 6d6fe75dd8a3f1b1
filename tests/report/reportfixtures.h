#pragma once

#include "measurementrecord.h"

#include <cmath>

// The state at program start: zero values and spectra, flat waveforms.
inline MeasurementRecord ZeroMeasurement()
{
    MeasurementRecord r{};
    ResetMeasurementRecord(r);
    return r;
}

// A mains measurement: 220 V, 5 A lagging, a few odd harmonics.
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
