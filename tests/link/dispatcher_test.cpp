// The dispatcher and the measurement commands against a line the test writes
// by hand: every answer, its timing and its faults are chosen here.
#include "eventwait.h"
#include "linkrig.h"
#include "modbusframe.h"
#include "scriptedline.h"
#include "testframes.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

QByteArray measurementAnswer(float urms)
{
    MeasurementRecord r;
    ResetMeasurementRecord(r);
    r.URMS = urms;
    r.UF = 50.0f;
    return FrameWithCrc(QByteArray(reinterpret_cast<const char*>(&r), int(kMeasurementDataSize)));
}

const QByteArray kMeasurementRequest = QByteArray::fromHex("01030094000285E7");

class DispatcherTest : public ::testing::Test {
protected:
    ScriptedLine line;
    LinkRig rig{line.path()};

    void answerAndWaitStored(const QByteArray& answer)
    {
        const int before = rig.measurementsStored;
        line.write(answer);
        ASSERT_TRUE(WaitUntil([&] { return rig.measurementsStored > before; }));
    }
    // Waits until the dispatcher has handled whatever it is reading now.
    void waitHandled()
    {
        ASSERT_TRUE(WaitUntil([&] { return rig.dispatcher.awaitingAnswer(); }));
        ASSERT_TRUE(WaitUntil([&] { return !rig.dispatcher.awaitingAnswer(); }));
    }
    // Lets the dispatcher finish what it handles and the port be looked at
    // a few times more, as its poll does every 100 ms: what would be sent
    // without a timer coming due has been sent then.
    void settle()
    {
        ASSERT_TRUE(WaitUntil([&] { return !rig.dispatcher.awaitingAnswer(); }));
        for (int poll = 0; poll < 3; ++poll) {
            rig.comm.PollPort();
            RunPendingEvents();
        }
    }
};

TEST_F(DispatcherTest, SingleTestRunsFromRequestToAnswerWithTheCommandStates)
{
    rig.control.SingleTest();
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    EXPECT_EQ(rig.link.SessionMode, SessionModeT::SingleTestPending);
    EXPECT_FALSE(rig.control.states().singleButton);
    EXPECT_FALSE(rig.control.states().continuousButton);
    EXPECT_TRUE(rig.control.states().stopButton);
    EXPECT_TRUE(rig.control.ReReadTimer.isActive());

    answerAndWaitStored(measurementAnswer(230.5f));
    EXPECT_EQ(rig.record.URMS, 230.5f);
    EXPECT_EQ(rig.link.SessionMode, SessionModeT::Idle);
    const CommandStates& s = rig.control.states();
    EXPECT_TRUE(s.singleButton && s.continuousButton && s.stopButton && s.N13 && s.N14);
    EXPECT_FALSE(rig.control.ReReadTimer.isActive());
    EXPECT_FALSE(rig.control.ContinuousReadTimer.isActive());
    ASSERT_EQ(rig.measuredAt.size(), 1u);
    EXPECT_LE(std::abs(rig.measuredAt[0].secsTo(QDateTime::currentDateTime())), 5);

    // The bar starts at 0 and walks the fifty steps of the wait.
    std::vector<int> expected{0};
    for (int step = 1; step <= 50; ++step)
        expected.push_back(step);
    EXPECT_EQ(rig.progress, expected);
}

TEST_F(DispatcherTest, ContinuousSamplingAsksAgainAfterEachAnswerUntilStopped)
{
    rig.control.ContinuousSampling();
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    const CommandStates& s = rig.control.states();
    EXPECT_FALSE(s.C1 || s.N11 || s.N12 || s.N13 || s.N31 || s.N32 || s.IEC2 || s.CSA1);
    EXPECT_TRUE(s.N14 && s.stopButton);

    answerAndWaitStored(measurementAnswer(1.0f));
    EXPECT_TRUE(rig.control.ContinuousReadTimer.isActive());
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    EXPECT_EQ(rig.runRequests, std::vector<RunRequest>{RunRequest::NextMeasurement});
    EXPECT_TRUE(rig.control.ReReadTimer.isActive());

    // Stop while that request is out: its answer is still shown, then nothing.
    rig.control.StopTest();
    EXPECT_EQ(rig.link.SessionMode, SessionModeT::Idle);
    EXPECT_FALSE(rig.control.ReReadTimer.isActive());
    answerAndWaitStored(measurementAnswer(2.0f));
    EXPECT_EQ(rig.record.URMS, 2.0f);
    EXPECT_FALSE(rig.control.ContinuousReadTimer.isActive());
    EXPECT_FALSE(rig.control.ReReadTimer.isActive());
    settle();
    EXPECT_TRUE(line.takeSent().isEmpty());
    const CommandStates& after = rig.control.states();
    EXPECT_TRUE(after.singleButton && after.continuousButton && after.stopButton);
    EXPECT_TRUE(after.C1 && after.N11 && after.N12 && after.N13 && after.N14 && after.N31
                && after.N32 && after.IEC2 && after.CSA1);
}

