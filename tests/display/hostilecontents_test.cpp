// Snapshots of any content open (the format has no checksum), so whatever
// they hold is drawn: nothing of the three live charts may leave the chart
// box, whatever the bytes.
#include "chartbox.h"
#include "harmonicchart.h"
#include "measurementrecord.h"
#include "recordingcanvas.h"
#include "wavechart.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

MeasurementRecord RandomRecord(quint32 seed)
{
    MeasurementRecord record;
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32*>(&record), sizeof record / sizeof(quint32));
    SanitiseMeasurementValues(record); // as the snapshot reader does
    return record;
}

struct Hostile {
    const char* name;
    MeasurementRecord record;
};

std::vector<Hostile> HostileRecords()
{
    std::vector<Hostile> all;
    for (quint32 seed : {1u, 2u, 3u, 20261210u})
        all.push_back({"random 8052 bytes", RandomRecord(seed)});

    MeasurementRecord extreme;
    ResetMeasurementRecord(extreme);
    extreme.UWave.fill(65535); // codes far outside the converter's 0-4095
    extreme.UWave[7] = 0;
    extreme.IWave.fill(4096);
    extreme.UWaveZero = 65535;
    extreme.IWaveZero = 0;
    extreme.WaveLength = -1;
    extreme.UHarmonic.fill(-std::numeric_limits<float>::max());
    extreme.UHarmonic[1] = 1.0f;
    extreme.IHarmonic.fill(std::numeric_limits<float>::infinity());
    extreme.UF = 1e-30f; // a scale line far longer than the box
    extreme.UPP = 3.4e38f;
    extreme.URMS = 1.0f;
    all.push_back({"extreme values", extreme});
    return all;
}

TEST(HostileContents, LiveChartsStayInTheirBox)
{
    const QSize boxes[] = {{528, 280}, {200, 120}, {1400, 960}};
    for (const Hostile& h : HostileRecords()) {
        for (const QSize box : boxes) {
            const ChartGeometry g = MeasureChartBox(box.width(), box.height());
            const CanvasRect area{0, 0, box.width(), box.height()};
            RecordingCanvas wave;
            DrawWaveChart(wave, h.record, g, area, ChartColors{});
            EXPECT_TRUE(wave.CallsOutside(area).empty()) << h.name << " wave " << box.width();
            for (const auto* amplitudes : {&h.record.UHarmonic, &h.record.IHarmonic}) {
                RecordingCanvas bars;
                DrawHarmonicChart(bars, *amplitudes, kCurrentBarColor, g, area, ChartColors{});
                EXPECT_TRUE(bars.CallsOutside(area).empty()) << h.name << " bars " << box.width();
            }
        }
    }
}

TEST(HostileContents, TracesOfOutOfRangeCodesStayBetweenTheGridsOuterRows)
{
    const ChartGeometry g = MeasureChartBox(528, 280);
    std::array<std::uint16_t, 512> codes;
    for (std::size_t k = 0; k < codes.size(); ++k)
        codes[k] = k % 2 ? 65535 : 0;
    for (std::uint16_t zero : {std::uint16_t(0), std::uint16_t(2047), std::uint16_t(65535)}) {
        for (const QPoint& p : ComputeTracePoints(codes, zero, VoltageTraceReach(g), g, true)) {
            EXPECT_GE(p.y(), 2) << "zero " << zero;
            EXPECT_LE(p.y(), g.F + 2) << "zero " << zero;
            EXPECT_LT(p.x(), g.E + 3);
        }
    }
}

} // namespace
