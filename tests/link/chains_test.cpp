// The dispatcher's three chains step by step: what each start and each
// answer sends, what the chain then awaits, and what a spoiled answer at that
// point sends again. Answers are handed to the dispatcher as the receive
// handler hands them over once its wait is over; the far end only collects
// what the program sends.
#include "linkrig.h"
#include "modbusframe.h"
#include "scriptedline.h"
#include "testframes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Kind = LastRequestT::Kind;

// Too short to be an answer: the dispatcher sends what it awaits again.
const QByteArray kSpoiled = QByteArray::fromHex("A5A5A5");

struct Step {
    const char* name;
    std::function<void()> act; // the chain's start, or an answer arriving
    QByteArray request;        // sent by the step; empty: nothing
    LastRequestT awaited;      // LastRequest afterwards
    QByteArray retry;          // what a spoiled answer then sends
    int syncStep = -1;         // SyncStep afterwards; -1: not looked at
};

class ChainTest : public ::testing::Test {
protected:
    ScriptedLine line;
    LinkRig rig{line.path()};

    std::function<void()> answer(const QByteArray& bytes)
    {
        return [this, bytes] { rig.dispatcher.HandleAnswerBytes(bytes); };
    }

    void run(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            step.act();
            // Whatever the step sent comes before the retry's bytes: a stray
            // request would show up in their place.
            if (!step.request.isEmpty()) {
                EXPECT_EQ(line.waitForSent(int(step.request.size())).toHex(' '),
                          step.request.toHex(' '));
            }
            expectAwaited(step.awaited);
            if (step.syncStep >= 0) {
                EXPECT_EQ(rig.link.SyncStep, step.syncStep);
            }
            rig.dispatcher.HandleAnswerBytes(kSpoiled);
            EXPECT_EQ(line.waitForSent(int(step.retry.size())).toHex(' '), step.retry.toHex(' '));
            expectAwaited(step.awaited); // asking again changes nothing awaited
        }
        EXPECT_TRUE(rig.sendFailures.empty());
    }

    void expectAwaited(const LastRequestT& awaited)
    {
        EXPECT_EQ(rig.link.LastRequest.reg, awaited.reg);
        EXPECT_EQ(rig.link.LastRequest.count, awaited.count);
        EXPECT_EQ(rig.link.LastRequest.kind, awaited.kind);
    }
};

QByteArray Read(std::uint16_t reg, std::uint16_t count)
{
    return ReadRequestFrame(1, reg, count);
}

TEST_F(ChainTest, ReadBackReadsTheOptionByteThenEachThresholdAndTheFlagsOnce)
{
    rig.link.SyncStep = 9; // a read-back ran before
    std::vector<Step> steps = {
        {"start",
         [this] { EXPECT_TRUE(rig.dispatcher.StartReadBack(ReadBackStart::PortOpened)); },
         Read(128, 2),
         {128, 2, Kind::Read},
         Read(128, 2),
         0},
        {"option byte",
         answer(FrameWithCrc("01030401000000")),
         Read(118, 2),
         {118, 2, Kind::Read},
         Read(118, 2),
         0},
    };
    for (int reg = 118; reg <= 125; ++reg) {
        const int next = reg + 1;
        steps.push_back({"threshold",
                         answer(FloatAnswer(float(reg))),
                         Read(std::uint16_t(next), 2),
                         {std::uint8_t(next), 2, Kind::Read},
                         Read(std::uint16_t(next), 2),
                         reg - 117});
    }
    steps.push_back({"flags: complete",
                     answer(FrameWithCrc("0103040F000000")),
                     {},
                     {126, 2, Kind::Read},
                     Read(126, 2),
                     9});
    run(steps);
    EXPECT_EQ(rig.readBacksComplete, 1);
    EXPECT_EQ(rig.link.AlarmSettings.AL4L, 125.0f);
    EXPECT_EQ(rig.link.AlarmSettings.AlarmFlags, 0x0F);
}

TEST_F(ChainTest, WriteBackWritesEachThresholdThenTheFlagsOnTheirAcknowledgements)
{
    AlarmSettingsT& a = rig.link.AlarmSettings;
    a = {300.0f, 100.0f, 5.5f, 0.5f, 1000.0f, 10.0f, 0.9f, 0.1f, 0x5A};
    const std::uint8_t flags[4] = {0x5A, 0, 0, 0};
    auto value = [&a](int reg) {
        return WriteValueFrame(std::uint16_t(reg), a.threshold(reg - 117));
    };
    std::vector<Step> steps = {
        {"start",
         [this] { EXPECT_TRUE(rig.dispatcher.StartWriteBack()); },
         value(118),
         {118, 0, Kind::WriteValue},
         value(118)},
    };
    for (int reg = 118; reg <= 124; ++reg)
        steps.push_back({"threshold acknowledged",
                         answer(WriteAck(std::uint8_t(reg))),
                         value(reg + 1),
                         {std::uint8_t(reg + 1), 0, Kind::WriteValue},
                         value(reg + 1)});
    steps.push_back({"last threshold acknowledged",
                     answer(WriteAck(125)),
                     WriteBytesFrame(126, flags),
                     {126, 0, Kind::WriteFlags},
                     WriteBytesFrame(126, flags)});
    steps.push_back({"flags acknowledged: complete",
                     answer(WriteAck(126)),
                     {},
                     {126, 0, Kind::WriteFlags},
                     WriteBytesFrame(126, flags)});
    run(steps);
    EXPECT_EQ(rig.writeAcks.back(), 126);
}

