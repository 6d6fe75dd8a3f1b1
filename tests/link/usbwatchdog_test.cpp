#include "usbwatchdog.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Action = UsbWatchdog::Action;

// Ticks of a silent link, numbered from 1, and what each one asks for.
TEST(UsbWatchdog, SilentUsbLinkGetsKeepAlivesAndAReopen)
{
    UsbWatchdog watchdog;
    const std::map<int, Action> expected = {
        {11, Action::KeepAlive},
        {16, Action::Reopen},
        {27, Action::KeepAlive}, // eleven ticks after the reopen's keep-alive
        {32, Action::Reopen},
    };
    for (int tick = 1; tick <= 33; ++tick) {
        const auto it = expected.find(tick);
        const Action action = watchdog.tick(true);
        EXPECT_EQ(action, it == expected.end() ? Action::None : it->second) << "tick " << tick;
        if (action == Action::Reopen)
            watchdog.noteKeepAliveSent(); // the reopened link sends a keep-alive
    }
}

TEST(UsbWatchdog, ActivityStartsBothCountsAgainAndASerialLinkOnlyCounts)
{
    const struct {
        const char* name;
        bool usbLink;
        int ticks;
        bool activityBeforeLast;
        Action last;
        int idle, reopen;
    } cases[] = {
        {"usb, activity after 10 ticks", true, 11, true, Action::None, 1, 1},
        {"usb, 11 silent ticks", true, 11, false, Action::KeepAlive, 0, 11},
        {"serial, 40 ticks", false, 40, false, Action::None, 40, 40},
        {"serial, activity", false, 40, true, Action::None, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbWatchdog watchdog;
        Action last = Action::None;
        for (int tick = 1; tick <= c.ticks; ++tick) {
            if (tick == c.ticks && c.activityBeforeLast)
                watchdog.noteActivity();
            last = watchdog.tick(c.usbLink);
        }
        EXPECT_EQ(last, c.last);
        EXPECT_EQ(watchdog.idleTicks(), c.idle);
        EXPECT_EQ(watchdog.reopenTicks(), c.reopen);
    }
}

} // namespace
