#include "recordparameterpanels.h"

#include "fittedlabel.h"
#include "glyphs.h"
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordsettings.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace {

// The channel's tag shows its chart colour (kRecordChannelColors) behind
// this text colour.
const std::array<QColor, 6> kTagText{
    Qt::white, Qt::white, Qt::white, Qt::white, QColor(128, 128, 128), Qt::white};

// Scale up, scale down and show/hide of each channel, by designer number.
constexpr std::array<std::array<int, 3>, 6> kChannelButtons{
    {{3, 2, 1}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}}};

// Positions of the channel panels in the group.
constexpr std::array<QPoint, 6> kChannelPanels{
    {{196, 16}, {196, 53}, {196, 90}, {493, 16}, {493, 53}, {493, 90}}};

} // namespace

RecordParameterPanels::RecordParameterPanels(QWidget* parent)
    : QGroupBox(QStringLiteral(" 參數 "), parent)
{
    setFixedHeight(126);

    auto* readout = new QFrame(this);
    readout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    readout->setGeometry(5, 16, 188, 104);
    auto label = [this](int number, QWidget* parent, const QString& text, QPoint at) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(QStringLiteral("Label%1").arg(number));
        l->move(at);
        labels[number - 1] = l;
        return l;
    };
    label(21, readout, QStringLiteral("記錄點時間：   "), {7, 8});
    // Outside a layout a label keeps the size of its first text: the date
    // and time read-outs get the frame's width so they show whole.
    for (QLabel* l : {label(19, readout, QStringLiteral("日期：   "), {7, 48}),
                      label(20, readout, QStringLiteral("時間：   "), {7, 72})})
        l->resize(readout->width() - 7 - 4, l->sizeHint().height());

    for (int c = 0; c < 6; ++c) {
        auto* panel = new QFrame(this);
        panel->setGeometry(QRect(kChannelPanels[c], QSize(293, 30)));
        panel->setAutoFillBackground(true);
        QPalette grey = panel->palette();
        grey.setColor(QPalette::Window, QColor(192, 192, 192));
        panel->setPalette(grey);

        QLabel* tag = label(c + 1, panel, QStringLiteral("CH%1 ").arg(c + 1), {4, 8});
        QFont small = tag->font();
        small.setPixelSize(10);
        tag->setFont(small);
        tag->setFixedWidth(26);
        tag->setAutoFillBackground(true);
        QPalette tagColours = tag->palette();
        tagColours.setColor(QPalette::Window, kRecordChannelColors[c]);
        tagColours.setColor(QPalette::WindowText, kTagText[c]);
        tag->setPalette(tagColours);
        label(c + 7, panel, QString(), {32, 8})->setFixedWidth(62);
        label(c + 13, panel, QStringLiteral("Value："), {95, 8})->setFixedWidth(110);

        const std::array<Glyph, 3> glyphs{Glyph::ScaleUp, Glyph::ScaleDown, Glyph::ShowHide};
        for (int b = 0; b < 3; ++b) {
            const int number = kChannelButtons[c][b];
            auto* button = new QToolButton(panel);
            button->setObjectName(QStringLiteral("SeSkinButton%1").arg(number));
            button->setIcon(GlyphIcon(glyphs[b], GlyphLook::RecordToolBar));
            button->setGeometry(208 + 28 * b, 1, 28, 28);
            channelButtons[number - 1] = button;
        }
    }
}

QToolButton* RecordParameterPanels::scaleUpButton(int channel) const
{
    return channelButtons[kChannelButtons[channel][0] - 1];
}

QToolButton* RecordParameterPanels::scaleDownButton(int channel) const
{
    return channelButtons[kChannelButtons[channel][1] - 1];
}

QToolButton* RecordParameterPanels::showHideButton(int channel) const
{
    return channelButtons[kChannelButtons[channel][2] - 1];
}

void RecordParameterPanels::setCaptions(const std::array<std::int32_t, 6>& codes)
{
    for (int c = 0; c < 6; ++c)
        labels[6 + c]->setText(QuantityCaption(codes[c]));
}

QString RecordParameterPanels::channelCaption(int channel) const
{
    return labels[6 + channel]->text();
}

void RecordParameterPanels::showChannel(int channel, bool visible)
{
    labels[channel]->setEnabled(visible);
    labels[6 + channel]->setEnabled(visible);
    labels[12 + channel]->setEnabled(visible);
}

void RecordParameterPanels::showReadout(const RecordView& view, int index)
{
    const double time = view.timestamps[index];
    // The date loses its year before it would be cut; both labels give the
    // whole date and time in their tooltip.
    const QString whole = RecordDateTimeText(time);
    const QString date = QStringLiteral("日期：");
    ShowFittedText(*labels[18], {date + RecordDateText(time), date + RecordDayText(time)}, whole);
    ShowFittedText(*labels[19], {QStringLiteral("時間：") + RecordTimeText(time)}, whole);
    for (int c = 0; c < 6; ++c)
        labels[12 + c]->setText(ReadoutValueText(view.channels[c][index]));
}
