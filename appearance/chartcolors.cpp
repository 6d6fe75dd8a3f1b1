#include "chartcolors.h"

#include <array>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;

// Black, white and a light grey behind the charts; teal, yellow and a mid
// grey for the grids, so each background has a grid that stands out on it.
constexpr std::array<std::uint32_t, kChartColorChoices> kBackColors = {0xFF000000, 0xFFFFFFFF,
                                                                       0xFFEEEEEE};
constexpr std::array<std::uint32_t, kChartColorChoices> kGridColors = {0xFF008080, 0xFFEFEF00,
                                                                       0xFFAAAAAA};

constexpr std::array<const char*, kChartColorChoices> kBackTexts = {"黑色", "白色", "灰色"};
constexpr std::array<const char*, kChartColorChoices> kGridTexts = {"藍綠", "黃", "淺黑"};

bool inRange(int index)
{
    return index >= 0 && index < kChartColorChoices;
}

} // namespace

std::uint32_t ChartBackColorOf(int index)
{
    return inRange(index) ? kBackColors[std::size_t(index)] : kBlack;
}

std::uint32_t ChartGridColorOf(int index)
{
    return inRange(index) ? kGridColors[std::size_t(index)] : kBlack;
}

QString ChartBackColorText(int index)
{
    return inRange(index) ? QString::fromUtf8(kBackTexts[std::size_t(index)]) : QString();
}

QString ChartGridColorText(int index)
{
    return inRange(index) ? QString::fromUtf8(kGridTexts[std::size_t(index)]) : QString();
}
