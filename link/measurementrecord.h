#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

// The measurement shown by the program and the content of a snapshot file.
// The first 2530 bytes are the data of the instrument's 2532-byte measurement
// answer, copied unchanged; the layout below is therefore a wire format and
// the compiler checks every offset.
static_assert(std::endian::native == std::endian::little,
              "the record is copied byte for byte from little-endian answers");

struct MeasurementRecord {
    float URMS;                      // RMS voltage, V
    float UPP;                       // peak voltage, V
    float UF;                        // frequency, Hz
    float IRMS;                      // RMS current, A
    float IPP;                       // peak current, A
    float IPA;                       // phase angle between voltage and current
    float PF;                        // power factor
    float WRMS;                      // active power, W
    float PS;                        // apparent power
    float PQ;                        // reactive power
    float VTHD;                      // voltage total harmonic distortion, as a fraction
    float ITHD;                      // current total harmonic distortion, as a fraction
    float VKF;                       // voltage crest factor
    float IKF;                       // current crest factor
    float KWH;                       // energy, kWh
    std::array<float, 51> UHarmonic; // amplitudes, element k = order k
    std::array<float, 51> IHarmonic;
    float Aux1; // carried and saved, shown nowhere
    float Aux2;
    std::int16_t WaveLength;              // nonzero spreads the 512 points over the chart width
    std::array<std::uint16_t, 512> UWave; // raw converter codes
    std::array<std::uint16_t, 512> IWave;
    std::uint16_t UWaveZero;
    std::uint16_t IWaveZero;
    std::array<std::uint8_t, 5522> Reserved; // travels through snapshot files unchanged
};

inline constexpr std::size_t kMeasurementRecordSize = 8052;
inline constexpr std::size_t kMeasurementDataSize = 2530; // bytes taken from an answer

static_assert(sizeof(MeasurementRecord) == kMeasurementRecordSize);
static_assert(offsetof(MeasurementRecord, URMS) == 0);
static_assert(offsetof(MeasurementRecord, UPP) == 4);
static_assert(offsetof(MeasurementRecord, UF) == 8);
static_assert(offsetof(MeasurementRecord, IRMS) == 12);
static_assert(offsetof(MeasurementRecord, IPP) == 16);
static_assert(offsetof(MeasurementRecord, IPA) == 20);
static_assert(offsetof(MeasurementRecord, PF) == 24);
static_assert(offsetof(MeasurementRecord, WRMS) == 28);
static_assert(offsetof(MeasurementRecord, PS) == 32);
static_assert(offsetof(MeasurementRecord, PQ) == 36);
static_assert(offsetof(MeasurementRecord, VTHD) == 40);
static_assert(offsetof(MeasurementRecord, ITHD) == 44);
static_assert(offsetof(MeasurementRecord, VKF) == 48);
static_assert(offsetof(MeasurementRecord, IKF) == 52);
static_assert(offsetof(MeasurementRecord, KWH) == 56);
static_assert(offsetof(MeasurementRecord, UHarmonic) == 60);
static_assert(offsetof(MeasurementRecord, IHarmonic) == 264);
static_assert(offsetof(MeasurementRecord, Aux1) == 468);
static_assert(offsetof(MeasurementRecord, Aux2) == 472);
static_assert(offsetof(MeasurementRecord, WaveLength) == 476);
static_assert(offsetof(MeasurementRecord, UWave) == 478);
static_assert(offsetof(MeasurementRecord, IWave) == 1502);
static_assert(offsetof(MeasurementRecord, UWaveZero) == 2526);
static_assert(offsetof(MeasurementRecord, IWaveZero) == 2528);
static_assert(offsetof(MeasurementRecord, Reserved) == kMeasurementDataSize);

// Start values: zero quantities and spectra, Aux fields 1.0, waveforms flat at
// the converter's zero code 2047, Reserved zero.
void ResetMeasurementRecord(MeasurementRecord& record);

// Replaces every value that is not a finite number (NaN, +Inf, -Inf) by 0.0
// in the fifteen quantities and Aux1/Aux2, wherever the record came from: the
// panels, records and reports would otherwise carry it on as "NAN" or "INF".
// Harmonics, waveforms and Reserved are left as they are, byte for byte.
void SanitiseMeasurementValues(MeasurementRecord& record);

// Copies the 2530 data bytes of a measurement answer into the record and
// sanitises it (SanitiseMeasurementValues).
void StoreMeasurementAnswer(MeasurementRecord& record, const std::uint8_t* data);