// The run's state after each step of a session, and only its changes are
// announced.
TEST_F(DispatcherTest, RunStateFollowsStartsAnswersStopsAndTheLinksLoss)
{
    std::vector<RunState> announced;
    QObject::connect(&rig.control, &MeasurementControl::runStateChanged,
                     [&](RunState state) { announced.push_back(state); });
    const auto requested = [&] { EXPECT_EQ(line.waitForSent(8), kMeasurementRequest); };
    const struct Step {
        const char* name;
        std::function<void()> act;
        RunState after;
    } steps[] = {
        {"single test",
         [&] {
             rig.control.SingleTest();
             requested();
         },
         RunState::SingleTest},
        {"its answer", [&] { answerAndWaitStored(measurementAnswer(1.0f)); }, RunState::Stopped},
        {"continuous",
         [&] {
             rig.control.ContinuousSampling();
             requested();
         },
         RunState::ContinuousSampling},
        {"an answer",
         [&] {
             answerAndWaitStored(measurementAnswer(2.0f));
             requested();
         },
         RunState::ContinuousSampling},
        {"link lost", [&] { rig.control.SuspendRun(); }, RunState::WaitingForLink},
        {"link back",
         [&] {
             rig.control.ResumeRun();
             requested();
         },
         RunState::ContinuousSampling},
        {"stop",
         [&] {
             answerAndWaitStored(measurementAnswer(3.0f));
             rig.control.StopTest();
         },
         RunState::Stopped},
        {"single again",
         [&] {
             rig.control.SingleTest();
             requested();
         },
         RunState::SingleTest},
        {"link lost", [&] { rig.control.SuspendRun(); }, RunState::WaitingForLink},
        {"stop while lost", [&] { rig.control.StopTest(); }, RunState::Stopped},
        {"link back", [&] { rig.control.ResumeRun(); }, RunState::Stopped},
        {"link lost while stopped", [&] { rig.control.SuspendRun(); }, RunState::Stopped},
        {"continuous while lost",
         [&] {
             rig.control.ContinuousSampling();
             requested();
         },
         RunState::WaitingForLink},
        {"link opened by a scan", [&] { rig.control.setMeasurementCommandsEnabled(true); },
         RunState::ContinuousSampling},
    };
    EXPECT_EQ(rig.control.runState(), RunState::Stopped);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(rig.control.runState(), step.after);
    }
    EXPECT_EQ(announced,
              (std::vector<RunState>{
                  RunState::SingleTest, RunState::Stopped, RunState::ContinuousSampling,
                  RunState::WaitingForLink, RunState::ContinuousSampling, RunState::Stopped,
                  RunState::SingleTest, RunState::WaitingForLink, RunState::Stopped,
                  RunState::WaitingForLink, RunState::ContinuousSampling}));
}

TEST_F(DispatcherTest, LostAnswerIsAskedForAgainAfterTwoSeconds)
{
    rig.control.SingleTest();
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    ASSERT_TRUE(rig.control.ReReadTimer.isActive());
    EXPECT_EQ(rig.control.ReReadTimer.interval(), 2000);
    FireTimer(rig.control.ReReadTimer);
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    EXPECT_EQ(rig.runRequests, std::vector<RunRequest>{RunRequest::RequestRepeated});
}

