#include "tmainform.h"

#include "brokerpanel.h"

#include "linkmessages.h"
#include "measurementtime.h"
#include "numberformat.h"
#include "registermap.h"
#include "talarmform.h"
#include "toolbuttons.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kProgressPanel = 3;
constexpr int kLogoPanel = 5;

// The maker's logo in the status bar; a click opens the maker's web page.
class LogoPanel : public QLabel {
public:
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (onClick)
            onClick();
    }
};

QPixmap logoPicture()
{
    QPixmap pixmap(72, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 96, 160));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(0, 1, 16, 16, 3, 3);
    p.setPen(Qt::white);
    QFont mark = p.font();
    mark.setBold(true);
    mark.setPixelSize(12);
    p.setFont(mark);
    p.drawText(QRect(0, 1, 16, 16), Qt::AlignCenter, QStringLiteral("Q"));
    p.setPen(QColor(0, 96, 160));
    mark.setPixelSize(11);
    p.setFont(mark);
    p.drawText(QRect(19, 0, 53, 18), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Quorvane"));
    return pixmap;
}

QLabel* statusLabel(const QString& text, int width, Qt::Alignment align, QLabel* label = nullptr)
{
    if (!label)
        label = new QLabel;
    label->setText(text);
    if (width > 0)
        label->setFixedWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

} // namespace

TMainForm::TMainForm(MeasurementControl& control, QWidget* parent)
    : QMainWindow(parent), control_(control)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("QPA3600 Power Analyzer"));
    resize(1109, 760);

    panel1_ = new QWidget(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    setCentralWidget(panel1_);

    MOpenTimer.setInterval(1000);
    MOpenTimer.setSingleShot(true);
    connect(&MOpenTimer, &QTimer::timeout, this, &TMainForm::recordFileOpenRequested);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    applyCommandStates(control_.states());
}

void TMainForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const QString& text, void (TMainForm::*signal)()) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, signal);
        return action;
    };
    auto command = [](QMenu* menu, const QString& text, auto handler) {
        QAction* action = menu->addAction(text);
        QObject::connect(action, &QAction::triggered, handler);
        return action;
    };

    QMenu* file = bar->addMenu(QStringLiteral("檔案(&F)"));
    item(file, QStringLiteral("開啟舊檔 "), &TMainForm::openFileRequested);
    item(file, QStringLiteral("儲存檔案"), &TMainForm::saveFileRequested);
    file->addSeparator();
    item(file, QStringLiteral("列印 "), &TMainForm::printRequested);
    file->addSeparator();
    command(file, QStringLiteral("結束 "), [this] { close(); });

    QMenu* options = bar->addMenu(QStringLiteral("選項 (&O)"));
    C1 = item(options, QStringLiteral("通訊選項 "), &TMainForm::commOptionsRequested);
    options->addSeparator();
    item(options, QStringLiteral("風格配置 "), &TMainForm::appearanceRequested);
    options->addSeparator();
    N11 = item(options, QStringLiteral("警報值設置"), &TMainForm::alarmRequested);
    options->addSeparator()->setVisible(false);
    calibrateItem = item(options, QStringLiteral("校准 "), &TMainForm::calibrateRequested);
    calibrateItem->setVisible(false); // a service window, not for everyday use
    options->addSeparator();
    QMenu* band = options->addMenu(QStringLiteral("電流帶寬 "));
    N31 = item(band, QStringLiteral("窄頻 &(Y)←"), &TMainForm::narrowBandRequested);
    N32 = item(band, QStringLiteral("寬頻 &(Z)"), &TMainForm::wideBandRequested);
    options->addSeparator();
    QMenu* method = options->addMenu(QStringLiteral("諧波計算方式 "));
    IEC2 = item(method, QStringLiteral("%f： IEC方式 &(Y)←"), &TMainForm::iecMethodRequested);
    CSA1 = item(method, QStringLiteral("%r： CSA方式 &(Z)"), &TMainForm::csaMethodRequested);
    options->addSeparator();
    item(options, QStringLiteral("外接互感器選項"), &TMainForm::externalCtRequested);
    options->addSeparator();

    QMenu* operate = bar->addMenu(QStringLiteral("操作 (&P)"));
    N12 = command(operate, QStringLiteral("單次測試 "), [this] { control_.SingleTest(); });
    N13 = command(operate, QStringLiteral("連續採樣"), [this] { control_.ContinuousSampling(); });
    N14 = command(operate, QStringLiteral("停止測試  "), [this] { control_.StopTest(); });
    operate->addSeparator();
    item(operate, QStringLiteral("啟動測試"), &TMainForm::startTestRequested);
    operate->addSeparator();
    item(operate, QStringLiteral("諧波列表 "), &TMainForm::harmonicListRequested);
    item(operate, QStringLiteral("諧波限值預檢"), &TMainForm::harmonicLimitsRequested);
    operate->addSeparator();
    item(operate, QStringLiteral("記錄 "), &TMainForm::recordRequested);

    QMenu* help = bar->addMenu(QStringLiteral("說明(&H)"));
    item(help, QStringLiteral("版本信息"), &TMainForm::versionRequested);
    item(help, QStringLiteral("Quorvane網頁 "), &TMainForm::webPageRequested);
    help->addSeparator();
    item(help, QStringLiteral("儀器手冊 "), &TMainForm::manualRequested);
}

