#pragma once

#include <QString>

#include <cstdint>

// The three choices of chart background ("WaveBackground") and of chart grid
// colour ("ScaleColor"), as 0xAARRGGBB like SharedState's chart colours.
inline constexpr int kChartColorChoices = 3;

// Index 0-2; any other index gives black, the colour before any choice.
std::uint32_t ChartBackColorOf(int index);
std::uint32_t ChartGridColorOf(int index);

// The item texts of the two radio groups, in index order.
QString ChartBackColorText(int index);
QString ChartGridColorText(int index);
