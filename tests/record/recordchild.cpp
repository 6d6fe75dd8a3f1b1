// A recording that runs as fast as the event loop lets it, for the test that
// kills it: record_child <file>. Every channel records the voltage, and the
// voltage of sample i is i. After each completed save it prints the count
// the file now holds, one line each.
#include "answerdialogs.h"
#include "recordcontrol.h"
#include "recordstate.h"
#include "sharedstate.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    SharedState shared;
    InitLinkAndMeasurement(shared);
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    auto record = std::make_unique<RecordState>();
    AnswerDialogs dialogs(true, QString::fromLocal8Bit(argv[1]), true);
    RecordControl control(*record, shared, dialogs);
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 0});
    control.CreateFile();
    if (!record->FileReady)
        return 3;
    control.Start();
    control.Timer1.setInterval(0);
    control.TimerSave.setInterval(3);
    // Connected after the recording's own handlers, so these run after them.
    // Each tick finds a new measurement: the one this handler stores.
    QObject::connect(&control.Timer1, &QTimer::timeout, [&] {
        shared.MeasurementRecord.URMS = float(record->CaptureCount);
        shared.link.Arrivals.noteArrival();
    });
    std::int32_t reported = -1;
    QObject::connect(&control.TimerSave, &QTimer::timeout, [&] {
        if (record->SavedCount != reported) {
            reported = record->SavedCount;
            std::printf("%d\n", reported);
            std::fflush(stdout);
        }
    });
    std::printf("started\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
