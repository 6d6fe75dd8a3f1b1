#include "measurementarea.h"

#include "imageview.h"
#include "measurementrecord.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

namespace {

// Design texts shown until the first measurement is drawn.
const char* const kDesignText[kPanelCount] = {
    "0.0098V", "0.0008A", "0.000V", "0.000A", "0.000Hz", "0.000", "0.0000W", "0.000",
    "0.000",   "0.000",   "0.0 %",  "0.0 %",  "0.000",   "0.000", "0.000",
};

// A value panel in its usual colours (teal on white) or in the alarm
// colours (white on red).
void paintPanel(QLabel* panel, bool alarm)
{
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, alarm ? QColor(208, 0, 0) : QColor(Qt::white));
    palette.setColor(QPalette::WindowText, alarm ? QColor(Qt::white) : QColor(0, 128, 128));
    panel->setPalette(palette);
}

} // namespace

MeasurementArea::MeasurementArea(QWidget* panel1, QSize screenSize)
    : QObject(panel1), panel1_(panel1), surfaces_(screenSize)
{
    const char* captions[4] = {"採樣波形", "測量數據", " 電壓諧波 ( UTHD) 分佈圖 ",
                               " 電流 ( ITHD) 分佈圖 "};
    const QColor captionColor = panel1->palette().color(QPalette::Inactive, QPalette::WindowText);
    for (int i = 0; i < 4; ++i) {
        groups_[i] = new QGroupBox(QString::fromUtf8(captions[i]), panel1);
        groups_[i]->setObjectName(QStringLiteral("GroupBox%1").arg(i + 1));
        QPalette palette = groups_[i]->palette();
        palette.setColor(QPalette::WindowText, captionColor);
        groups_[i]->setPalette(palette);
    }
    const QImage* surfaces[3] = {&surfaces_.WaveSurface, &surfaces_.UHarmonicSurface,
                                 &surfaces_.IHarmonicSurface};
    QGroupBox* chartGroups[3] = {groups_[0], groups_[2], groups_[3]};
    for (int i = 0; i < 3; ++i) {
        auto* frame = new QFrame(chartGroups[i]);
        frame->setObjectName(QStringLiteral("Panel%1").arg(i + 2));
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(2);
        chartPanels_[i] = frame;
        pics_[i] = new ImageView(*surfaces[i], frame, &surfaces_.DisplayRect);
        pics_[i]->setObjectName(QStringLiteral("Pic%1").arg(i + 1));
    }

    QFont labelFont(QStringLiteral("Sans Serif"));
    labelFont.setPixelSize(11);
    labelFont.setBold(true);
    QFont valueFont(QStringLiteral("Tahoma"));
    valueFont.setPixelSize(17);
    for (std::size_t i = 0; i < kPanelCount; ++i) {
        const ValuePanelPlace place = PlaceOfPanel(PanelId(i));
        labels_[i] = new QLabel(place.label, groups_[1]);
        labels_[i]->setFont(labelFont);
        labels_[i]->setStyleSheet(QStringLiteral("color: navy;"));
        panels_[i] = new QLabel(QString::fromLatin1(kDesignText[i]), groups_[1]);
        panels_[i]->setObjectName(place.name);
        panels_[i]->setFont(valueFont);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setLineWidth(2);
        panels_[i]->setAlignment(Qt::AlignCenter);
        panels_[i]->setAutoFillBackground(true);
        paintPanel(panels_[i], false);
    }
}

void MeasurementArea::markAlarmPanels(const std::vector<PanelId>& panels)
{
    std::array<bool, kPanelCount> marked{};
    for (PanelId id : panels)
        marked[std::size_t(id)] = true;
    for (std::size_t i = 0; i < kPanelCount; ++i)
        if (marked[i] != inAlarm_[i])
            paintPanel(panels_[i], marked[i]);
    inAlarm_ = marked;
}

void MeasurementArea::LayoutDisplay()
{
    layout_ = ::LayoutDisplay(panel1_->width(), panel1_->height());
    const QRect groups[4] = {layout_.GroupBox1, layout_.GroupBox2, layout_.GroupBox3,
                             layout_.GroupBox4};
    for (int i = 0; i < 4; ++i)
        groups_[i]->setGeometry(groups[i]);
    const QRect panels[3] = {layout_.Panel2, layout_.Panel3, layout_.Panel4};
    const QRect pics[3] = {layout_.Pic1, layout_.Pic2, layout_.Pic3};
    for (int i = 0; i < 3; ++i) {
        chartPanels_[i]->setGeometry(panels[i]);
        pics_[i]->setGeometry(pics[i]);
    }
    for (std::size_t i = 0; i < kPanelCount; ++i) {
        const ValuePanelPlace place = PlaceOfPanel(PanelId(i));
        labels_[i]->move(layout_.labelX[place.column], layout_.labelTop[place.row]);
        labels_[i]->adjustSize();
        panels_[i]->setGeometry(layout_.panelX[place.column], layout_.panelTop[place.row],
                                layout_.panelWidth, kValuePanelHeight);
    }
}

void MeasurementArea::DrawMeasurementView(MeasurementRecord& record, const ChartColors& colors)
{
    const PanelTexts texts = ::DrawMeasurementView(record, surfaces_, pics_[0]->size(), colors);
    for (std::size_t i = 0; i < kPanelCount; ++i) {
        QLabel* panel = panels_[i];
        panel->setText(texts.text[i]);
        // A value too long for its panel (a damaged file can hold 3.4e38 Hz)
        // is clipped by the panel; shown from its start, so that the sign
        // and the leading digits stay in view, and whole in the tooltip.
        const bool fits =
            panel->fontMetrics().horizontalAdvance(texts.text[i]) <= panel->contentsRect().width();
        panel->setAlignment(fits ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        panel->setToolTip(fits ? QString() : texts.text[i]);
    }
    for (QWidget* pic : pics_)
        pic->update();
}

QString MeasurementArea::panelText(PanelId id) const
{
    return panels_[std::size_t(id)]->text();
}
