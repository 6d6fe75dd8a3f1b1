#include "alarmsync.h"

#include "linkstate.h"
#include "registermap.h"

AlarmSync::AlarmSync(LinkState& link, ResponseDispatcher& dispatcher, QObject* parent)
    : QObject(parent), link_(link), dispatcher_(dispatcher)
{
    StallTimer.setSingleShot(true);
    StallTimer.setInterval(kStallMs);
    connect(&StallTimer, &QTimer::timeout, this, &AlarmSync::stallTimeout);

    connect(&dispatcher_, &ResponseDispatcher::optionsRead, this,
            [this] { progressed(Chain::ReadBack); });
    connect(&dispatcher_, &ResponseDispatcher::alarmValueRead, this,
            [this] { progressed(Chain::ReadBack); });
    connect(&dispatcher_, &ResponseDispatcher::readBackComplete, this, [this] {
        if (running_ == Chain::ReadBack)
            end();
    });
    connect(&dispatcher_, &ResponseDispatcher::alarmWriteAcknowledged, this, [this](int reg) {
        if (running_ != Chain::WriteBack)
            return;
        if (reg == Register::AlarmFlags)
            end();
        else
            progressed(Chain::WriteBack);
    });
    // A spoiled answer was asked for again: the chain is still alive.
    connect(&dispatcher_, &ResponseDispatcher::requestRepeated, this,
            [this] { progressed(running_); });
}

void AlarmSync::begin(Chain chain)
{
    running_ = chain;
    StallTimer.start();
    emit runningChanged(true);
}

void AlarmSync::end()
{
    running_ = Chain::None;
    StallTimer.stop();
    emit runningChanged(false);
}

void AlarmSync::progressed(Chain chain)
{
    if (chain != Chain::None && running_ == chain)
        StallTimer.start();
}

void AlarmSync::stallTimeout()
{
    if (running_ == Chain::None)
        return;
    const Chain chain = running_;
    end();
    emit stalled(chain);
}

void AlarmSync::startReadBack(ReadBackStart start)
{
    begin(Chain::ReadBack);
    // Sent once any answer being received has been handled, so that request
    // and answer keep alternating.
    dispatcher_.whenIdle(nullptr, [this, start] {
        if (!dispatcher_.StartReadBack(start)) {
            end();
            emit sendFailed(Chain::ReadBack);
        }
    });
}

void AlarmSync::startWriteBack(const std::array<float, 8>& values, std::uint8_t flags)
{
    AlarmSettingsT& settings = link_.AlarmSettings;
    for (int i = 1; i <= 8; ++i)
        settings.threshold(i) = values[std::size_t(i - 1)];
    settings.AlarmFlags = flags;
    begin(Chain::WriteBack);
    dispatcher_.whenIdle(nullptr, [this] {
        if (!dispatcher_.StartWriteBack()) {
            end();
            emit sendFailed(Chain::WriteBack);
        }
    });
}
