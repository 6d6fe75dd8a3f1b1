#include "clientlinerate.h"
#include "hexbytes.h"
#include "measurementrecord.h"
#include "modbusframe.h"
#include "ptyclient.h"
#include "simulatedinstrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Fault = SimulatedInstrument::Fault;
using Clock = std::chrono::steady_clock;

const std::vector<std::uint8_t> kReadMeasurement = Hex("01 03 00 94 00 02 85 E7");
const std::vector<std::uint8_t> kWriteAL1H300 = Hex("01 10 00 76 00 02 04 00 00 96 43 5A F0");

std::vector<std::uint8_t> Read(std::uint16_t reg, std::uint16_t count, std::uint8_t address = 1)
{
    std::vector<std::uint8_t> frame(kReadRequestSize);
    BuildReadRequest(frame.data(), address, reg, count);
    return frame;
}

std::vector<std::uint8_t> WriteBytes(std::uint16_t reg, std::vector<std::uint8_t> data)
{
    std::vector<std::uint8_t> frame(kWriteRequestSize);
    BuildWriteRequest(frame.data(), 1, reg, data.data());
    return frame;
}

double SecondsSince(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double>(end - start).count();
}

// A simulator started on its own pseudo-terminal, and a client on the line.
class SimulatedInstrumentTest : public ::testing::Test {
protected:
    void startWith(SimulatedInstrument::Options options)
    {
        instrument = std::make_unique<SimulatedInstrument>(std::move(options));
        std::string error;
        ASSERT_TRUE(instrument->start(&error)) << error;
        client = std::make_unique<PtyClient>(instrument->devicePath());
        ASSERT_TRUE(client->isOpen());
    }

    // The answer to `request`, expected to be `length` bytes long.
    std::vector<std::uint8_t> exchange(const std::vector<std::uint8_t>& request, std::size_t length)
    {
        client->send(request);
        return client->receive(length);
    }

    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<PtyClient> client;
};

TEST_F(SimulatedInstrumentTest, MeasurementAnswerIsAValidConsistentRecord)
{
    startWith({});
    const std::vector<std::uint8_t> answer = exchange(kReadMeasurement, 2532);
    ASSERT_EQ(answer.size(), 2532u);
    EXPECT_TRUE(AnswerChecksumValid(answer.data(), answer.size()));

    MeasurementRecord m;
    ResetMeasurementRecord(m);
    StoreMeasurementAnswer(m, answer.data());
    EXPECT_NEAR(m.URMS, 230.0f, 10.0f);
    EXPECT_NEAR(m.UF, 50.0f, 0.2f);
    EXPECT_GT(m.IRMS, 1.0f);
    EXPECT_NEAR(m.PF, std::cos(m.IPA * M_PI / 180.0), 1e-5);
    EXPECT_NEAR(m.WRMS, m.URMS * m.IRMS * m.PF, 1e-3 * m.PS);
    EXPECT_NEAR(m.UHarmonic[1], 1.41421f * m.URMS, 0.01f * m.UHarmonic[1]);
    EXPECT_EQ(m.WaveLength, 512);
    EXPECT_EQ(m.UWaveZero, 2047);

    ASSERT_TRUE(instrument->waitForRequests(1, 5000));
    EXPECT_EQ(instrument->receivedRequests(),
              std::vector<std::vector<std::uint8_t>>{kReadMeasurement});
}

TEST_F(SimulatedInstrumentTest, ThresholdWriteIsAcknowledgedAndReadBack)
{
    startWith({});
    instrument->setThreshold(1, 12.5f);
    EXPECT_EQ(ToHex(exchange(kWriteAL1H300, 5)), ToHex(WithCrc(Hex("01 09 76"))));
    EXPECT_EQ(instrument->threshold(1), 300.0f);
    EXPECT_EQ(ToHex(exchange(Read(118, 2), 9)), ToHex(WithCrc(Hex("01 03 04 00 00 96 43"))));
}

