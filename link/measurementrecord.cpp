#include "measurementrecord.h"

#include <cmath>
#include <cstring>

void ResetMeasurementRecord(MeasurementRecord& record)
{
    std::memset(&record, 0, sizeof record);
    record.Aux1 = 1.0f;
    record.Aux2 = 1.0f;
    record.WaveLength = 512;
    record.UWave.fill(2047);
    record.IWave.fill(2047);
    record.UWaveZero = 2047;
    record.IWaveZero = 2047;
}

void SanitiseMeasurementValues(MeasurementRecord& record)
{
    // An instrument that could not compute a quantity sends NaN, and a file
    // may hold anything at all; the program shows those fields as zero.
    float* const scalars[] = {&record.URMS, &record.UPP,  &record.UF,   &record.IRMS, &record.IPP,
                              &record.IPA,  &record.PF,   &record.WRMS, &record.PS,   &record.PQ,
                              &record.VTHD, &record.ITHD, &record.VKF,  &record.IKF,  &record.KWH,
                              &record.Aux1, &record.Aux2};
    for (float* value : scalars)
        if (!std::isfinite(*value))
            *value = 0.0f;
}

void StoreMeasurementAnswer(MeasurementRecord& record, const std::uint8_t* data)
{
    std::memcpy(&record, data, kMeasurementDataSize);
    SanitiseMeasurementValues(record);
}
