// Every drawing the program makes from a file or the line, fed with
// untrusted contents and recorded on the recording canvas: no undefined
// behaviour, and nothing painted outside the surface or page it is drawn
// for. Each drawing is one entry of kDrawings; the first input byte picks
// the entry, the rest is the content (repeated to fill the record).
#include "analysisreport.h"
#include "chartbox.h"
#include "fuzzinput.h"
#include "harmonicchart.h"
#include "logchart.h"
#include "measurementrecord.h"
#include "pageframe.h"
#include "recordchart.h"
#include "recordingcanvas.h"
#include "recordreport.h"
#include "recordstate.h"
#include "reportinfo.h"
#include "reportpages.h"
#include "wavechart.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// `bytes` repeated over `size` bytes at `to`.
void Tile(const QByteArray& bytes, void* to, std::size_t size)
{
    auto* out = static_cast<char*>(to);
    if (bytes.isEmpty()) {
        std::memset(out, 0, size);
        return;
    }
    for (std::size_t i = 0; i < size; ++i)
        out[i] = bytes[qsizetype(i % std::size_t(bytes.size()))];
}

// A measurement record as a snapshot file or the line may bring it: any
// bytes, with the values sanitised as every reader does.
MeasurementRecord HostileRecord(FuzzInput& in)
{
    MeasurementRecord record;
    Tile(in.rest(), &record, sizeof record);
    SanitiseMeasurementValues(record);
    return record;
}

// Names the first call that paints outside `box`, then fails.
void CheckInside(const RecordingCanvas& canvas, const CanvasRect& box, const char* drawing)
{
    const auto outside = canvas.CallsOutside(box);
    if (outside.empty())
        return;
    const CanvasCall& call = outside.front();
    const CanvasRect area = *canvas.PaintedArea(call);
    std::fprintf(stderr, "%s: call %d paints (%d, %d)-(%d, %d) outside (%d, %d)-(%d, %d) \"%s\"\n",
                 drawing, int(call.op), area.left, area.top, area.right, area.bottom, box.left,
                 box.top, box.right, box.bottom, qPrintable(call.text));
    std::abort();
}

// The three live charts for a paint box of w x h, from 200 x 120 up: in a
// lower box the order labels no longer fit under the axis (the paint box
// copies only the box, so nothing shows outside it even then).
void LiveView(FuzzInput& in)
{
    const int w = 200 + in.word() % 1200;
    const int h = 120 + in.word() % 900;
    const MeasurementRecord record = HostileRecord(in);
    const ChartGeometry g = MeasureChartBox(w, h);
    const CanvasRect box{0, 0, w, h};
    const ChartColors colors;
    {
        RecordingCanvas canvas;
        DrawWaveChart(canvas, record, g, box, colors);
        CheckInside(canvas, box, "wave chart");
    }
    for (const auto* amplitudes : {&record.UHarmonic, &record.IHarmonic}) {
        RecordingCanvas canvas;
        DrawHarmonicChart(canvas, *amplitudes, kVoltageBarColor, g, box, colors);
        CheckInside(canvas, box, "harmonic chart");
        // The bars stand between the 100 % line and the axis, clear of the
        // order labels under it.
        const HarmonicChartLayout layout = ComputeHarmonicChart(*amplitudes, g);
        for (int k = 0; k <= 50; ++k) {
            const CanvasRect bar = HarmonicBar(layout, k);
            Check(bar.top >= layout.baseline - layout.reach && bar.bottom <= layout.baseline);
        }
    }
}

// A record state browsing a record file of any contents: view, scales,
// range and visibility from the input, the rest tiled over the buffers.
RecordState& HostileRecordState(FuzzInput& in)
{
    static auto record = std::make_unique<RecordState>();
    record->ViewMode = 1;
    record->FileReady = true;
    record->BrowseLast = in.word() % 3000 - 1;
    record->BrowseZoom = 1 + in.byte() % 151;
    record->BrowseOffset = in.word() % 3000;
    record->RangeMode = in.byte() % 3;
    for (int c = 0; c < kRecordChannels; ++c) {
        record->ScaleIndex[c] = in.byte() % int(ScaleTable.size());
        record->ScaleValue[c] = ScaleTable[std::size_t(record->ScaleIndex[c])];
        record->ChannelVisible[c] = in.byte() & 1;
    }
    const QByteArray content = in.rest();
    for (int c = 0; c < kRecordChannels; ++c)
        Tile(content, record->BrowseBuffers.channel(c), 3000 * sizeof(float));
    Tile(content, record->BrowseBuffers.timestamps(), 3000 * sizeof(double));
    return *record;
}

