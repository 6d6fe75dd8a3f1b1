#pragma once

#include <QGroupBox>

#include <array>
#include <cstdint>

class QLabel;
class QToolButton;
struct RecordView;

// The record window's group " 參數 ": the read-out of the sample under the
// cursor (time, date) and six channel panels, each with its tag, its
// quantity's caption, its value and the buttons scale up, scale down and
// show/hide. Labels and buttons keep their designer numbers.
class RecordParameterPanels : public QGroupBox {
public:
    explicit RecordParameterPanels(QWidget* parent = nullptr);

    QToolButton* scaleUpButton(int channel) const;
    QToolButton* scaleDownButton(int channel) const;
    QToolButton* showHideButton(int channel) const;

    void setCaptions(const std::array<std::int32_t, 6>& codes);
    QString channelCaption(int channel) const; // channel 0-5
    // A hidden channel's tag, caption and value are greyed.
    void showChannel(int channel, bool visible);
    // The sample at `index` of the view: its date, time and six values.
    void showReadout(const RecordView& view, int index);

    std::array<QLabel*, 21> labels{};              // Label1 .. Label21 at index 0 .. 20
    std::array<QToolButton*, 18> channelButtons{}; // SeSkinButton1 .. SeSkinButton18
};