TEST_F(SimulatedInstrumentTest, FlagAndOptionBytesAreWrittenAndReadBack)
{
    startWith({});
    EXPECT_EQ(ToHex(exchange(WriteBytes(126, {0xA5, 0, 0, 0}), 5)),
              ToHex(WithCrc(Hex("01 09 7E"))));
    EXPECT_EQ(ToHex(exchange(WriteBytes(128, {0x03, 0, 0, 0}), 5)),
              ToHex(WithCrc(Hex("01 09 80"))));
    EXPECT_EQ(instrument->alarmFlags(), 0xA5);
    EXPECT_EQ(instrument->optionByte(), 0x03);
    EXPECT_EQ(ToHex(exchange(Read(126, 2), 9)), ToHex(WithCrc(Hex("01 03 04 A5 00 00 00"))));

    instrument->setOptionByte(0x01);
    EXPECT_EQ(ToHex(exchange(Read(128, 2), 9)), ToHex(WithCrc(Hex("01 03 04 01 00 00 00"))));
}

TEST_F(SimulatedInstrumentTest, LogStartIsAcknowledgedAfterTheDelayThenSixChunksFollow)
{
    SimulatedInstrument::Options options;
    options.triggerDelaySeconds = 0.5;
    startWith(options);
    const auto sent = Clock::now();
    EXPECT_EQ(ToHex(exchange(Read(147, 0x33), 5)), ToHex(WithCrc(Hex("01 0A 92"))));
    EXPECT_GE(SecondsSince(sent, client->lastByteTime()), 0.45);
    EXPECT_EQ(instrument->logRangeCode(), 0x33);

    std::vector<std::uint8_t> log;
    for (int chunk = 1; chunk <= 6; ++chunk) {
        const std::vector<std::uint8_t> answer = exchange(Read(147, chunk * 256), 1710);
        ASSERT_EQ(answer.size(), 1710u) << "chunk " << chunk;
        EXPECT_TRUE(AnswerChecksumValid(answer.data(), answer.size())) << "chunk " << chunk;
        log.insert(log.end(), answer.begin(), answer.end() - 2);
    }
    // Range code 0x33: the smallest voltage range (25 V) and current range.
    EXPECT_NEAR(DecodeFloat(&log[0]), 25.0 * std::sqrt(2.0) / 2047, 1e-6);
    EXPECT_GT(DecodeFloat(&log[4]), 0.0f);
    int voltageLargest = 0;
    for (std::size_t at = 24; at < 5144; at += 2)
        voltageLargest = std::max(voltageLargest, std::abs(log[at] + 256 * log[at + 1] - 2047));
    EXPECT_GT(voltageLargest, 1000);
}

TEST_F(SimulatedInstrumentTest, StartingSwitchClosesOnCommandAndStrayChunksGoOut)
{
    SimulatedInstrument::Options options;
    options.startingSwitchByCommand = true;
    options.triggerDelaySeconds = 0.0;
    startWith(options);
    EXPECT_FALSE(instrument->closeStartingSwitch()) << "nothing armed";
    BurstLog burst{};
    burst.fill(0x5A);
    instrument->setBurstLog(burst);

    client->send(Read(147, 0x01));
    // Armed, the switch open: measurements are still answered, no start.
    EXPECT_EQ(exchange(kReadMeasurement, 2532).size(), 2532u);
    ASSERT_TRUE(instrument->closeStartingSwitch());
    EXPECT_EQ(ToHex(client->receive(5)), ToHex(WithCrc(Hex("01 0A 92"))));
    EXPECT_FALSE(instrument->closeStartingSwitch()) << "closed once per arming";

    instrument->sendStrayChunk(2);
    const std::vector<std::uint8_t> stray = client->receive(1710);
    ASSERT_EQ(stray.size(), 1710u);
    EXPECT_TRUE(std::all_of(stray.begin(), stray.end() - 2, [](auto b) { return b == 0x5A; }));
    EXPECT_EQ(instrument->servedBurstLog(), std::optional<BurstLog>(burst));
    // Requests and their arrival times: the arm and the measurement.
    EXPECT_EQ(instrument->requestCount(), 2u);
    EXPECT_EQ(instrument->requestArrivalTimes().size(), 2u);
}

