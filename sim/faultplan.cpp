#include "faultplan.h"

#include "modbusframe.h"

#include <algorithm>

FaultPlan::FaultPlan(std::uint32_t seed) : random_(seed) {}

void FaultPlan::inject(Fault fault)
{
    injected_.push_back(fault);
}

void FaultPlan::injectFor(std::uint16_t reg, Fault fault)
{
    aimed_.emplace_back(reg, fault);
}

void FaultPlan::injectForLogChunk(int chunk, Fault fault)
{
    aimedLog_.emplace_back(chunk, fault);
}

void FaultPlan::setPeriodic(Fault fault, int everyNth)
{
    periodic_[static_cast<std::size_t>(fault)] = Periodic{std::max(everyNth, 0), 0};
}

FaultPlan::Fault FaultPlan::nextFault(std::uint16_t reg, int logChunk)
{
    const auto aimedLog =
        std::find_if(aimedLog_.begin(), aimedLog_.end(),
                     [logChunk](const auto& entry) { return entry.first == logChunk; });
    if (logChunk >= 0 && aimedLog != aimedLog_.end()) {
        const Fault fault = aimedLog->second;
        aimedLog_.erase(aimedLog);
        return fault;
    }
    const auto aimed = std::find_if(aimed_.begin(), aimed_.end(),
                                    [reg](const auto& entry) { return entry.first == reg; });
    if (aimed != aimed_.end()) {
        const Fault fault = aimed->second;
        aimed_.erase(aimed);
        return fault;
    }
    Fault due = Fault::None;
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        Periodic& periodic = periodic_[kind];
        if (periodic.everyNth == 0)
            continue;
        if (++periodic.answersSeen < periodic.everyNth)
            continue;
        periodic.answersSeen = 0;
        if (due == Fault::None)
            due = static_cast<Fault>(kind);
    }
    if (!injected_.empty()) {
        due = injected_.front();
        injected_.pop_front();
    }
    return due;
}

Transmission FaultPlan::shape(const Answer& answer, std::uint16_t reg, int logChunk)
{
    const std::vector<std::uint8_t>& bytes = answer.bytes;
    const std::size_t half = std::max<std::size_t>(bytes.size() / 2, 1);
    Transmission sent;
    const Fault fault = silent_ ? Fault::Silent : nextFault(reg, logChunk);
    if (!silent_)
        ++applied_[static_cast<std::size_t>(fault)];
    switch (fault) {
    case Fault::None:
        sent.parts.push_back({bytes, answer.delay});
        break;
    case Fault::Drop:
        break;
    case Fault::Corrupt: {
        // A changed byte always breaks the CRC-16, which catches every error
        // burst up to 16 bits long.
        std::vector<std::uint8_t> spoiled = bytes;
        const std::size_t at = random_.below(static_cast<std::uint32_t>(spoiled.size()));
        spoiled[at] ^= static_cast<std::uint8_t>(1 + random_.below(255));
        sent.parts.push_back({std::move(spoiled), answer.delay});
        break;
    }
    case Fault::Truncate:
        sent.parts.push_back(
            {{bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(half)}, answer.delay});
        break;
    case Fault::Split:
        sent.parts.push_back(
            {{bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(half)}, answer.delay});
        sent.parts.push_back(
            {{bytes.begin() + static_cast<std::ptrdiff_t>(half), bytes.end()}, splitPause_});
        break;
    case Fault::Garbage: {
        std::vector<std::uint8_t> noise(bytes.size());
        for (std::uint8_t& byte : noise)
            byte = random_.byte();
        // Noise that happens to carry a valid checksum would pass for an answer.
        if (AnswerChecksumValid(noise.data(), noise.size()))
            noise.back() ^= 0xFF;
        sent.parts.push_back({std::move(noise), answer.delay});
        break;
    }
    case Fault::Silent:
        silent_ = true;
        break;
    }
    return sent;
}
