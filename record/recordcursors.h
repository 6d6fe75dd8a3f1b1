#pragma once

#include <array>
#include <optional>
#include <utility>

class RecordBrowser;

// The two cursors of the record chart, A and B, each on a sample of the view
// (an index into its buffers, so that zoom and paging leave them on their
// samples). Between them lies the span the statistics cover.
enum class CursorId { A = 0, B = 1 };

struct RecordCursors {
    std::array<std::optional<int>, 2> samples{}; // A, B
    CursorId active = CursorId::A;

    std::optional<int>& at(CursorId id) { return samples[std::size_t(id)]; }
    const std::optional<int>& at(CursorId id) const { return samples[std::size_t(id)]; }
    // The first and last sample between A and B (in either order), both
    // included; none unless both are placed.
    std::optional<std::pair<int, int>> span() const;
    // Forgets the cursors on samples past `last` (the view holds fewer).
    void dropBeyond(int last);
};

// Where the active cursor goes by the keyboard. `columns` and `samples` are
// steps to the right as drawn (+1: one column or one sample older).
// A cursor that is out of view starts again from column 0; a step past the
// drawn points stays where it is. None without any sample to point at.
std::optional<int> CursorMovedByColumns(const RecordBrowser& browser, std::optional<int> sample,
                                        int columns);
std::optional<int> CursorMovedBySamples(std::optional<int> sample, int samples, int last);
// The sample a cursor placed by the keyboard starts on: the middle column
// of the chart, or the newest drawn sample when the points end before it.
std::optional<int> CursorStartSample(const RecordBrowser& browser);
