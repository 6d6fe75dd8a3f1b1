// A record file of any content, opened for browsing as the record window
// opens one, then browsed with a sequence of the browsing commands: the
// reader takes only what the file holds, the chart drawn from it reads only
// inside its buffers, and the view settings stay in their ranges whatever the
// count field, the codes and the values claim.
//
// Input: the number of whole blocks (0-3) and whether a partial block
// follows, the chart width, the browsing commands (count, then two bytes
// each), the 16 tail bytes of every block (codes, count), then the values
// and timestamps, repeated to fill the blocks.
#include "fuzzfiles.h"
#include "fuzzinput.h"
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordfile.h"
#include "recordingcanvas.h"
#include "recordstate.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

QByteArray RecordFileBytes(FuzzInput& in, int blocks, bool partial)
{
    const QByteArray tail = in.bytes(16).leftJustified(16, '\0');
    QByteArray body = in.rest();
    if (body.isEmpty())
        body = QByteArray(1, '\0');
    const qsizetype size = qsizetype(blocks * kRecordBlockSize + (partial ? 1000 : 0));
    QByteArray file(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        file[i] = body[i % body.size()];
    for (int b = 0; b < blocks; ++b)
        std::memcpy(file.data() + b * kRecordBlockSize + offsetof(RecordBlock, Codes),
                    tail.constData(), 16);
    return file;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ResetView(RecordState& r)
{
    r.CaptureCount = 0;
    r.FileReady = false;
    r.ViewMode = 0;
    r.RecZoom = r.BrowseZoom = 1;
    r.RecOffset = r.BrowseOffset = 0;
    r.GridShift = 0;
    r.RangeMode = 0;
    r.ChannelVisible.fill(true);
    r.ScaleIndex.fill(3);
    r.ScaleValue.fill(1.0f);
}

void CheckView(const RecordState& r, const RecordBrowser& browser)
{
    Check(r.BrowseZoom >= 1 && r.BrowseZoom <= 151 && r.RecZoom >= 1 && r.RecZoom <= 151);
    Check(r.BrowseOffset >= 0 && r.RecOffset >= 0);
    Check(r.RangeMode >= 0 && r.RangeMode <= 2);
    for (int c = 0; c < kRecordChannels; ++c)
        Check(r.ScaleIndex[c] >= 0 && r.ScaleIndex[c] < int(ScaleTable.size()));
    const BrowseControls& controls = browser.controls();
    Check(controls.scrollPosition >= 0 && controls.scrollPosition <= 450);
    Check(controls.trackPosition >= 0 && controls.trackPosition <= 150);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t shape = in.byte();
    const int blocks = shape % 4;
    const bool partial = shape & 4;
    const int width = 1 + in.word() % 4000;
    const int commandCount = in.byte() % 33;
    const QByteArray commands = in.bytes(std::size_t(commandCount) * 2);

    const QString path = FuzzFolder() + QStringLiteral("/fuzz.zqr");
    WriteFuzzFile(path, RecordFileBytes(in, blocks, partial));

    // One set of buffers for every input (they are 29 MB); the view settings
    // start afresh each time.
    static auto record = std::make_unique<RecordState>();
    ResetView(*record);
    OpenedRecordFile opened;
    const RecordFileResult result = OpenRecordFile(path, record->BrowseBuffers, opened);
    Check(result.ok() == (blocks > 0));
    if (!result.ok())
        return 0;
    Check(opened.blocks == blocks);
    Check(opened.last >= -1 && opened.last < blocks * kBlockSamples);

    // As the record window takes an opened file.
    record->BrowseLast = opened.last;
    record->BrowseChannelCodes = opened.codes;
    record->ViewMode = 1;
    record->FileReady = true;
    RecordBrowser browser(*record, {[] {}, [] {}, [](int) {}});
    browser.setChartWidth(width);
    browser.FileOpened();
    CheckView(*record, browser);
    // Drawn as the window draws it: every sample the chart reads lies in the
    // buffers (ASan reports any that does not), and it draws no more points
    // than the file holds.
    RecordingCanvas chart, ruler;
    const RecordChartFacts facts =
        DrawRecordChart(*record, chart, ruler, width, 300, ChartColors{});
    Check(facts.points >= 0 && facts.points <= opened.last + 1);

    for (qsizetype i = 0; i + 1 < commands.size(); i += 2) {
        const int argument = std::uint8_t(commands[i + 1]);
        const int channel = argument % kRecordChannels;
        switch (std::uint8_t(commands[i]) % 14) {
        case 0:
            browser.SwitchView();
            break;
        case 1:
            browser.ZoomIn();
            break;
        case 2:
            browser.ZoomOut();
            break;
        case 3:
            browser.PageOlder();
            break;
        case 4:
            browser.PageNewer();
            break;
        case 5:
            browser.ScaleUp(channel);
            break;
        case 6:
            browser.ScaleDown(channel);
            break;
        case 7:
            browser.ToggleChannel(channel);
            break;
        case 8:
            browser.CycleRange();
            break;
        case 9:
            browser.SetScrollPosition(argument * 2 - 20);
            break;
        case 10:
            browser.SetTrackPosition(argument - 50);
            break;
        case 11:
            browser.ScrollMoved(argument * 2);
            break;
        case 12:
            browser.TrackMoved(argument);
            break;
        case 13: {
            const int x = argument * width / 255;
            if (const auto index = browser.ReadoutIndex(x)) {
                const int last =
                    record->ViewMode == 0 ? record->CaptureCount - 1 : record->BrowseLast;
                Check(*index >= 0 && *index <= last);
                const SampleBuffers& shown =
                    record->ViewMode == 0 ? record->CaptureBuffers : record->BrowseBuffers;
                Check(!ReadoutValueText(shown.channel(channel)[*index]).isEmpty());
            }
            break;
        }
        }
        CheckView(*record, browser);
    }
    return 0;
}