void TMainForm::buildToolBar()
{
    QToolBar* tools = addToolBar(QStringLiteral("工具列"));
    tools->setMovable(false);
    tools->setIconSize(QSize(32, 32));
    // Name (none), picture, tip, command, and where the window keeps the button.
    AddToolButtons(
        *tools,
        {
            {{}, Glyph::Open, QStringLiteral("開啟舊檔"), [this] { emit openFileRequested(); }},
            {{}, Glyph::Save, QStringLiteral("儲存檔案"), [this] { emit saveFileRequested(); }},
            {{}, Glyph::Print, QStringLiteral("列印"), [this] { emit printRequested(); }},
            ToolSeparator(),
            {{}, Glyph::Version, QStringLiteral("版本信息"), [this] { emit versionRequested(); }},
            ToolSeparator(),
            {{}, Glyph::Record, QStringLiteral("記錄"), [this] { emit recordRequested(); }},
            {{},
             Glyph::HarmonicList,
             QStringLiteral("諧波列表"),
             [this] { emit harmonicListRequested(); }},
            {{},
             Glyph::StartTest,
             QStringLiteral("啟動測試"),
             [this] { emit startTestRequested(); }},
            ToolSeparator(),
            {{},
             Glyph::Single,
             QStringLiteral("單次測試"),
             [this] { control_.SingleTest(); },
             &SeSkinSpeedButton7},
            {{},
             Glyph::Continuous,
             QStringLiteral("連續採樣"),
             [this] { control_.ContinuousSampling(); },
             &SeSkinSpeedButton8},
            {{},
             Glyph::Stop,
             QStringLiteral("停止測試"),
             [this] { control_.StopTest(); },
             &SeSkinSpeedButton9},
        },
        GlyphLook::MainToolBar);
}

void TMainForm::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    statusPanels_[0] = statusLabel(QStringLiteral("连接：正在连接"), 160, Qt::AlignLeft);
    statusPanels_[1] = statusLabel(RunStateText(RunState::Stopped), 100, Qt::AlignRight);
    // Wide enough for the longest state, and never narrower than it was.
    int runStateWidth = 0;
    for (RunState state : {RunState::Stopped, RunState::SingleTest, RunState::ContinuousSampling,
                           RunState::WaitingForLink})
        runStateWidth = std::max(
            runStateWidth, statusPanels_[1]->fontMetrics().horizontalAdvance(RunStateText(state)));
    statusPanels_[1]->setFixedWidth(std::max(100, runStateWidth + 12));
    statusPanels_[2] = statusLabel(QStringLiteral("通訊進度:"), 70, Qt::AlignRight);
    statusPanels_[3] = statusLabel(QString(), 124, Qt::AlignLeft);
    statusPanels_[4] = statusLabel(QStringLiteral("測量日期："), 0, Qt::AlignLeft);
    auto* logo = new LogoPanel;
    logo->onClick = [this] { emit webPageRequested(); };
    statusPanels_[5] = statusLabel(QString(), 76, Qt::AlignCenter, logo);
    logo->setPixmap(logoPicture());
    statusPanels_[6] = statusLabel(QStringLiteral("專業的電測專家！  "), 120, Qt::AlignRight);

    ProgressBar1 = new QProgressBar(statusPanels_[kProgressPanel]);
    ProgressBar1->setRange(0, 50);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setVisible(false);
    auto* progressLayout = new QHBoxLayout(statusPanels_[kProgressPanel]);
    progressLayout->setContentsMargins(2, 2, 2, 2);
    progressLayout->addWidget(ProgressBar1);

    statusPanels_[kLogoPanel]->setCursor(Qt::PointingHandCursor);
    statusPanels_[kLogoPanel]->setToolTip(QStringLiteral("Quorvane網頁"));

    alarmPanel_ = statusLabel(QString(), 0, Qt::AlignLeft);
    alarmPanel_->setObjectName(QStringLiteral("AlarmPanel"));
    // Its own sheet, so that a skin's colour for the status bar's texts
    // does not take the alarm colour away.
    alarmPanel_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    alarmPanel_->setVisible(false);
    // It shares the room the measurement's time leaves, without asking for
    // more: the window keeps the width it can be made narrow to.
    alarmPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    brokerPanel_ = new BrokerPanel;
    for (int i = 0; i < int(statusPanels_.size()); ++i) {
        bar->addWidget(statusPanels_[i], i == 4 ? 1 : 0);
        if (i == 4) {
            bar->addWidget(alarmPanel_, 2);
            bar->addWidget(brokerPanel_, 2);
        }
    }
}

