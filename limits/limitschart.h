#pragma once

#include "canvas.h"
#include "harmoniclimits.h"

#include <QColor>

// The bar chart of the limits view and page: each order's measured current
// as a percentage of its limit, the 100 % line, and the highest percentage
// held as a mark over each bar.

struct LimitsChartColors {
    QColor background = Qt::white;
    QColor grid{192, 192, 192};
    QColor text = Qt::black;
    QColor kept{0, 150, 70};
    QColor exceeded{210, 30, 30};
    QColor limitLine{210, 30, 30};
    QColor hold{30, 60, 200};
};

// The top of the percentage scale: 150 %, or more to show the highest
// percentage (in steps of 50 %), at most 1000 %; a bar beyond the top
// stands at full height.
double LimitsChartTop(double highestPercent);
// The distance between the scale's grid lines for a scale up to `top`.
double LimitsChartStep(double top);

// Draws the chart into `area` with the captions in the current font's face
// and size. Orders without a percentage have no bar.
void DrawLimitsChart(Canvas& canvas, const CanvasRect& area, const LimitsAssessment& assessment,
                     const MaxHold* hold, const LimitsChartColors& colors);