TEST_F(ChainTest, LogArmAwaitsTheStartThenFetchesTheSixChunks)
{
    std::vector<Step> steps = {
        {"arm",
         [this] { EXPECT_TRUE(rig.dispatcher.ArmLog(0x12)); },
         Read(147, 0x12),
         {147, 0x12, Kind::LogArm},
         Read(147, 0x12)},
        {"started",
         answer(FrameWithCrc("010A92")),
         Read(147, 256),
         {147, 1, Kind::Read},
         Read(147, 256)},
    };
    for (int chunk = 1; chunk <= 5; ++chunk)
        steps.push_back({"chunk",
                         answer(FrameWithCrc(QByteArray(1708, char(chunk)))),
                         Read(147, std::uint16_t((chunk + 1) * 256)),
                         {147, std::uint8_t(chunk + 1), Kind::Read},
                         Read(147, std::uint16_t((chunk + 1) * 256))});
    steps.push_back({"chunk 6: complete",
                     answer(FrameWithCrc(QByteArray(1708, '\x06'))),
                     {},
                     {147, 6, Kind::Read},
                     Read(147, 6 * 256)});
    run(steps);
    EXPECT_EQ(rig.logsCompleted, 1);
    EXPECT_EQ(rig.link.LogChunkIndex, 0);
    EXPECT_EQ(rig.link.InstrumentLog[kInstrumentLogSize - 1], 6);
}

// While a run is on, the end of a download makes the measurement the awaited
// request again, whether the log came whole or was given up.
TEST_F(ChainTest, AfterTheLogARunsMeasurementIsAwaitedAgain)
{
    for (const bool complete : {true, false}) {
        SCOPED_TRACE(complete ? "complete" : "given up");
        rig.link.SessionMode = SessionModeT::ContinuousSampling;
        ASSERT_TRUE(rig.dispatcher.ArmLog(0));
        rig.dispatcher.HandleAnswerBytes(FrameWithCrc("010A92"));
        if (complete) {
            for (int chunk = 1; chunk <= 6; ++chunk)
                rig.dispatcher.HandleAnswerBytes(FrameWithCrc(QByteArray(1708, char(chunk))));
        } else {
            for (int i = 0; i <= ResponseDispatcher::kLogChunkReasks; ++i)
                rig.dispatcher.LogChunkWatchTimer();
        }
        EXPECT_EQ(rig.link.LogChunkIndex, 0);
        EXPECT_EQ(rig.link.LastRequest.reg, 148);
        EXPECT_EQ(rig.link.LastRequest.count, 2);
        EXPECT_EQ(rig.link.LastRequest.kind, Kind::Read);
        line.takeSent();
    }
}

// A start on a closed port sends nothing, says so by its return and announces
// which chain and request stayed back; what it awaits afterwards is as on an
// open port, except that a log that was never armed is not awaited.
TEST_F(ChainTest, AStartOnAClosedPortAnnouncesItsChainAndRequest)
{
    const LastRequestT before{148, 2, Kind::Read};
    const struct {
        const char* name;
        std::function<bool(ResponseDispatcher&)> start;
        LinkChain chain;
        std::uint8_t reg;
        ReadBackStart readBackStart;
        LastRequestT awaited;
    } cases[] = {
        {"read-back",
         [](ResponseDispatcher& d) { return d.StartReadBack(ReadBackStart::LinkRestored); },
         LinkChain::ReadBack,
         128,
         ReadBackStart::LinkRestored,
         {128, 2, Kind::Read}},
        {"read-back asked again",
         [](ResponseDispatcher& d) { return d.StartReadBack(ReadBackStart::UserRefresh); },
         LinkChain::ReadBack, 128, ReadBackStart::UserRefresh, before},
        {"write-back",
         [](ResponseDispatcher& d) { return d.StartWriteBack(); },
         LinkChain::WriteBack,
         118,
         ReadBackStart::UserRefresh,
         {118, 0, Kind::WriteValue}},
        {"log arm", [](ResponseDispatcher& d) { return d.ArmLog(3); }, LinkChain::LogArm, 147,
         ReadBackStart::UserRefresh, before},
        {"measurement",
         [](ResponseDispatcher& d) { return d.StartMeasurement(); },
         LinkChain::Measurement,
         148,
         ReadBackStart::UserRefresh,
         {148, 2, Kind::Read}},
    };
    rig.comm.setPortOpen(false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.sendFailures.clear();
        rig.link.LastRequest = before;
        EXPECT_FALSE(c.start(rig.dispatcher));
        SendFailure expected;
        expected.reason = SendFailureReason::PortClosed;
        expected.chain = c.chain;
        expected.reg = c.reg;
        expected.start = c.readBackStart; // the last read-back's start rides along
        EXPECT_EQ(rig.sendFailures, std::vector<SendFailure>{expected});
        expectAwaited(c.awaited);
    }
    EXPECT_TRUE(rig.dialogs.messages.empty()) << "the link words nothing";
}

// The port closes while a read-back runs: the next read, sent on an answer,
// is announced with the start of its chain, and the step still counts.
TEST_F(ChainTest, AReadBackStepOnAClosedPortIsAnnouncedWithItsStart)
{
    ASSERT_TRUE(rig.dispatcher.StartReadBack(ReadBackStart::UserRequest));
    line.waitForSent(8);
    rig.dispatcher.HandleAnswerBytes(FrameWithCrc("01030401000000"));
    line.waitForSent(8);
    rig.comm.setPortOpen(false);
    rig.dispatcher.HandleAnswerBytes(FloatAnswer(1.0f));
    SendFailure expected;
    expected.chain = LinkChain::ReadBack;
    expected.reg = 119;
    expected.start = ReadBackStart::UserRequest;
    EXPECT_EQ(rig.sendFailures, std::vector<SendFailure>{expected});
    EXPECT_EQ(rig.link.SyncStep, 1);
    expectAwaited({119, 2, Kind::Read});
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

} // namespace
