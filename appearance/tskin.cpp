#include "tskin.h"

#include "appearancesettings.h"
#include "chartcolors.h"
#include "sharedstate.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Tskin::Tskin(SharedState& state, IniFile sysSet, StyleSheetSetter applyStyleSheet,
             QString programFolder, std::function<void()> redrawLiveView, QWidget* parent)
    : QDialog(parent), state_(state), sysSet_(std::move(sysSet)),
      applyStyleSheet_(std::move(applyStyleSheet)), programFolder_(std::move(programFolder)),
      redrawLiveView_(std::move(redrawLiveView))
{
    setWindowTitle(QStringLiteral("顯示樣式"));
    setFixedSize(275, 362);

    skinGroup_ = new QButtonGroup(this);
    backgroundGroup_ = new QButtonGroup(this);
    gridGroup_ = new QButtonGroup(this);

    QStringList skins{QStringLiteral("WINDOWS系統默認")};
    for (int n = 1; n < kSkinChoices; ++n)
        skins << QStringLiteral("風格%1").arg(n);
    QStringList backgrounds;
    QStringList grids;
    for (int i = 0; i < kChartColorChoices; ++i) {
        backgrounds << ChartBackColorText(i);
        grids << ChartGridColorText(i);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildGroup(QStringLiteral("選擇風格"), skins, skinGroup_));
    auto* colours = new QHBoxLayout;
    colours->addWidget(buildGroup(QStringLiteral("圖形背景顏色"), backgrounds, backgroundGroup_));
    colours->addWidget(buildGroup(QStringLiteral("刻度顏色"), grids, gridGroup_));
    layout->addLayout(colours);
    closeButton_ = new QPushButton(QStringLiteral("結束"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);

    // "風格1" is the design selection: a saved skin 1 is then no change, so it
    // is not applied a second time after the main window applied it.
    skinGroup_->button(1)->setChecked(true);

    // Reacting to every change of selection, not only to clicks, makes the
    // restore below run the same handling as a user's choice.
    auto onSelected = [this](QButtonGroup* group, void (Tskin::*handler)(int)) {
        connect(group, &QButtonGroup::idToggled, this, [this, handler](int id, bool checked) {
            if (checked)
                (this->*handler)(id);
        });
    };
    onSelected(skinGroup_, &Tskin::skinChosen);
    onSelected(backgroundGroup_, &Tskin::backgroundChosen);
    onSelected(gridGroup_, &Tskin::gridChosen);

    restoreSavedChoices();
}

QGroupBox* Tskin::buildGroup(const QString& caption, const QStringList& items, QButtonGroup* group)
{
    auto* box = new QGroupBox(caption, this);
    auto* column = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], box);
        group->addButton(button, i);
        column->addWidget(button);
    }
    column->addStretch();
    return box;
}

void Tskin::restoreSavedChoices()
{
    // A saved value out of range selects nothing: the skin stays as the main
    // window applied it and the chart colour stays black.
    if (const std::optional<int> skin = SavedSkin(sysSet_))
        skinGroup_->button(*skin)->setChecked(true);
    if (const std::optional<int> background = SavedChartBackground(sysSet_))
        backgroundGroup_->button(*background)->setChecked(true);
    if (const std::optional<int> grid = SavedChartGrid(sysSet_))
        gridGroup_->button(*grid)->setChecked(true);
}

void Tskin::skinChosen(int skin)
{
    if (const std::optional<QString> styleSheet = SkinStyleSheet(programFolder_, skin))
        applyStyleSheet_(*styleSheet);
    SaveSkin(sysSet_, skin);
}

void Tskin::backgroundChosen(int index)
{
    state_.ChartBackColor = ChartBackColorOf(index);
    SaveChartBackground(sysSet_, index);
    if (redrawLiveView_)
        redrawLiveView_();
}

void Tskin::gridChosen(int index)
{
    state_.ChartGridColor = ChartGridColorOf(index);
    SaveChartGrid(sysSet_, index);
    if (redrawLiveView_)
        redrawLiveView_();
}
