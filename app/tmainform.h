#pragma once

#include "alarmwatch.h"
#include "helplinks.h"
#include "linkstatus.h"
#include "measurementcontrol.h"
#include "responsedispatcher.h"

#include <QMainWindow>
#include <QTimer>

#include <array>

class BrokerPanel;
class QAction;
class QDateTime;
class QLabel;
class QProgressBar;
class QToolButton;

// The main window: menu, tool bar, the measurement display and the status bar.
// It shows what the link and the measurement commands report and hands every
// command on; the commands of windows of their own are announced as signals
// that the program connects to those windows.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(MeasurementControl& control, QWidget* parent = nullptr);

    // The central client panel that holds the measurement display.
    QWidget* Panel1() const { return panel1_; }

    void setStatusText(int panel, const QString& text);
    // A measurement was taken in at `when`: panels 0 and 4 say so.
    void showMeasured(const QDateTime& when);
    // A snapshot was opened: its name in panel 0, and in panel 4 the time it
    // stands for instead of the last live measurement's.
    void showSnapshotOpened(const QString& path, const QDateTime& taken);
    // A snapshot was saved: the file's name in the status bar for a while.
    void showSnapshotSaved(const QString& path);
    static constexpr int kSavedMessageMs = 10000;
    // What "儀器手冊 " says when the manual at `path` did not open.
    static QString ManualMessage(ManualOutcome outcome, const QString& path);
    // What the main window says about a request of the link that did not go
    // out; empty where the window or command that started the chain says it.
    static QString SendFailureMessage(const SendFailure& failure);
    void showRunRequest(RunRequest request);
    // Panel 1: "测试状态：" and the run's state.
    void showRunState(RunState state);
    static QString RunStateText(RunState state);
    // The thresholds the measurement shown passes, named in the status bar
    // beside the measurement's time; none hides that panel.
    void showThresholdBreaches(const std::vector<ThresholdBreach>& breaches);
    static QString BreachText(const std::vector<ThresholdBreach>& breaches);
    QString alarmStatusText() const; // empty while hidden
    QString statusText(int panel) const;
    // The MQTT broker's panel, after the measurement's time.
    BrokerPanel& brokerPanel() const { return *brokerPanel_; }
    // Panel 0: where the link stands.
    void showLinkStatus(LinkStatus status);
    static QString LinkStatusText(LinkStatus status);
    // The link's device vanished and is being waited for; it came back.
    void showLinkLost();
    void showLinkRestored();
    void showProgress(int position);
    void applyCommandStates(const CommandStates& states);
    void setOptionCaptions(const QString& n31, const QString& n32, const QString& iec2,
                           const QString& csa1);

    // Menu items by their designer names.
    QAction* C1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N12 = nullptr;
    QAction* N13 = nullptr;
    QAction* N14 = nullptr;
    QAction* N31 = nullptr;
    QAction* N32 = nullptr;
    QAction* IEC2 = nullptr;
    QAction* CSA1 = nullptr;
    QAction* calibrateItem = nullptr; // "校准 ", hidden

    QToolButton* SeSkinSpeedButton7 = nullptr; // single test
    QToolButton* SeSkinSpeedButton8 = nullptr; // continuous sampling
    QToolButton* SeSkinSpeedButton9 = nullptr; // stop
    QProgressBar* ProgressBar1 = nullptr;

    // Hands a record file named on the command line to the record window a
    // second after start-up (one-shot).
    QTimer MOpenTimer;

signals:
    void openFileRequested();
    void saveFileRequested();
    void printRequested();
    void commOptionsRequested();
    void appearanceRequested();
    void alarmRequested();
    void calibrateRequested();
    void narrowBandRequested();
    void wideBandRequested();
    void iecMethodRequested();
    void csaMethodRequested();
    void externalCtRequested();
    void startTestRequested();
    void harmonicListRequested();
    void harmonicLimitsRequested();
    void recordRequested();
    void versionRequested();
    void webPageRequested();
    void manualRequested();
    void resized();                 // LayoutDisplay, then DrawMeasurementView
    void recordFileOpenRequested(); // MOpenTimer: the record window opens CommandLineFile
    void closing();                 // the program ends with this window

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();

    MeasurementControl& control_;
    QWidget* panel1_ = nullptr;
    std::array<QLabel*, 7> statusPanels_{};
    QLabel* alarmPanel_ = nullptr; // after panel 4, shown while a threshold is passed
    BrokerPanel* brokerPanel_ = nullptr;
};
