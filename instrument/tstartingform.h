#pragma once

#include "imageview.h"
#include "logarming.h"
#include "logview.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QToolButton;
class ResponseDispatcher;
class UserDialogs;
struct ChartColors;
struct LinkState;
enum class LogProgress;

// The logging window "啟動測量" (modeless): the range lists, "儲存" and
// "啟動", the four view buttons, the log chart and a status panel that the
// download fills. The range lists are enabled while the mouse is over their
// group (or by Alt+V and Alt+I) and disabled when it moves over the chart.
class TStartingForm : public QDialog {
    Q_OBJECT
public:
    using ColorSource = std::function<ChartColors()>;

    TStartingForm(LinkState& link, ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                  ColorSource colors, QSize screenSize, QWidget* parent = nullptr);

    // Draws the chart of InstrumentLog at the paint box's size on the
    // surface and shows it.
    void DrawLogChart();

    void StartClick(); // "啟動"
    void SaveClick();  // "儲存"
    void ScrollLeftClick();
    void ScrollRightClick();
    void CoarserClick();
    void FinerClick();

    const LogView& view() const { return view_; }
    const QImage& surface() const { return surface_; }
    QString statusText() const;
    int drawCount() const { return drawCount_; }

    QGroupBox* VoltageGroup = nullptr; // "電壓量程"
    QGroupBox* CurrentGroup = nullptr; // "電流量程"
    QComboBox* VoltageRange = nullptr;
    QComboBox* CurrentRange = nullptr;
    QPushButton* SaveButton = nullptr;  // "儲存"
    QPushButton* StartButton = nullptr; // "啟動"
    QToolButton* ScrollLeftButton = nullptr;
    QToolButton* ScrollRightButton = nullptr;
    QToolButton* CoarserButton = nullptr;
    QToolButton* FinerButton = nullptr;
    ImageView* StartingPic = nullptr; // the log chart
    QStatusBar* StatusBar1 = nullptr;

signals:
    void chartDrawn();
    void statusShown(const QString& text); // the status panel's new text

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopPanel(QWidget* panel);
    void setStatus(const QString& text);
    void showArmOutcome(ArmOutcome outcome);
    void showLogProgress(LogProgress stage, int chunk);
    void applyView();
    void coverPaintBox();
    void enableRangeLists(bool voltage, bool current);
    void disableStart();
    void enableStart();

    LinkState& link_;
    UserDialogs& dialogs_;
    ColorSource colors_;
    QSize screenSize_;
    LogArming arming_;
    LogView view_;
    QImage surface_;
    QLabel* statusPanel_ = nullptr;
    int drawCount_ = 0;
    // "啟動" had the keyboard focus when it was disabled, and where the
    // focus went then.
    bool startHadFocus_ = false;
    QPointer<QWidget> focusLeftFor_;
};
