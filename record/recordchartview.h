#pragma once

#include "imageview.h"

#include <QGroupBox>
#include <QImage>

#include <array>

class QLabel;
class QScrollBar;
class QSlider;
class QToolButton;
struct ChartColors;
struct RecordChartFacts;
struct RecordState;

// The record window's group " 記錄波形 ": the pen images beside the chart,
// the chart and its ruler (each showing its part of an off-screen surface),
// the scroll bar below, and laid over the chart the zoom track bar, the
// display range button and the cursor's arrow. The window hands it the
// commands; it draws and places.
class RecordChartView : public QGroupBox {
public:
    // The pen images are read from the folder "PenData" in `programFolder`.
    explicit RecordChartView(const QString& programFolder, QWidget* parent = nullptr);

    // Draws the chart and its ruler at the chart's size, moves the pen
    // images to their channels' lines and shows the result.
    RecordChartFacts draw(RecordState& record, const ChartColors& colors);
    // The chart's size W x H: Pic4's size, at least 1 x 1.
    QSize chartSize() const;
    // The picture of chart and ruler as last drawn, (W + 50) x H.
    QImage chartImage() const;
    // The range button sits at the lower left of the ruler, the zoom track
    // bar over the top of the chart.
    void placeOverlays();
    void pointAt(int x); // the arrow over column x of the chart
    void toggleTrackBar();
    void showPen(int channel, bool visible);
    bool penImageLoaded(int channel) const;

    ImageView* Pic4 = nullptr; // the chart
    ImageView* Pic5 = nullptr; // its ruler
    QScrollBar* SeSkinScrollBar1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QToolButton* SeSkinButton19 = nullptr; // display range
    QWidget* iLedArrow1 = nullptr;
    std::array<QLabel*, 6> penImages{}; // Image1 .. Image6

private:
    void loadPenImages(const QString& programFolder);

    QImage chartSurface_;
    QImage rulerSurface_;
};