QString TMainForm::RunStateText(RunState state)
{
    switch (state) {
    case RunState::Stopped:
        break;
    case RunState::SingleTest:
        return QStringLiteral("测试状态：单次测试");
    case RunState::ContinuousSampling:
        return QStringLiteral("测试状态：连续采样");
    case RunState::WaitingForLink:
        return QStringLiteral("测试状态：等待重连");
    }
    return QStringLiteral("测试状态：停止");
}

void TMainForm::showRunState(RunState state)
{
    setStatusText(1, RunStateText(state));
}

QString TMainForm::BreachText(const std::vector<ThresholdBreach>& breaches)
{
    if (breaches.empty())
        return {};
    // The rows and units of the alarm window, by threshold pair.
    static const char* const kQuantities[4] = {"電壓", "電流", "功率", "PF"};
    static const char* const kUnits[4] = {"V", "A", "W", ""};
    QStringList named;
    for (const ThresholdBreach& breach : breaches) {
        const int pair = (breach.threshold - 1) / 2;
        named << QString::fromUtf8(kQuantities[pair])
                     + (breach.upper() ? QStringLiteral("上限 ") : QStringLiteral("下限 "))
                     + FormatGeneral(RoundToDecimals(breach.limit, 4))
                     + QString::fromUtf8(kUnits[pair]);
    }
    return QStringLiteral("警報：") + named.join(QStringLiteral("、"));
}

void TMainForm::showThresholdBreaches(const std::vector<ThresholdBreach>& breaches)
{
    const QString text = BreachText(breaches);
    alarmPanel_->setText(text);
    alarmPanel_->setToolTip(text); // all of it, where the panel is too narrow
    alarmPanel_->setVisible(!breaches.empty());
}

QString TMainForm::alarmStatusText() const
{
    return alarmPanel_->isHidden() ? QString() : alarmPanel_->text();
}

void TMainForm::showRunRequest(RunRequest request)
{
    setStatusText(0, request == RunRequest::NextMeasurement
                         ? QStringLiteral("正在請求儀器數據")
                         : QStringLiteral("通訊阻塞，重新請求連接"));
}

void TMainForm::showMeasured(const QDateTime& when)
{
    setStatusText(0, QStringLiteral("提取數據成功"));
    setStatusText(4, QStringLiteral("提取時間") + MeasurementTimeText(when));
}

void TMainForm::showSnapshotOpened(const QString& path, const QDateTime& taken)
{
    setStatusText(0, QStringLiteral("已開啟檔案：") + QFileInfo(path).fileName());
    setStatusText(4, QStringLiteral("提取時間") + MeasurementTimeText(taken));
}

QString TMainForm::ManualMessage(ManualOutcome outcome, const QString& path)
{
    const QString file = QDir::toNativeSeparators(path);
    if (outcome == ManualOutcome::Missing)
        return QStringLiteral("找不到儀器手冊：%1\n請將儀器手冊的 PDF 檔案放在這個位置。")
            .arg(file);
    return QStringLiteral("無法開啟儀器手冊：%1\n請安裝可以開啟 PDF 檔案的程式。").arg(file);
}