TEST_F(DispatcherTest, RetryRestartsTheReReadCountSoOnlyOneRequestIsOut)
{
    rig.control.SingleTest();
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    RunEventLoopFor(1400);
    QByteArray corrupted = measurementAnswer(1.0f);
    corrupted[7] = char(corrupted[7] ^ 0x01);
    line.write(corrupted);
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest); // the retry
    // The re-read timer would have come due 2 s after the first request; the
    // retry already asked again, so it waits two seconds from the retry.
    RunEventLoopFor(1200);
    EXPECT_TRUE(line.takeSent().isEmpty());
    EXPECT_EQ(line.waitForSent(8, 3000), kMeasurementRequest);
}

TEST_F(DispatcherTest, SingleTestWithThePortClosedAnnouncesItButArmsTheRun)
{
    rig.comm.setPortOpen(false);
    rig.control.SingleTest();
    SendFailure failure;
    failure.reason = SendFailureReason::PortClosed;
    failure.chain = LinkChain::Measurement;
    failure.reg = 148;
    ASSERT_EQ(rig.sendFailures, std::vector<SendFailure>{failure});
    EXPECT_TRUE(rig.dialogs.messages.empty()) << "the main window words it";
    EXPECT_EQ(rig.link.SessionMode, SessionModeT::SingleTestPending);
    EXPECT_FALSE(rig.control.states().singleButton);
    EXPECT_TRUE(rig.control.ReReadTimer.isActive());
}

TEST_F(DispatcherTest, FaultyAnswersSendTheLastRequestAgainAtOnce)
{
    QByteArray corrupted = measurementAnswer(5.0f);
    corrupted[100] = char(corrupted[100] ^ 0x40);
    const struct {
        const char* name;
        QByteArray answer;
    } cases[] = {
        {"one corrupted byte", corrupted},
        {"four bytes with a valid checksum", FrameWithCrc("0103")},
        {"longer than the answer buffer", FrameWithCrc(QByteArray(2700, '\x03'))},
        {"a truncated measurement", measurementAnswer(5.0f).left(1200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.link.LastRequest = {148, 2};
        line.write(c.answer);
        EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
        settle();
        EXPECT_TRUE(line.takeSent().isEmpty()) << "sent once, not more";
        EXPECT_EQ(rig.measurementsStored, 0);
    }
}

TEST_F(DispatcherTest, RetryOfALogChunkSendsTheChunkNumberInTheHighByte)
{
    rig.link.LastRequest = {147, 3};
    line.write(QByteArray::fromHex("A5A5A5"));
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, 147, 768));
}

TEST_F(DispatcherTest, InputThatWasNotReadNowIsNotHandledAgain)
{
    rig.link.LastRequest = {148, 2};
    answerAndWaitStored(measurementAnswer(7.0f));
    // A receive event that finds nothing new (the port returns its previous
    // input) must not show the old measurement again: it asks again instead.
    rig.dispatcher.Comm1ReceiveData();
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest);
    EXPECT_EQ(rig.measurementsStored, 1);
}

TEST_F(DispatcherTest, ReadAnswerBelongsToTheLastFrameBuiltInTheRequestBuffer)
{
    rig.link.SyncStep = 9; // read-back done: fields fill, nothing more is asked
    rig.sender.SendReadRequest(1, 120, 2);
    rig.sender.SendWriteValue(1, 129, FloatBits(1.0f)); // value writes leave the buffer alone
    line.waitForSent(8 + 13);
    line.write(FloatAnswer(0.5f));
    waitHandled();
    EXPECT_EQ(rig.alarmValues, (std::vector<std::pair<int, float>>{{3, 0.5f}}));
    EXPECT_EQ(rig.link.AlarmSettings.AL2H, 0.5f);
    settle();
    EXPECT_TRUE(line.takeSent().isEmpty());
}