// The trend chart of a record file, as the browsing view shows it.
void RecordChart(FuzzInput& in)
{
    const int w = 100 + in.word() % 1800;
    const int h = 40 + in.word() % 1000;
    RecordState& record = HostileRecordState(in);
    RecordingCanvas chart;
    RecordingCanvas ruler;
    const RecordChartFacts facts = DrawRecordChart(record, chart, ruler, w, h, ChartColors{});
    Check(facts.points >= 0 && facts.points <= w);
    CheckInside(ruler, {0, 0, kRecordRulerWidth, h}, "record chart ruler");
    // Traces of values beyond the band run past the top and bottom edges,
    // where the chart's own surface ends them and the overflow marks show
    // them; across, they stay within the chart, as does everything else.
    for (const CanvasCall& call : chart.CallsOutside({0, 0, w, h})) {
        const auto area = chart.PaintedArea(call);
        if (call.op == CanvasOp::Polyline && area->left >= 0 && area->right <= w)
            continue;
        std::fprintf(stderr,
                     "record chart: call %d paints (%d, %d)-(%d, %d) outside %d x %d \"%s\"\n",
                     int(call.op), area->left, area->top, area->right, area->bottom, w, h,
                     qPrintable(call.text));
        std::abort();
    }
}

// The analysis report page, on the preview and printed in both orientations.
void AnalysisReportPage(FuzzInput& in)
{
    const int form = in.byte() % 3;
    const MeasurementRecord record = HostileRecord(in);
    ReportInfo info;
    if (form == 0) {
        const int H = PreviewPageHeight(kPreviewPageWidth, false);
        RecordingCanvas canvas(96);
        SetFontSize(canvas, 20);
        DrawPreviewPage(canvas, AnalysisReport(record, info), kPreviewPageWidth, H, info);
        CheckInside(canvas, {0, 0, kPreviewPageWidth, H}, "analysis preview");
        return;
    }
    const bool landscape = form == 2;
    const PageFrame frame =
        landscape ? PageFrame::ForPage(14031, 9921) : PageFrame::ForPage(9921, 14031);
    RecordingCanvas canvas(1200);
    DrawPrintedPage(canvas, AnalysisReport(record, info), frame, landscape, info);
    CheckInside(canvas, {0, 0, frame.PW, frame.PH}, "analysis printout");
}

// The instrument's log of any contents (also short) at any view and box
// size. The window draws on a surface of at least 2400 x 1600 and copies
// the box from it; in a narrow or low box the grid's margins and the peak
// labels reach past the box onto that surface, as designed, so the check is
// that nothing leaves the surface. Below 33 pixels of height the grid rows
// stand above the top margin (the painter clips them), so boxes start there.
void LogChart(FuzzInput& in)
{
    LogChartInput input;
    input.scroll = in.word() % 2600;
    input.zoom = in.byte() % 6;
    input.width = 1 + in.word() % 2400;
    input.height = 33 + in.word() % 1568;
    input.fillSize = QSize(2400, 1600);
    const QByteArray log = in.rest();
    input.log =
        std::span(reinterpret_cast<const std::uint8_t*>(log.constData()), std::size_t(log.size()));
    RecordingCanvas canvas;
    DrawLogChart(canvas, input);
    CheckInside(canvas, {0, 0, 2400, 1600}, "log chart");
}

// The record report of a record file of any contents: the preview body and
// the landscape printed page.
void RecordReportPage(FuzzInput& in)
{
    const bool printed = in.byte() & 1;
    RecordReportSource source;
    source.record = &HostileRecordState(in);
    if (!printed) {
        source.chartSize = QSize(690, 300);
        source.chartPicture = QImage(740, 300, QImage::Format_RGB32);
        source.chartPicture.fill(Qt::white);
        RecordingCanvas canvas(96);
        DrawRecordPreviewBody(canvas, source, kPreviewPageWidth, 500);
        CheckInside(canvas, {0, 0, kPreviewPageWidth, 500}, "record report preview");
        return;
    }
    const PageFrame frame = PageFrame::ForPage(14031, 9921);
    RecordingCanvas canvas(1200);
    DrawRecordPrintBody(canvas, source, frame);
    CheckInside(canvas, {0, 0, frame.PW, frame.PH}, "record report printout");
}

// The drawings, by the first input byte.
using Drawing = void (*)(FuzzInput&);
constexpr std::array<Drawing, 5> kDrawings{LiveView, RecordChart, AnalysisReportPage, LogChart,
                                           RecordReportPage};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    kDrawings[in.byte() % kDrawings.size()](in);
    return 0;
}
