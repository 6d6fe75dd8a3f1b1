// Which thresholds of the instrument a live measurement passes, and from
// which settings: those the instrument was last known to hold.
#include "alarmwatch.h"
#include "eventwait.h"
#include "instrumentrig.h"
#include "simulatedinstrument.h"

#include <gtest/gtest.h>

namespace {

TEST(AlarmWatchTest, EnabledThresholdsPassedByTheirQuantities)
{
    MeasurementRecord record;
    ResetMeasurementRecord(record);
    record.URMS = 230.0f;
    record.IRMS = 5.0f;
    record.WRMS = 1000.0f;
    record.PF = 0.9f;
    record.UPP = 1e6f; // watched by no threshold

    const struct Case {
        const char* name;
        std::array<float, 8> limits; // AL1H, AL1L, ..., AL4L
        std::uint8_t flags;
        std::vector<int> passed;
    } cases[] = {
        {"within every limit", {300, 0, 20, 0, 6000, 0, 1, 0}, 0xFF, {}},
        {"limits passed but switched off", {100, 500, 1, 10, 1, 2000, 0.5f, 0.95f}, 0x00, {}},
        {"voltage above its upper limit", {220, 0, 20, 0, 6000, 0, 1, 0}, 0x01, {1}},
        {"a value equal to its limit is within it",
         {230, 230, 5, 5, 1000, 1000, 0.9f, 0.9f},
         0xFF,
         {}},
        {"voltage below its lower limit", {300, 240, 20, 0, 6000, 0, 1, 0}, 0x03, {2}},
        {"only the enabled one of a passed pair", {300, 0, 1, 10, 6000, 0, 1, 0}, 0x08, {4}},
        {"power and power factor", {300, 0, 20, 0, 500, 2000, 0.5f, 0.95f}, 0xF0, {5, 6, 7, 8}},
        {"every pair at once", {100, 0, 1, 0, 10, 0, 0.5f, 0}, 0x55, {1, 3, 5, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AlarmSettingsT settings;
        for (int i = 1; i <= 8; ++i)
            settings.threshold(i) = c.limits[std::size_t(i - 1)];
        settings.AlarmFlags = c.flags;
        std::vector<int> passed;
        for (const ThresholdBreach& breach : BreachedThresholds(record, settings)) {
            passed.push_back(breach.threshold);
            EXPECT_EQ(breach.limit, settings.threshold(breach.threshold));
            EXPECT_EQ(breach.upper(), breach.threshold % 2 == 1);
        }
        EXPECT_EQ(passed, c.passed);
    }
    EXPECT_EQ(PanelOfThreshold(1), PanelId::Panel_URMS);
    EXPECT_EQ(PanelOfThreshold(4), PanelId::Panel_IRMS);
    EXPECT_EQ(PanelOfThreshold(5), PanelId::Panel_WRMS);
    EXPECT_EQ(PanelOfThreshold(8), PanelId::Panel_PF);
}

// The simulated instrument measures about 230 V; its upper voltage limit is
// 100 V, switched on.
class AlarmWatchLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        simulator.setThreshold(1, 100.0f);
        simulator.setAlarmFlags(0x01);
        std::string error;
        ASSERT_TRUE(simulator.start(&error)) << error;
        r = std::make_unique<InstrumentRig>(QString::fromStdString(simulator.devicePath()));
        watch = std::make_unique<AlarmWatch>(r->rig.link, r->rig.record, r->rig.dispatcher);
        QObject::connect(watch.get(), &AlarmWatch::breachesChanged,
                         [this](const std::vector<ThresholdBreach>& b) { announced.push_back(b); });
    }

    void measure()
    {
        const int before = r->rig.measurementsStored;
        r->rig.control.SingleTest();
        ASSERT_TRUE(WaitUntil([&] { return r->rig.measurementsStored > before; }));
    }

    SimulatedInstrument simulator;
    std::unique_ptr<InstrumentRig> r;
    std::unique_ptr<AlarmWatch> watch;
    std::vector<std::vector<ThresholdBreach>> announced;
};

TEST_F(AlarmWatchLinkTest, NothingIsComparedUntilTheThresholdsWereRead)
{
    // Settings that never came from the instrument are not its settings.
    r->rig.link.AlarmSettings.AL1H = 100.0f;
    r->rig.link.AlarmSettings.AlarmFlags = 0x01;
    measure();
    EXPECT_GT(r->rig.record.URMS, 100.0f);
    EXPECT_FALSE(watch->thresholdsKnown());
    EXPECT_TRUE(watch->breaches().empty());
    EXPECT_TRUE(announced.empty());
}

TEST_F(AlarmWatchLinkTest, TheReadBackAndAnAcknowledgedWriteBackSetTheThresholds)
{
    measure();
    r->alarm.ReadClick();
    ASSERT_TRUE(WaitUntil([&] { return r->rig.readBacksComplete == 1; }));
    // The measurement shown is compared at once with what was read.
    const std::vector<ThresholdBreach> voltageHigh{{1, 100.0f}};
    EXPECT_EQ(watch->breaches(), voltageHigh);
    measure();
    ASSERT_EQ(announced.size(), 1u) << "a lasting breach is announced once";

    // The user raises the limit; until the instrument has taken all of it,
    // the old limit holds.
    r->setAlarmFields({"300", "0", "20", "0", "6000", "0", "1", "0"}, 0x01);
    r->alarm.SaveClick();
    EXPECT_EQ(watch->breaches(), voltageHigh);
    ASSERT_TRUE(WaitUntil([&] { return r->alarm.Label7->text() == "完成傳送"; }));
    EXPECT_TRUE(watch->breaches().empty());

    // A snapshot shown instead is not compared.
    r->setAlarmFields({"100", "0", "20", "0", "6000", "0", "1", "0"}, 0x01);
    r->alarm.SaveClick();
    ASSERT_TRUE(WaitUntil([&] { return watch->breaches() == voltageHigh; }));
    watch->liveMeasurementLeft();
    EXPECT_TRUE(watch->breaches().empty());
    ASSERT_EQ(announced.size(), 4u);
    EXPECT_TRUE(announced.back().empty());
}

} // namespace
