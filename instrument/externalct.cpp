#include "externalct.h"

ExternalCtShift ComputeExternalCtShift(float frequencyHz, float phaseDegrees)
{
    using Refusal = ExternalCtShift::Refusal;
    // The labels speak of 50-60 Hz, but a mains frequency a little off either
    // end is still taken.
    if (frequencyHz > 61.0f)
        return {Refusal::FrequencyHigh};
    if (frequencyHz < 49.0f)
        return {Refusal::FrequencyLow};
    if (phaseDegrees > 30.0f)
        return {Refusal::PhaseHigh};
    if (phaseDegrees < -30.0f)
        return {Refusal::PhaseLow};
    const double seconds = (1.0 / double(frequencyHz)) * (double(phaseDegrees) / 360.0);
    return {Refusal::None, static_cast<float>(seconds)};
}