TEST_F(DispatcherTest, ReadBackChainAsksForEachNextRegisterOnce)
{
    rig.link.SyncStep = 0;
    rig.sender.SendReadRequest(1, 128, 2);
    line.waitForSent(8);
    line.write(FrameWithCrc("0103040300 0000"));
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, 118, 2));
    EXPECT_EQ(rig.link.OptionByte, 3);
    EXPECT_EQ(rig.optionsRead, (std::vector<std::pair<bool, bool>>{{true, true}}));

    const float values[8] = {300.0f, 0.12345f, 12.5f, 0.0f, 250.25f, 1.0f, 7.77777f, 2.0f};
    for (int i = 0; i < 8; ++i) {
        line.write(FloatAnswer(values[i]));
        EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, std::uint16_t(119 + i), 2));
        if (i == 0) {
            // The same register asked again (its answer repeats): filled
            // again, but the next request is not sent a second time.
            rig.sender.SendReadRequest(1, 118, 2);
            line.waitForSent(8);
            line.write(FloatAnswer(values[0]));
            waitHandled();
            EXPECT_TRUE(line.takeSent().isEmpty());
            rig.sender.SendReadRequest(1, 119, 2); // back on the chain's track
            line.waitForSent(8);
        }
    }
    line.write(FrameWithCrc("010304A5000000"));
    ASSERT_TRUE(WaitUntil([&] { return rig.readBacksComplete == 1; }));
    EXPECT_EQ(rig.alarmFlags, 0xA5);
    EXPECT_EQ(rig.link.SyncStep, 9);
    EXPECT_EQ(rig.readBacksComplete, 1);
    std::vector<std::pair<int, float>> expected{{1, values[0]}};
    for (int i = 0; i < 8; ++i)
        expected.emplace_back(i + 1, values[i]);
    EXPECT_EQ(rig.alarmValues, expected);
    settle();
    EXPECT_TRUE(line.takeSent().isEmpty());
}

// A spoiled answer anywhere in a chain asks again for exactly what the chain
// awaited there, and the chain still completes.
TEST_F(DispatcherTest, SpoiledAnswerInTheReadBackChainAsksForThatRegisterAgain)
{
    auto spoiled = [](QByteArray answer) {
        answer[3] = char(answer[3] ^ 0x10);
        return answer;
    };
    rig.dispatcher.StartReadBack(ReadBackStart::PortOpened);
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, 128, 2));

    std::vector<std::pair<int, QByteArray>> chain = {{128, FrameWithCrc("01030401000000")}};
    for (int reg = 118; reg <= 125; ++reg)
        chain.emplace_back(reg, FloatAnswer(float(reg)));
    chain.emplace_back(126, FrameWithCrc("0103040F000000"));
    for (std::size_t k = 0; k < chain.size(); ++k) {
        const auto& [reg, answer] = chain[k];
        SCOPED_TRACE(reg);
        line.write(spoiled(answer));
        EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, std::uint16_t(reg), 2));
        line.write(answer);
        if (k + 1 < chain.size()) {
            EXPECT_EQ(line.waitForSent(8),
                      ReadRequestFrame(1, std::uint16_t(chain[k + 1].first), 2));
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return rig.alarmFlags == 0x0F; }));
    EXPECT_EQ(rig.link.SyncStep, 9);
    EXPECT_EQ(rig.link.AlarmSettings.AL4L, 125.0f);
    EXPECT_EQ(rig.readBacksComplete, 1);
}

TEST_F(DispatcherTest, SpoiledAcknowledgementInTheWriteChainWritesThatRegisterAgain)
{
    AlarmSettingsT& a = rig.link.AlarmSettings;
    a = {300.0f, 100.0f, 5.5f, 0.5f, 1000.0f, 10.0f, 0.9f, 0.1f, 0x5A};
    rig.link.LastRequest = {118, 0, LastRequestT::Kind::WriteValue};
    rig.sender.SendWriteValue(1, 118, FloatBits(a.AL1H));
    line.waitForSent(13);

    const std::uint8_t flags[4] = {0x5A, 0, 0, 0};
    for (int reg = 118; reg <= 126; ++reg) {
        SCOPED_TRACE(reg);
        const QByteArray awaited =
            reg == 126 ? WriteBytesFrame(126, flags)
                       : WriteValueFrame(std::uint16_t(reg), a.threshold(reg - 117));
        QByteArray ack = FrameWithCrc(QByteArray::fromHex("0109") + char(reg));
        QByteArray spoiledAck = ack;
        spoiledAck[4] = char(spoiledAck[4] ^ 0x01);
        line.write(spoiledAck);
        EXPECT_EQ(line.waitForSent(13), awaited);
        line.write(ack);
        if (reg < 126) {
            EXPECT_EQ(line.waitForSent(13),
                      reg == 125 ? WriteBytesFrame(126, flags)
                                 : WriteValueFrame(std::uint16_t(reg + 1), a.threshold(reg - 116)));
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return !rig.writeAcks.empty() && rig.writeAcks.back() == 126; }));
}

