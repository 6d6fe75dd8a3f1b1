#pragma once

#include "burstlog.h"
#include "measurementrecord.h"

#include <cstdint>
#include <vector>

// The frames the instrument answers with, checksum appended.

// A read answer carrying `data` (at most 255 bytes).
std::vector<std::uint8_t> ReadAnswerFrame(std::uint8_t address,
                                          const std::vector<std::uint8_t>& data);

// The acknowledgement of a write, naming the register by its low byte.
std::vector<std::uint8_t> WriteAcknowledgeFrame(std::uint8_t address, std::uint16_t reg);

// The report that the burst log has been triggered and can be fetched.
std::vector<std::uint8_t> LogStartedFrame(std::uint8_t address);

// The 2532-byte measurement answer: the record's first 2530 bytes.
std::vector<std::uint8_t> MeasurementFrame(const MeasurementRecord& record);

// The 1710-byte answer carrying chunk `chunk` (1-6) of the burst log.
std::vector<std::uint8_t> LogChunkFrame(const BurstLog& log, int chunk);
