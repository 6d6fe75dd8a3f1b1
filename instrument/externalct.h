#pragma once

// The phase error of an external current transformer, sent to the instrument
// as the time by which it shifts the current wave.
struct ExternalCtShift {
    enum class Refusal { None, FrequencyHigh, FrequencyLow, PhaseHigh, PhaseLow };
    Refusal refusal = Refusal::None;
    float seconds = 0.0f; // when accepted: (1 / f) * (p / 360)
};

// Frequency 49-61 Hz and phase -30 to 30 degrees, bounds included; the
// frequency is judged first. The time is worked out in double precision.
ExternalCtShift ComputeExternalCtShift(float frequencyHz, float phaseDegrees);
