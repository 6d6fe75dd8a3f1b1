#pragma once

#include "recordblock.h"
#include "savefile.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

inline constexpr int kRecordChannels = 6;
inline constexpr std::int32_t kMaxSamples = 450000;

// Six channels of 450000 float samples and their 450000 timestamps, allocated
// once, zero-filled and never resized. The memory comes from calloc, so pages
// that no sample reached yet cost nothing.
class SampleBuffers {
public:
    SampleBuffers();

    float* channel(int k) { return values_.get() + std::size_t(k) * kMaxSamples; }
    const float* channel(int k) const { return values_.get() + std::size_t(k) * kMaxSamples; }
    double* timestamps() { return times_.get(); }
    const double* timestamps() const { return times_.get(); }

    void swap(SampleBuffers& other) noexcept
    {
        values_.swap(other.values_);
        times_.swap(other.times_);
    }

private:
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<float[], Free> values_;
    std::unique_ptr<double[], Free> times_;
};

// The record window's state: capture and browse buffers, counters, the
// channel codes, the timer periods, the file in use and the view settings the
// chart and the record report read. The program owns one for its whole life;
// tests build fresh ones.
struct RecordState {
    SampleBuffers CaptureBuffers;
    SampleBuffers BrowseBuffers;
    std::int32_t CaptureCount = 0; // samples taken since the record file was created
    std::int32_t BrowseLast = 0;   // last valid index of BrowseBuffers (-1: none)

    // Quantity codes 0-12 of the six channels; any other value samples 0.0.
    std::array<std::int32_t, kRecordChannels> ChannelCodes{2, 2, 2, 2, 2, 2};
    std::array<std::int32_t, kRecordChannels> BrowseChannelCodes{};
    QString BrowseFileName; // the record file shown in the browsing view, empty before any
    std::array<float, 13> SampleVector{};

    std::int32_t SampleStepMs = 3000;
    std::int32_t SaveIntervalMs = 20000;
    int SampleStepIndex = 2;   // the entry of the sampling-step table in use
    int SaveIntervalIndex = 2; // the entry of the save-interval table in use

    bool FileReady = false;
    QString RecordFileName;
    // The file RecordFileName named when it was created: the saves write
    // into that file only, never into whatever has taken its name since.
    FileIdentity RecordFileIdentity;

    // The block the create command and the save timer assemble. Its code
    // bytes are the quantities of the file's samples: ChannelCodes as they
    // were when the recording into the file started (before that, when the
    // file was created); sampling takes the quantities from them.
    RecordBlock SaveBlock{};
    // The count the file's last block carried after the last completed save.
    std::int32_t SavedCount = 0;
    bool SaveFailureReported = false; // the failing saves of this spell were announced

    // View settings of the chart and the browsing commands.
    int ViewMode = 0; // 0 recording view, 1 browsing view
    int RecZoom = 1;
    int RecOffset = 0;
    int BrowseZoom = 1;
    int BrowseOffset = 0;
    // Pixels per sample once zoomed in past one sample a column (the zoom is
    // then 1): 1 until then, per view like the zoom.
    int RecStretch = 1;
    int BrowseStretch = 1;
    int GridShift = 0;
    int RangeMode = 0; // 0 positive, 1 positive and negative, 2 negative
    std::array<bool, kRecordChannels> ChannelVisible{true, true, true, true, true, true};
    std::array<int, kRecordChannels> ScaleIndex{3, 3, 3, 3, 3, 3};
    std::array<float, kRecordChannels> ScaleValue{1, 1, 1, 1, 1, 1};
};

// Multipliers of the channel scale buttons, smallest first.
inline constexpr std::array<float, 17> ScaleTable{
    0.05f, 0.1f, 0.25f, 0.5f, 1, 2.5f, 5, 10, 25, 50, 100, 250, 500, 1000, 2500, 5000, 10000};

// The local wall-clock time as an OLE Automation date: whole days since
// 1899-12-30 to the local date, plus the milliseconds of the local day as a
// fraction of 86 400 000. Taken from the local date and time, never from UTC,
// so a file shows the times the user's clock showed.
double OleDateFromLocal(const QDateTime& local);
QDateTime LocalFromOleDate(double date);

// The local date and time of day an OLE date stands for, read back from its
// fields without a time-zone conversion: OLE day `day` (0 is 1899-12-30) and
// `msOfDay` (0 .. 86 399 999). None for a value that is no date between the
// years 100 and 9999 (NaN, infinities, anything a damaged file holds).
struct OleWallClock {
    qint64 day = 0;
    qint64 msOfDay = 0;
    QDate date() const;
};
std::optional<OleWallClock> WallClockFromOleDate(double date);