TEST_F(SimulatedInstrumentTest, IgnoresOtherAddressesBadChecksumsAndNoise)
{
    SimulatedInstrument::Options options;
    options.address = 5;
    startWith(options);
    std::vector<std::uint8_t> bytes = Read(126, 2, 1); // another instrument's
    std::vector<std::uint8_t> badChecksum = Read(118, 2, 5);
    badChecksum.back() ^= 0x01;
    bytes.insert(bytes.end(), badChecksum.begin(), badChecksum.end());
    for (std::uint8_t noise : Hex("00 FF 05 10 42"))
        bytes.push_back(noise);
    const std::vector<std::uint8_t> ours = Read(126, 2, 5);
    bytes.insert(bytes.end(), ours.begin(), ours.end());
    client->send(bytes);

    // Only the last request is answered (answers go out in request order).
    EXPECT_EQ(ToHex(client->receive(9)), ToHex(WithCrc(Hex("05 03 04 00 00 00 00"))));
    EXPECT_TRUE(client->receiveUntilQuiet(300).empty());
    EXPECT_EQ(instrument->receivedRequests(), std::vector<std::vector<std::uint8_t>>{ours});
}

TEST_F(SimulatedInstrumentTest, AnswersEveryAddressWhenNoneIsSet)
{
    startWith({});
    EXPECT_EQ(ToHex(exchange(Read(119, 2, 0x11), 9)), ToHex(WithCrc(Hex("11 03 04 00 00 00 00"))));
    EXPECT_EQ(ToHex(exchange(Read(119, 2, 0xFF), 9)), ToHex(WithCrc(Hex("FF 03 04 00 00 00 00"))));
}

TEST_F(SimulatedInstrumentTest, KeepAliveIsAnsweredAndGoodbyeIsNot)
{
    startWith({});
    client->send(Read(186, 0));
    const std::vector<std::uint8_t> answer = exchange(Read(187, 15), 35);
    ASSERT_EQ(answer.size(), 35u);
    EXPECT_EQ(answer[0], 1);
    EXPECT_EQ(answer[1], 3);
    EXPECT_EQ(answer[2], 30);
    EXPECT_TRUE(AnswerChecksumValid(answer.data(), answer.size()));
    EXPECT_EQ(instrument->requestCount(), 2u);
}

TEST_F(SimulatedInstrumentTest, RequestsDuringAnAnswerAreAnsweredAfterIt)
{
    startWith({});
    client->send(kReadMeasurement);
    client->send(Read(118, 2));
    client->send(kReadMeasurement);
    const std::vector<std::uint8_t> all = client->receive(2532 + 9 + 2532);
    ASSERT_EQ(all.size(), 2532u + 9 + 2532);
    EXPECT_TRUE(AnswerChecksumValid(all.data(), 2532));
    EXPECT_EQ(ToHex({all.begin() + 2532, all.begin() + 2541}),
              ToHex(WithCrc(Hex("01 03 04 00 00 96 43"))));
    EXPECT_TRUE(AnswerChecksumValid(all.data() + 2541, 2532));
}

TEST_F(SimulatedInstrumentTest, ServesAClientThatClosesAndReopensThePort)
{
    startWith({});
    EXPECT_EQ(exchange(Read(118, 2), 9).size(), 9u);
    client.reset();
    client = std::make_unique<PtyClient>(instrument->devicePath());
    ASSERT_TRUE(client->isOpen());
    EXPECT_EQ(ToHex(exchange(Read(118, 2), 9)), ToHex(WithCrc(Hex("01 03 04 00 00 96 43"))));
}

// Answer A is the threshold read (9 bytes), answer B the flag read; B always
// follows the faulted A to show the fault struck one answer only.
struct FaultCase {
    const char* name;
    Fault fault;
};

void PrintTo(const FaultCase& param, std::ostream* out)
{
    *out << param.name;
}

