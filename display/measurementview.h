#pragma once

#include "chartbox.h"
#include "valuepanels.h"

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;
struct MeasurementRecord;

// The three off-screen chart surfaces of the live view and the rectangle
// their paint boxes copy. Created once at start-up, each half the screen in
// both directions (enough for a chart box at any window size), black until
// the first drawing, never resized.
struct DisplaySurfaces {
    explicit DisplaySurfaces(QSize screenSize);

    QImage WaveSurface;      // shown by Pic1
    QImage UHarmonicSurface; // shown by Pic2
    QImage IHarmonicSurface; // shown by Pic3
    // The whole screen until the first drawing, then the chart box.
    QRect DisplayRect;
};

// Redraws the live view from `record`: returns the fifteen panel captions
// (setting a NaN reactive power to 0 in the record) and draws the waveform,
// voltage harmonic and current harmonic charts for a paint box of
// `chartBox` (the size of Pic1) into the surfaces; DisplayRect becomes
// (0, 0, chartBox). The paint boxes then only need repainting.
PanelTexts DrawMeasurementView(MeasurementRecord& record, DisplaySurfaces& surfaces, QSize chartBox,
                               const ChartColors& colors);

// What a paint box's paint handler does: copies `displayRect` of `surface`
// to the same place on the box, as far as the surface reaches.
void CopySurface(QPainter& painter, const QImage& surface, const QRect& displayRect);