QString TMainForm::SendFailureMessage(const SendFailure& failure)
{
    // The main window speaks for the requests nobody asked for in a window:
    // a run's measurement, the reads that carry a read-back on, and the
    // read-back after a lost device came back. The alarm and logging windows
    // and the connection word the failed starts of their own chains.
    bool mine = false;
    switch (failure.chain) {
    case LinkChain::Measurement:
        mine = true;
        break;
    case LinkChain::ReadBack:
        mine = failure.reg != Register::Options || failure.start == ReadBackStart::LinkRestored;
        break;
    case LinkChain::WriteBack:
    case LinkChain::LogArm:
        break;
    }
    return mine ? kSendFailedMessage : QString();
}

void TMainForm::showSnapshotSaved(const QString& path)
{
    // A message of its own for a while: panel 0 is rewritten at every
    // measurement while sampling runs.
    statusBar()->showMessage(QStringLiteral("已儲存檔案：") + QDir::toNativeSeparators(path),
                             kSavedMessageMs);
}

void TMainForm::setStatusText(int panel, const QString& text)
{
    if (panel >= 0 && panel < int(statusPanels_.size()) && panel != kProgressPanel)
        statusPanels_[panel]->setText(text);
}

QString TMainForm::LinkStatusText(LinkStatus status)
{
    switch (status) {
    case LinkStatus::Searching:
        return QStringLiteral("正在搜索通訊端口！");
    case LinkStatus::PortOpened:
        return QStringLiteral("已經開啟通訊口");
    case LinkStatus::Connected:
        return QStringLiteral("已經連接");
    case LinkStatus::Failed:
        return QStringLiteral("連接失敗");
    case LinkStatus::PortInUse:
        return QStringLiteral("連接失敗：端口正被其他程式使用");
    case LinkStatus::InstrumentLost:
        return QStringLiteral("連接儀器失敗!");
    case LinkStatus::InstrumentReconnected:
        return QStringLiteral("已經連接儀器!");
    case LinkStatus::DeviceLost:
        return QStringLiteral("連接中斷，等待儀器重新連接");
    case LinkStatus::DeviceRestored:
        return QStringLiteral("已經重新連接儀器");
    case LinkStatus::Synchronised:
        return TAlarmForm::SynchronisedText();
    }
    return {};
}

void TMainForm::showLinkStatus(LinkStatus status)
{
    setStatusText(0, LinkStatusText(status));
}

void TMainForm::showLinkLost()
{
    showLinkStatus(LinkStatus::DeviceLost);
}

void TMainForm::showLinkRestored()
{
    showLinkStatus(LinkStatus::DeviceRestored);
}

QString TMainForm::statusText(int panel) const
{
    return panel >= 0 && panel < int(statusPanels_.size()) ? statusPanels_[panel]->text()
                                                           : QString();
}

void TMainForm::showProgress(int position)
{
    ProgressBar1->setVisible(true);
    // A position past the maximum (the USB link's 100) shows the bar full.
    ProgressBar1->setValue(std::min(position, ProgressBar1->maximum()));
    ProgressBar1->repaint();
}

void TMainForm::applyCommandStates(const CommandStates& s)
{
    SeSkinSpeedButton7->setEnabled(s.singleButton);
    SeSkinSpeedButton8->setEnabled(s.continuousButton);
    SeSkinSpeedButton9->setEnabled(s.stopButton);
    C1->setEnabled(s.C1);
    N11->setEnabled(s.N11);
    N12->setEnabled(s.N12);
    N13->setEnabled(s.N13);
    N14->setEnabled(s.N14);
    N31->setEnabled(s.N31);
    N32->setEnabled(s.N32);
    IEC2->setEnabled(s.IEC2);
    CSA1->setEnabled(s.CSA1);
}

void TMainForm::setOptionCaptions(const QString& n31, const QString& n32, const QString& iec2,
                                  const QString& csa1)
{
    N31->setText(n31);
    N32->setText(n32);
    IEC2->setText(iec2);
    CSA1->setText(csa1);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Closing is never refused; the instrument on its USB link is told first.
    control_.SendCloseRequest();
    emit closing();
    event->accept();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    emit resized();
}
