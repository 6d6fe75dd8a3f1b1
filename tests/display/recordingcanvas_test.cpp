// What the recording canvas counts as painted, which the hostile-content
// checks rely on: a line's end point and a clipped text's tail are not.
#include "recordingcanvas.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordingCanvasArea, CountsOnlyThePixelsACallPaints)
{
    RecordingCanvas canvas(96); // 8-point text: cells 11 high, 6 wide per character
    canvas.MoveTo({0, 5});
    canvas.LineTo({10, 5});  // columns 0-9
    canvas.LineTo({10, 5});  // nothing
    canvas.LineTo({20, 15}); // diagonal up to (19, 14)
    const QPoint trace[] = {{0, 0}, {4, 8}, {4, 20}};
    canvas.Polyline(trace);         // the last point excluded
    canvas.FillRect({8, 8, 2, 2});  // corners in any order
    canvas.Rectangle({3, 3, 3, 9}); // empty
    canvas.TextOut({10, 20}, QStringLiteral("abc"));
    canvas.TextOutClipped({10, 40}, QStringLiteral("abcdef"), 22);
    canvas.TextOutClipped({10, 60}, QStringLiteral("abc"), 5);
    canvas.TextOut({1, 1}, QString());

    const std::vector<std::optional<CanvasRect>> expected{
        std::nullopt,
        CanvasRect{0, 5, 10, 6},
        std::nullopt,
        CanvasRect{10, 5, 20, 15},
        CanvasRect{0, 0, 5, 20},
        CanvasRect{2, 2, 8, 8},
        std::nullopt,
        CanvasRect{10, 20, 28, 31},
        CanvasRect{10, 40, 22, 51},
        std::nullopt,
        std::nullopt,
    };
    ASSERT_EQ(canvas.calls().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(canvas.PaintedArea(canvas.calls()[i]), expected[i]) << "call " << i;

    const auto outside = canvas.CallsOutside({0, 0, 28, 51});
    ASSERT_EQ(outside.size(), 0u);
    const auto narrower = canvas.CallsOutside({0, 0, 27, 51});
    ASSERT_EQ(narrower.size(), 1u);
    EXPECT_EQ(narrower[0].text, QStringLiteral("abc"));
}

} // namespace