TEST_F(DispatcherTest, UsbLinkReadsAStreamingAnswerOnceTheLineIsQuiet)
{
    rig.link.UsbLink = true;
    rig.link.LastRequest = {148, 2};
    const QByteArray answer = measurementAnswer(9.0f);
    line.write(answer.left(561));
    ASSERT_TRUE(WaitUntil([&] { return rig.dispatcher.awaitingAnswer(); }));
    // The rest streams in at about 27 kbit/s, far slower than USB.
    for (qsizetype sent = 561; sent < answer.size(); sent += 8) {
        line.write(answer.mid(sent, 8));
        RunEventLoopFor(3);
    }
    ASSERT_TRUE(WaitUntil([&] { return rig.measurementsStored == 1; }));
    EXPECT_EQ(rig.record.URMS, 9.0f);
    EXPECT_EQ(rig.progress, (std::vector<int>{0, 100}));
    settle();
    EXPECT_TRUE(line.takeSent().isEmpty()) << "no retry for an answer read whole";
}

TEST_F(DispatcherTest, ReceiveWithThePortClosedReadsNothingAndRetriesQuietly)
{
    rig.link.SyncStep = 0;
    rig.sender.SendReadRequest(1, 118, 2);
    line.waitForSent(8);
    line.write(FloatAnswer(1.0f));
    ASSERT_TRUE(WaitUntil([&] { return rig.comm.DataCount() > 0; }));
    rig.comm.setPortOpen(false);
    rig.dispatcher.Comm1ReceiveData(); // reads nothing: the port is closed
    ASSERT_TRUE(WaitUntil([&] { return !rig.dispatcher.awaitingAnswer(); }));
    EXPECT_TRUE(rig.dialogs.texts().isEmpty()); // no input: a retry, which cannot go out
    EXPECT_TRUE(rig.sendFailures.empty()) << "a retry that cannot go out is not announced";
}

TEST_F(DispatcherTest, WriteChainSendsEveryThresholdThenTheFlags)
{
    AlarmSettingsT& a = rig.link.AlarmSettings;
    a = {300.0f, 100.0f, 5.5f, 0.5f, 1000.0f, 10.0f, 0.9f, 0.1f, 0x5A};
    rig.sender.SendWriteValue(1, 118, FloatBits(a.AL1H));
    EXPECT_EQ(line.waitForSent(13), WriteValueFrame(118, 300.0f));

    for (int reg = 118; reg <= 124; ++reg) {
        line.write(WriteAck(std::uint8_t(reg)));
        EXPECT_EQ(line.waitForSent(13),
                  WriteValueFrame(std::uint16_t(reg + 1), a.threshold(reg - 116)));
        EXPECT_EQ(rig.writeAcks.back(), reg);
    }
    line.write(FrameWithCrc("01097D"));
    const std::uint8_t flags[4] = {0x5A, 0, 0, 0};
    EXPECT_EQ(line.waitForSent(13), WriteBytesFrame(126, flags));
    EXPECT_EQ(rig.writeAcks.back(), 125);
    line.write(FrameWithCrc("01097E"));
    ASSERT_TRUE(WaitUntil([&] { return rig.writeAcks.back() == 126; }));
    EXPECT_EQ(rig.writeAcks, (std::vector<int>{118, 119, 120, 121, 122, 123, 124, 125, 126}));
}

TEST_F(DispatcherTest, LogDownloadAssemblesSixChunks)
{
    // A chunk while no download runs has nowhere to go and is dropped.
    line.write(FrameWithCrc(QByteArray(1708, '\x11')));
    waitHandled();
    EXPECT_TRUE(line.takeSent().isEmpty());

    rig.link.LastRequest = {147, 0x12};
    rig.sender.SendReadRequest(1, 147, 0x12);
    line.waitForSent(8);
    line.write(FrameWithCrc("010A92"));
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, 147, 256));
    EXPECT_EQ(rig.link.LogChunkIndex, 1);
    EXPECT_EQ(rig.link.LastRequest.count, 1);

    QByteArray whole;
    for (int chunk = 1; chunk <= 6; ++chunk) {
        QByteArray data(1708, char(chunk));
        data[0] = char(0xF0 + chunk);
        whole += data;
        line.write(FrameWithCrc(data));
        if (chunk < 6) {
            EXPECT_EQ(line.waitForSent(8),
                      ReadRequestFrame(1, 147, std::uint16_t((chunk + 1) * 256)));
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return rig.logsCompleted == 1; }));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(rig.link.InstrumentLog.data()), 10248),
              whole);
    EXPECT_EQ(rig.link.LogChunkIndex, 0);
    using P = LogProgress;
    EXPECT_EQ(rig.logProgress, (std::vector<std::pair<LogProgress, int>>{{P::Triggered, 1},
                                                                         {P::ChunkRequested, 2},
                                                                         {P::ChunkRequested, 3},
                                                                         {P::ChunkRequested, 4},
                                                                         {P::ChunkRequested, 5},
                                                                         {P::ChunkRequested, 6},
                                                                         {P::Complete, 0}}));
}

