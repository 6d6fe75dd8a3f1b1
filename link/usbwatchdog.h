#pragma once

#include <cstdint>

// The USB link's watchdog, counted in ticks of the communication window's
// 100 ms timer. Input from the instrument and each new measurement run count
// as signs of life. A USB link that stays silent gets a keep-alive read after
// 11 ticks, and after 16 ticks the port is closed, tested and reopened.
// The counters also run on a serial link, where nothing is done with them.
class UsbWatchdog {
public:
    enum class Action { None, KeepAlive, Reopen, KeepAliveAndReopen };

    static constexpr int kKeepAliveAfterTicks = 10;
    static constexpr int kReopenAfterTicks = 15;

    // Input arrived or a run started: both counts start again.
    void noteActivity()
    {
        idleTicks_ = 0;
        reopenTicks_ = 0;
    }
    // A keep-alive read went out after a reopen.
    void noteKeepAliveSent() { idleTicks_ = 0; }

    // One tick of the timer; what the link must do now.
    Action tick(bool usbLink)
    {
        ++idleTicks_;
        ++reopenTicks_;
        if (!usbLink)
            return Action::None;
        const bool keepAlive = idleTicks_ > kKeepAliveAfterTicks;
        const bool reopen = reopenTicks_ > kReopenAfterTicks;
        if (keepAlive)
            idleTicks_ = 0;
        if (reopen)
            reopenTicks_ = 0;
        if (keepAlive && reopen)
            return Action::KeepAliveAndReopen;
        return keepAlive ? Action::KeepAlive : reopen ? Action::Reopen : Action::None;
    }

    std::int32_t idleTicks() const { return idleTicks_; }     // UsbIdleTicks
    std::int32_t reopenTicks() const { return reopenTicks_; } // UsbReopenTicks

private:
    std::int32_t idleTicks_ = 0;
    std::int32_t reopenTicks_ = 0;
};
