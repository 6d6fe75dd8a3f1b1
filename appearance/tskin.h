#pragma once

#include "inifile.h"
#include "skinsetting.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QGroupBox;
class QPushButton;
struct SharedState;

// The appearance window "顯示樣式": the skin and the two chart colours. A
// choice takes effect at once and is written to "SysSet.ini"; there is no
// cancel. Creating the window restores the saved choices through the same
// handling, which sets the chart colours, writes the values back and redraws
// the live view. Shown modally with exec().
class Tskin : public QDialog {
    Q_OBJECT
public:
    Tskin(SharedState& state, IniFile sysSet, StyleSheetSetter applyStyleSheet,
          QString programFolder, std::function<void()> redrawLiveView, QWidget* parent = nullptr);

    // The radio groups; a button's id is its item index (skin number or
    // colour index).
    QButtonGroup* skinGroup() const { return skinGroup_; }
    QButtonGroup* backgroundGroup() const { return backgroundGroup_; }
    QButtonGroup* gridGroup() const { return gridGroup_; }
    QPushButton* closeButton() const { return closeButton_; }

private:
    QGroupBox* buildGroup(const QString& caption, const QStringList& items, QButtonGroup* group);
    void restoreSavedChoices();
    void skinChosen(int skin);
    void backgroundChosen(int index);
    void gridChosen(int index);

    SharedState& state_;
    IniFile sysSet_;
    StyleSheetSetter applyStyleSheet_;
    QString programFolder_;
    std::function<void()> redrawLiveView_;

    QButtonGroup* skinGroup_ = nullptr;
    QButtonGroup* backgroundGroup_ = nullptr;
    QButtonGroup* gridGroup_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};
