#pragma once

#include "responsedispatcher.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>

struct LinkState;

// Starts the read-back and write-back chains of the alarm settings and
// follows them. The dispatcher drives each chain answer by answer; this class
// knows whether one is running and gives it up when two seconds pass without
// an answer that moves it on (a lost answer or acknowledgement would
// otherwise leave it waiting for good). Nothing is sent again on a stall:
// the user repeats the command.
class AlarmSync : public QObject {
    Q_OBJECT
public:
    enum class Chain { None, ReadBack, WriteBack };

    static constexpr int kStallMs = 2000;

    AlarmSync(LinkState& link, ResponseDispatcher& dispatcher, QObject* parent = nullptr);

    // Reads 128 and then 118-126 once each, through the dispatcher's
    // read-back; `start` tells it whether the first read is asked for again.
    void startReadBack(ReadBackStart start);
    // Stores the values and flags in AlarmSettings and writes 118; the
    // dispatcher writes the rest after each acknowledgement.
    void startWriteBack(const std::array<float, 8>& values, std::uint8_t flags);

    Chain running() const { return running_; }

    // The stall timer's handler.
    void stallTimeout();
    QTimer StallTimer;

signals:
    void runningChanged(bool running);
    void sendFailed(AlarmSync::Chain chain); // the port is closed: nothing went out
    void stalled(AlarmSync::Chain chain);    // no progress for two seconds

private:
    void begin(Chain chain);
    void end();
    void progressed(Chain chain);

    LinkState& link_;
    ResponseDispatcher& dispatcher_;
    Chain running_ = Chain::None;
};