class SimulatedInstrumentFault : public SimulatedInstrumentTest,
                                 public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SimulatedInstrumentFault, SpoilsTheNextAnswerOnly)
{
    startWith({});
    instrument->setSplitPauseMs(1000);
    const std::vector<std::uint8_t> answerA = WithCrc(Hex("01 03 04 00 00 96 43"));
    const std::vector<std::uint8_t> answerB = WithCrc(Hex("01 03 04 00 00 00 00"));
    instrument->injectFault(GetParam().fault);

    const auto sent = Clock::now();
    client->send(Read(118, 2));
    std::vector<std::uint8_t> first;
    switch (GetParam().fault) {
    case Fault::Drop:
        break;
    case Fault::Truncate:
        first = client->receive(4);
        EXPECT_EQ(first, std::vector<std::uint8_t>(answerA.begin(), answerA.begin() + 4));
        break;
    case Fault::Split: {
        first = client->receive(4);
        EXPECT_EQ(first, std::vector<std::uint8_t>(answerA.begin(), answerA.begin() + 4));
        const auto firstPart = client->lastByteTime();
        const std::vector<std::uint8_t> rest = client->receive(5);
        EXPECT_GE(SecondsSince(sent, client->lastByteTime()), 1.0);
        // Half the pause, in case the first part was read late.
        EXPECT_GE(SecondsSince(firstPart, client->lastByteTime()), 0.5);
        first.insert(first.end(), rest.begin(), rest.end());
        EXPECT_EQ(first, answerA);
        break;
    }
    case Fault::Corrupt:
    case Fault::Garbage: {
        first = client->receive(9);
        ASSERT_EQ(first.size(), 9u);
        EXPECT_FALSE(AnswerChecksumValid(first.data(), first.size()));
        std::size_t differences = 0;
        for (std::size_t i = 0; i < 9; ++i)
            differences += first[i] != answerA[i];
        if (GetParam().fault == Fault::Corrupt) {
            EXPECT_EQ(differences, 1u);
        }
        break;
    }
    default:
        FAIL();
    }
    EXPECT_EQ(ToHex(exchange(Read(126, 2), 9)), ToHex(answerB));
    EXPECT_TRUE(client->receiveUntilQuiet(200).empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, SimulatedInstrumentFault,
                         ::testing::Values(FaultCase{"Drop", Fault::Drop},
                                           FaultCase{"Corrupt", Fault::Corrupt},
                                           FaultCase{"Truncate", Fault::Truncate},
                                           FaultCase{"Split", Fault::Split},
                                           FaultCase{"Garbage", Fault::Garbage}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedInstrumentTest, SilentInstrumentAnswersNothingMoreButHearsRequests)
{
    startWith({});
    instrument->setThreshold(1, 1.0f);
    instrument->setPeriodicFault(Fault::Silent, 2);
    EXPECT_EQ(exchange(Read(118, 2), 9).size(), 9u);
    client->send(Read(118, 2));
    client->send(kWriteAL1H300);
    client->send(Read(126, 2));
    ASSERT_TRUE(instrument->waitForRequests(4, 5000));
    EXPECT_TRUE(client->receiveUntilQuiet(500).empty());
    EXPECT_EQ(instrument->threshold(1), 1.0f) << "a silent instrument takes in nothing";
}

TEST_F(SimulatedInstrumentTest, PeriodicDropLosesEveryNthAnswer)
{
    startWith({});
    instrument->setPeriodicFault(Fault::Drop, 2);
    for (int i = 0; i < 4; ++i)
        client->send(Read(119 + i, 2));
    ASSERT_TRUE(instrument->waitForRequests(4, 5000));
    // Answers 2 and 4 (registers 120, 122) are lost.
    const std::vector<std::uint8_t> got = client->receive(18);
    std::vector<std::uint8_t> expected = WithCrc(Hex("01 03 04 00 00 00 00"));
    const std::vector<std::uint8_t> third = WithCrc(Hex("01 03 04 00 00 00 00"));
    expected.insert(expected.end(), third.begin(), third.end());
    EXPECT_EQ(ToHex(got), ToHex(expected));
    EXPECT_TRUE(client->receiveUntilQuiet(300).empty());
}

TEST_F(SimulatedInstrumentTest, PacesALongAnswerAtTheConfiguredRate)
{
    SimulatedInstrument::Options options;
    options.baud = 9600;
    startWith(options);
    const auto sent = Clock::now();
    const std::vector<std::uint8_t> answer = exchange(kReadMeasurement, 2532);
    ASSERT_EQ(answer.size(), 2532u);
    // 2532 bytes of 10 bits at 9600 bit/s take 2.64 s.
    EXPECT_GE(SecondsSince(sent, client->lastByteTime()), 2.6);
    EXPECT_TRUE(AnswerChecksumValid(answer.data(), answer.size()));
}

TEST_F(SimulatedInstrumentTest, FollowsTheRateTheClientSetsOnTheLine)
{
    startWith({});
    ASSERT_TRUE(SetClientLineRate(client->fd(), 14400, true));
    const auto sent = Clock::now();
    const std::vector<std::uint8_t> answer = exchange(kReadMeasurement, 2532);
    ASSERT_EQ(answer.size(), 2532u);
    // 2532 bytes at 14400 bit/s take 1.76 s (at the default 115200, 0.22 s).
    EXPECT_GE(SecondsSince(sent, client->lastByteTime()), 1.7);

    ASSERT_TRUE(SetClientLineRate(client->fd(), 4800, false));
    const auto again = Clock::now();
    EXPECT_EQ(exchange(Read(118, 2), 9).size(), 9u);
    EXPECT_GE(SecondsSince(again, client->lastByteTime()), 9 * 10 / 4800.0);
}

TEST(SimulatedInstrumentLink, PointsToTheDeviceWhileServing)
{
    const std::string link =
        std::filesystem::temp_directory_path() / ("qpa-sim-link-" + std::to_string(::getpid()));
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/nonexistent", link); // a stale link is replaced
    SimulatedInstrument::Options options;
    options.linkPath = link;
    SimulatedInstrument instrument(options);
    std::string error;
    ASSERT_TRUE(instrument.start(&error)) << error;
    EXPECT_EQ(std::filesystem::read_symlink(link), instrument.devicePath());

    PtyClient client(link);
    ASSERT_TRUE(client.isOpen());
    client.send(Read(118, 2));
    EXPECT_EQ(client.receive(9).size(), 9u);

    instrument.stop();
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

} // namespace

namespace {

TEST_F(SimulatedInstrumentTest, FaultsAimedAtARegisterSpoilOnlyItsAnswer)
{
    startWith({});
    instrument->injectFaultFor(121, Fault::Drop);
    instrument->injectFaultFor(124, Fault::Corrupt);
    const std::vector<std::uint8_t> value = Hex("00 00 80 3F");
    for (std::uint16_t reg = 118; reg <= 125; ++reg) {
        SCOPED_TRACE(reg);
        client->send(WriteBytes(reg, value));
        const std::vector<std::uint8_t> ack = client->receiveUntilQuiet(150);
        if (reg == 121) {
            EXPECT_TRUE(ack.empty());
            continue;
        }
        ASSERT_EQ(ack.size(), 5u);
        EXPECT_EQ(AnswerChecksumValid(ack.data(), ack.size()), reg != 124);
    }
    // Each aimed fault struck once: the next answers naming them are whole.
    const std::vector<std::uint8_t> whole = exchange(Read(124, 2), 9);
    EXPECT_TRUE(AnswerChecksumValid(whole.data(), whole.size()));
    const std::vector<std::uint8_t> ack = exchange(WriteBytes(121, value), 5);
    EXPECT_TRUE(AnswerChecksumValid(ack.data(), ack.size()));
}

TEST_F(SimulatedInstrumentTest, KeepsTheCalibrationCommandsAndWhenEachRequestArrived)
{
    startWith({});
    const auto before = Clock::now();
    const auto send = [&](std::uint16_t reg, std::vector<std::uint8_t> data) {
        client->send(WriteBytes(reg, std::move(data)));
        client->receiveUntilQuiet(100);
    };
    send(154, Hex("00 00 5C 43")); // locked: not taken
    EXPECT_FALSE(instrument->calibration().voltageReference.has_value());
    send(185, Hex("B6 00 00 00"));
    send(154, Hex("00 00 5C 43"));
    send(158, Hex("CD CC 4C 3E"));
    send(166, Hex("01 00 00 00"));
    const CalibrationState state = instrument->calibration();
    EXPECT_TRUE(state.unlocked);
    EXPECT_EQ(state.voltageReference, 220.0f);
    EXPECT_EQ(state.currentReference, 0.2f);
    EXPECT_EQ(state.lastTemperatureCommand, 1);

    const auto times = instrument->requestArrivalTimes();
    ASSERT_EQ(times.size(), instrument->receivedRequests().size());
    ASSERT_EQ(times.size(), 5u);
    EXPECT_GE(times.front(), before);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    EXPECT_GE(times[4] - times[0], 4 * 100ms);
}

} // namespace
