#pragma once

#include <cstddef>
#include <cstdint>

// Modbus RTU frames as this instrument speaks them: register numbers and
// counts high byte first, the checksum low byte first, and the four data bytes
// of a write (and of every float in an answer) least significant byte first.

inline constexpr std::size_t kReadRequestSize = 8;
inline constexpr std::size_t kWriteRequestSize = 13;
inline constexpr std::uint8_t kFunctionRead = 3;
inline constexpr std::uint8_t kFunctionWrite = 16;

// CRC-16 of the Modbus serial line (reflected polynomial 0xA001, start 0xFFFF).
std::uint16_t ModbusCrc16(const std::uint8_t* data, std::size_t length);

// True when the last two bytes are the checksum of the ones before them.
bool AnswerChecksumValid(const std::uint8_t* data, std::size_t length);

// Appends the checksum of data[0 .. length-1] at data[length], low byte first.
void AppendCrc(std::uint8_t* data, std::size_t length);

// address, 3, register hi/lo, count hi/lo, crc lo/hi
void BuildReadRequest(std::uint8_t* frame, std::uint8_t address, std::uint16_t reg,
                      std::uint16_t count);

// address, 16, register hi/lo, 0, 2, 4, data[0..3], crc lo/hi
void BuildWriteRequest(std::uint8_t* frame, std::uint8_t address, std::uint16_t reg,
                       const std::uint8_t* data);

// The float whose IEEE 754 bit pattern is b0 + b1*2^8 + b2*2^16 + b3*2^24.
float DecodeFloat(const std::uint8_t* bytes);

// The four bytes of a float, least significant first: the inverse of DecodeFloat.
void EncodeFloat(float value, std::uint8_t* bytes);

// The bit pattern of a float, as SendWriteValue takes it.
std::uint32_t FloatBits(float value);