TEST_F(DispatcherTest, WaitKeepsTheLoopRunningHoldsRequestsBackAndReadsAfterTheFullWait)
{
    rig.link.BaudIndex = 4; // 13 ms a step: 650 ms for a long answer
    rig.link.LastRequest = {148, 2};
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    const QByteArray answer = measurementAnswer(42.0f);
    line.write(answer.left(1000));
    ASSERT_TRUE(WaitUntil([&] { return rig.dispatcher.awaitingAnswer(); }));
    rig.control.SingleTest(); // the user asks while the answer is on its way
    RunEventLoopFor(200);
    EXPECT_TRUE(line.takeSent().isEmpty()) << "nothing is sent during the wait";
    line.write(answer.mid(1000)); // the rest comes late, but within the wait
    ASSERT_TRUE(WaitUntil([&] { return rig.measurementsStored == 1; }));
    EXPECT_EQ(rig.record.URMS, 42.0f);
    EXPECT_GT(ticks, 20) << "the event loop ran during the wait";
    EXPECT_EQ(rig.progress.back(), 50);
    EXPECT_EQ(line.waitForSent(8), kMeasurementRequest) << "the held-back command ran";
    EXPECT_EQ(rig.link.SessionMode, SessionModeT::SingleTestPending);
}

TEST_F(DispatcherTest, AnswerStillArrivingWhenTheWaitEndsIsReadWhole)
{
    rig.link.BaudIndex = 4; // 650 ms for a long answer
    rig.comm.setBaudRate(TBaudRate::br38400);
    rig.link.LastRequest = {148, 2};
    const QByteArray answer = measurementAnswer(12.0f);
    line.write(answer.left(500));
    ASSERT_TRUE(WaitUntil([&] { return rig.dispatcher.awaitingAnswer(); }));
    // The rest trickles in until well after the paced wait is over.
    QElapsedTimer clock;
    clock.start();
    qsizetype sent = 500;
    while (sent < answer.size()) {
        const qsizetype piece = std::min<qsizetype>(8, answer.size() - sent);
        line.write(answer.mid(sent, piece));
        sent += piece;
        RunEventLoopFor(3);
    }
    EXPECT_GT(clock.elapsed(), 700) << "the test must outlast the paced wait";
    ASSERT_TRUE(WaitUntil([&] { return rig.measurementsStored == 1; }));
    EXPECT_EQ(rig.record.URMS, 12.0f);
    settle();
    EXPECT_TRUE(line.takeSent().isEmpty()) << "no retry for an answer read whole";
}

TEST_F(DispatcherTest, UsbLinkReadsWithoutPacedWaitAndResetsTheWatchdog)
{
    rig.link.UsbLink = true;
    rig.link.BaudIndex = 0;
    rig.link.LastRequest = {148, 2};
    for (int tick = 0; tick < 7; ++tick)
        rig.link.UsbWatch.tick(false);
    answerAndWaitStored(measurementAnswer(3.0f));
    EXPECT_EQ(rig.progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(rig.link.UsbWatch.idleTicks(), 0);
    EXPECT_EQ(rig.link.UsbWatch.reopenTicks(), 0);
}

TEST_F(DispatcherTest, CloseRequestTellsOnlyTheUsbInstrument)
{
    rig.control.SendCloseRequest();
    settle();
    EXPECT_TRUE(line.takeSent().isEmpty());
    rig.link.UsbLink = true;
    rig.control.SendCloseRequest();
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, 186, 0));
}

} // namespace
