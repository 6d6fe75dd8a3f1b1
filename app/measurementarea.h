#pragma once

#include "chartbox.h"
#include "displaylayout.h"
#include "measurementview.h"
#include "valuepanels.h"

#include <QWidget>

#include <array>
#include <vector>

class QGroupBox;
class QLabel;
struct MeasurementRecord;

// The live view inside the main window's client panel: four framed areas
// (waveform, values, voltage and current harmonics) laid out by
// LayoutDisplay. The three chart boxes only copy their off-screen surfaces.
class MeasurementArea : public QObject {
    Q_OBJECT
public:
    MeasurementArea(QWidget* panel1, QSize screenSize);

    // LayoutDisplay for the client panel's current size.
    void LayoutDisplay();
    // Panels and charts from `record` in the given chart colours.
    void DrawMeasurementView(MeasurementRecord& record, const ChartColors& colors);

    const DisplaySurfaces& surfaces() const { return surfaces_; }
    const DisplayLayout& layout() const { return layout_; }
    QString panelText(PanelId id) const;
    // The panels whose values pass an alarm threshold show it in the alarm
    // colours; every other panel in its usual ones.
    void markAlarmPanels(const std::vector<PanelId>& panels);
    bool panelInAlarm(PanelId id) const { return inAlarm_[std::size_t(id)]; }
    QWidget* Pic1() const { return pics_[0]; }

private:
    QWidget* panel1_;
    DisplaySurfaces surfaces_;
    DisplayLayout layout_;
    std::array<QGroupBox*, 4> groups_{};
    std::array<QWidget*, 3> chartPanels_{};
    std::array<QWidget*, 3> pics_{};
    std::array<QLabel*, kPanelCount> labels_{};
    std::array<QLabel*, kPanelCount> panels_{};
    std::array<bool, kPanelCount> inAlarm_{};
};
