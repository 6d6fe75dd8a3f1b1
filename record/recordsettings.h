#pragma once

#include <QString>

#include <array>
#include <cstdint>

class IniFile;
struct MeasurementRecord;

inline constexpr int kQuantityCount = 13;
inline constexpr int kSampleStepCount = 12; // entries 0-10 in the list, 11 by hand only
inline constexpr int kSampleStepListCount = 11;
inline constexpr int kSaveIntervalCount = 6;
// The entry used when the settings file holds a step or interval index that
// is no entry of the tables: 3 s and 20 s, the same as a fresh installation.
inline constexpr int kFallbackStepIndex = 2;

// The list entry of quantity code `code` (with its leading blank), and its
// channel caption; an empty caption for a code outside 0-12.
QString QuantityListEntry(int code);
QString QuantityCaption(int code);
// The unit of a quantity code's values: "V", "A", "W" ... ; empty for a
// plain fraction (power factor, THD) or a code outside 0-12.
QString QuantityUnit(int code);

// The value sampled for each quantity code: 0-9 from the measurement, the
// three temperature inputs 10-12 always 0.0.
std::array<float, kQuantityCount> SampleVectorOf(const MeasurementRecord& record);

// The sampling-step and save-interval tables: period and status text by index.
bool IsSampleStepIndex(int index);
bool IsSaveIntervalIndex(int index);
std::int32_t SampleStepMsOf(int index);
std::int32_t SaveIntervalMsOf(int index);
QString SampleStepListEntry(int index);    // "1 S" .. "15 S"
QString SaveIntervalListEntry(int index);  // "10 S" .. "60 S"
QString SampleStepStatusText(int index);   // "採樣步長：3S"
QString SaveIntervalStatusText(int index); // "存儲間隔時間：20S"

// The section "RecordSet" of "SysSet.ini" as stored: every value as the
// integer it holds, or -1 when it is no decimal integer that fits 32 bits.
struct RecordSettings {
    std::array<int, 6> channels{2, 2, 2, 2, 2, 2}; // Ch0 .. Ch5
    int sampleStep = 2;                            // SampingSetp
    int saveInterval = 2;                          // SaveSetp
};

RecordSettings ReadRecordSettings(const IniFile& sysSet);
// Writes the keys as the record settings window's "確定" does, with
// TInCommNO = `temperatureInput`. False when the file cannot be written.
bool WriteRecordSettings(const IniFile& sysSet, const RecordSettings& settings,
                         int temperatureInput);
