#include "simcommandline.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

using Fault = SimulatedInstrument::Fault;

enum class Setting {
    Baud,
    Address,
    TriggerDelay,
    Link,
    Seed,
    SplitPause,
    SilentAfter,
    PeriodicFault,
    LoadCurrent,
    HarmonicScale,
};

struct OptionSpec {
    std::string_view name;
    Setting setting;
    Fault fault; // for PeriodicFault
};

constexpr OptionSpec kOptions[] = {
    {"--baud", Setting::Baud, Fault::None},
    {"--address", Setting::Address, Fault::None},
    {"--trigger-delay", Setting::TriggerDelay, Fault::None},
    {"--link", Setting::Link, Fault::None},
    {"--seed", Setting::Seed, Fault::None},
    {"--load-current", Setting::LoadCurrent, Fault::None},
    {"--harmonic-scale", Setting::HarmonicScale, Fault::None},
    {"--split-pause-ms", Setting::SplitPause, Fault::None},
    {"--silent-after", Setting::SilentAfter, Fault::None},
    {"--drop-every", Setting::PeriodicFault, Fault::Drop},
    {"--corrupt-every", Setting::PeriodicFault, Fault::Corrupt},
    {"--truncate-every", Setting::PeriodicFault, Fault::Truncate},
    {"--split-every", Setting::PeriodicFault, Fault::Split},
    {"--garbage-every", Setting::PeriodicFault, Fault::Garbage},
};

std::optional<long long> ParseInteger(std::string_view text, long long low, long long high)
{
    long long value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

// A decimal number from `low` to `high`, the whole text.
std::optional<double> ParseDecimal(const std::string& text, double low, double high)
{
    if (text.empty())
        return std::nullopt;
    std::size_t used = 0;
    double value = 0.0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used != text.size() || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<double> ParseSeconds(const std::string& text)
{
    return ParseDecimal(text, 0.0, 3600.0);
}

// Applies one option's value; returns an error text or an empty string.
std::string Apply(const OptionSpec& option, const std::string& value, SimCommandLine& commandLine)
{
    std::string bad = "invalid value '" + value + "' for " + std::string(option.name);
    switch (option.setting) {
    case Setting::Baud:
        if (const auto rate = ParseInteger(value, 50, 4000000)) {
            commandLine.options.baud = static_cast<int>(*rate);
            return {};
        }
        return bad + " (a bit rate from 50 to 4000000)";
    case Setting::Address:
        if (const auto address = ParseInteger(value, 1, 255)) {
            commandLine.options.address = static_cast<int>(*address);
            return {};
        }
        return bad + " (an instrument address from 1 to 255)";
    case Setting::TriggerDelay:
        if (const auto seconds = ParseSeconds(value)) {
            commandLine.options.triggerDelaySeconds = *seconds;
            return {};
        }
        return bad + " (seconds from 0 to 3600)";
    case Setting::Link:
        if (!value.empty()) {
            commandLine.options.linkPath = value;
            return {};
        }
        return bad + " (a path)";
    case Setting::Seed:
        if (const auto seed = ParseInteger(value, 0, std::numeric_limits<std::uint32_t>::max())) {
            commandLine.options.seed = static_cast<unsigned>(*seed);
            return {};
        }
        return bad + " (a number from 0 to 4294967295)";
    case Setting::SplitPause:
        if (const auto ms = ParseInteger(value, 0, 60000)) {
            commandLine.splitPauseMs = static_cast<int>(*ms);
            return {};
        }
        return bad + " (milliseconds from 0 to 60000)";
    case Setting::SilentAfter:
        // Silent strikes the answer after the last one given.
        if (const auto answers = ParseInteger(value, 0, 1000000000)) {
            commandLine.periodicFaults.emplace_back(Fault::Silent, static_cast<int>(*answers + 1));
            return {};
        }
        return bad + " (a number of answers, 0 or more)";
    case Setting::LoadCurrent:
        if (const auto amperes = ParseDecimal(value, 0.1, 50.0)) {
            commandLine.options.load.currentRms = *amperes;
            return {};
        }
        return bad + " (amperes from 0.1 to 50)";
    case Setting::HarmonicScale:
        if (const auto scale = ParseDecimal(value, 0.0, 3.0)) {
            commandLine.options.load.harmonicScale = *scale;
            return {};
        }
        return bad + " (a factor from 0 to 3)";
    case Setting::PeriodicFault:
        if (const auto every = ParseInteger(value, 1, 1000000000)) {
            commandLine.periodicFaults.emplace_back(option.fault, static_cast<int>(*every));
            return {};
        }
        return bad + " (a number of answers, 1 or more)";
    }
    return bad;
}

} // namespace

SimCommandLineResult ParseSimCommandLine(const std::vector<std::string>& arguments)
{
    SimCommandLineResult result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.commandLine.showHelp = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = std::string_view(argument).substr(0, equals);
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : kOptions)
            if (candidate.name == name)
                option = &candidate;
        if (!option) {
            result.error = "unknown argument '" + argument + "'";
            return result;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            result.error = "missing value for " + std::string(name);
            return result;
        }
        result.error = Apply(*option, value, result.commandLine);
        if (!result.error.empty())
            return result;
    }
    return result;
}

std::string SimUsage()
{
    return "Usage: qpa3600-sim [options]\n"
           "Serves a simulated QPA3600 power analyzer on a pseudo-terminal. The first line\n"
           "printed is the device to open as the serial port; runs until interrupted.\n"
           "\n"
           "  --baud N               pace answers at N bit/s (default: the rate the client\n"
           "                         sets on the line, 115200 until it sets one)\n"
           "  --address N            answer only requests to address N, 1-255 (default: all)\n"
           "  --trigger-delay SEC    time from arming the burst log to its trigger (default 0.2)\n"
           "  --link PATH            keep a symbolic link PATH to the device while running\n"
           "                         (replaces only a symbolic link of that name)\n"
           "  --seed N               seed of the drifting load and of the faults (default 1)\n"
           "  --load-current A       RMS current the load drifts around (default 4.2; about\n"
           "                         200 W per ampere at its power factor)\n"
           "  --harmonic-scale F     the load current's harmonics F times as strong as the\n"
           "                         usual rectifier-fed appliance's (default 1; 2 takes the\n"
           "                         3rd harmonic past the 2.30 A emission limit of Class A)\n"
           "  --drop-every N         do not send every N-th answer\n"
           "  --corrupt-every N      change one byte of every N-th answer\n"
           "  --truncate-every N     send only the first half of every N-th answer\n"
           "  --split-every N        send every N-th answer in two parts with a pause\n"
           "  --split-pause-ms N     the pause of a split answer (default 300)\n"
           "  --garbage-every N      send random bytes instead of every N-th answer\n"
           "  --silent-after N       give N answers, then answer nothing more\n"
           "  --help                 show this text\n";
}
