#include "trecordform.h"

#include "recordbrowser.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "windowplacement.h"

#include <QDir>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* StatusLabel(const QString& text, int width, Qt::Alignment align)
{
    auto* label = new QLabel(text);
    label->setFixedWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

} // namespace

TRecordForm::TRecordForm(RecordControl& control, RecordState& record, SharedState& shared,
                         const QString& programFolder, QWidget* parent)
    : QMainWindow(parent, Qt::Window), control_(control), record_(record), shared_(shared),
      programFolder_(programFolder)
{
    setObjectName(QStringLiteral("RecordForm"));
    setWindowTitle(QStringLiteral("記錄"));
    resize(797, 598);

    buildMenus();
    tools = new RecordToolBar([this](RecordCommand command) { run(command); });
    addToolBar(tools);
    buildViewTools();
    buildStatusBar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    chart = new RecordChartView(programFolder_);
    // The chart is drawn again whenever its size changes, once the layout
    // has placed it.
    chart->Pic4->onResize = [this] {
        chart->placeOverlays();
        DrawRecordChart();
    };
    chart->Pic4->onMouseMove = [this](QPoint at) { Pic4MouseMove(at.x()); };
    chart->Pic4->onDoubleClick = [this] { Pic4DblClick(); };
    layout->addWidget(chart, 1);
    noticeLabel = new QLabel(central);
    noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
    noticeLabel->setWordWrap(true);
    noticeLabel->setMargin(4);
    noticeLabel->setAutoFillBackground(true);
    QPalette notice = noticeLabel->palette();
    notice.setColor(QPalette::Window, QColor(255, 255, 192));
    notice.setColor(QPalette::WindowText, Qt::black);
    noticeLabel->setPalette(notice);
    noticeLabel->hide();
    layout->addWidget(noticeLabel);
    parameters = new RecordParameterPanels;
    layout->addWidget(parameters);
    setCentralWidget(central);
    showViewGlyph(0);

    connect(&control_, &RecordControl::commandStatesChanged, this,
            &TRecordForm::applyCommandStates);
    connect(&control_, &RecordControl::redrawRequested, this, &TRecordForm::DrawRecordChart);
    connect(&control_, &RecordControl::stepTextsChanged, this, [this] {
        statusPanels_[0]->setText(SampleStepStatusText(record_.SampleStepIndex));
        statusPanels_[1]->setText(SaveIntervalStatusText(record_.SaveIntervalIndex));
    });
    connect(&control_, &RecordControl::captionsChanged, parameters,
            &RecordParameterPanels::setCaptions);
    connect(&control_, &RecordControl::modePanelChanged, this, [this](int viewMode) {
        statusPanels_[5]->setText(viewMode == 0 ? QStringLiteral("模式：記錄")
                                                : QStringLiteral("模式：查閱"));
    });
    connect(&control_, &RecordControl::viewModeChanged, this, &TRecordForm::showViewGlyph);
    connect(&control_, &RecordControl::browseControlsChanged, this,
            &TRecordForm::syncBrowseControls);
    connect(&control_, &RecordControl::showRequested, this, [this] {
        show();
        raise();
        activateWindow();
    });
    applyCommandStates(control_.states());
    connectNotices();
    connectBrowsing();
    syncBrowseControls();
    // Laid out now, so that the chart has its size before the window is ever
    // shown: the sampler draws the chart of a hidden window too.
    setAttribute(Qt::WA_DontShowOnScreen, true);
    show();
    hide();
    setAttribute(Qt::WA_DontShowOnScreen, false);
}

void TRecordForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const QString& text, auto handler) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto command = [this](RecordCommand c) { return [this, c] { run(c); }; };
    QMenu* file = bar->addMenu(QStringLiteral("檔案(&F)"));
    openItem = item(file, QStringLiteral("打開舊檔"), command(RecordCommand::Open));
    createItem = item(file, QStringLiteral("建立新檔"), command(RecordCommand::Create));
    file->addSeparator();
    printItem = file->addAction(QStringLiteral("列印"));
    printItem->setEnabled(false);
    file->addSeparator();
    exitItem = item(file, QStringLiteral("結束"), [this] { close(); });

    QMenu* options = bar->addMenu(QStringLiteral("選項 (&O)"));
    settingsItem = item(options, QStringLiteral("設置"), command(RecordCommand::Settings));

    QMenu* view = bar->addMenu(QStringLiteral("檢閱 (&V)"));
    zoomInItem = item(view, QStringLiteral("向前展開"), command(RecordCommand::ZoomIn));
    zoomOutItem = item(view, QStringLiteral("向後收縮"), command(RecordCommand::ZoomOut));
    olderItem = item(view, QStringLiteral("段前移"), command(RecordCommand::Older));
    newerItem = item(view, QStringLiteral("段後移"), command(RecordCommand::Newer));
    view->addSeparator();
    stretchInItem = item(view, QStringLiteral("逐點展開"), command(RecordCommand::StretchIn));
    stretchInItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOutItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    autoscaleItem = item(view, QStringLiteral("自動縮放"), command(RecordCommand::Autoscale));
    autoscaleItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    QMenu* operate = bar->addMenu(QStringLiteral("操作 (&R)"));
    startItem = item(operate, QStringLiteral("啟動記錄"), command(RecordCommand::Start));
    stopItem = item(operate, QStringLiteral("停止記錄"), command(RecordCommand::Stop));

    QMenu* exports = bar->addMenu(QStringLiteral("匯出(&E)"));
    exportCsvItem =
        item(exports, QStringLiteral("匯出CSV檔案…"), command(RecordCommand::ExportCsv));
    exportPngItem =
        item(exports, QStringLiteral("儲存圖表為PNG…"), command(RecordCommand::ExportPng));
}

void TRecordForm::run(RecordCommand command)
{
    switch (command) {
    case RecordCommand::Open:
        control_.OpenFile();
        break;
    case RecordCommand::Create:
        control_.CreateFile();
        break;
    case RecordCommand::PrintReport:
        emit recordReportRequested();
        break;
    case RecordCommand::Settings:
        emit settingsRequested();
        break;
    case RecordCommand::Start:
        control_.Start();
        break;
    case RecordCommand::Stop:
        control_.Stop();
        break;
    case RecordCommand::SwitchView:
        control_.SwitchView();
        syncBrowseControls();
        break;
    case RecordCommand::Newer:
        browse([](RecordBrowser& r) { r.PageNewer(); });
        break;
    case RecordCommand::Older:
        browse([](RecordBrowser& r) { r.PageOlder(); });
        break;
    case RecordCommand::ZoomOut:
        browse([](RecordBrowser& r) { r.ZoomOut(); });
        break;
    case RecordCommand::ZoomIn:
        browse([](RecordBrowser& r) { r.ZoomIn(); });
        break;
    case RecordCommand::ExportCsv:
        control_.ExportCsv();
        break;
    case RecordCommand::ExportPng:
        control_.ExportPng(chartImage());
        break;
    case RecordCommand::StretchIn:
        browse([](RecordBrowser& r) { r.StretchIn(); });
        break;
    case RecordCommand::Autoscale:
        browse([](RecordBrowser& r) { r.Autoscale(); });
        showRange();
        break;
    }
}

// A tool bar of its own beside "記錄工具列", which keeps its buttons.
void TRecordForm::buildViewTools()
{
    viewTools = new QToolBar(QStringLiteral("檢閱工具列"), this);
    viewTools->setObjectName(QStringLiteral("viewTools"));
    viewTools->setMovable(false);
    viewTools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto button = [this](const QString& name, QAction* action) {
        viewTools->addAction(action);
        auto* b = qobject_cast<QToolButton*>(viewTools->widgetForAction(action));
        b->setObjectName(name);
        b->setAutoRaise(true);
        b->setToolTip(action->text() + QStringLiteral("（")
                      + action->shortcut().toString(QKeySequence::NativeText)
                      + QStringLiteral("）"));
        return b;
    };
    autoscaleButton = button(QStringLiteral("autoscaleButton"), autoscaleItem);
    stretchInButton = button(QStringLiteral("stretchInButton"), stretchInItem);
    addToolBar(viewTools);
}

void TRecordForm::showRange()
{
    statusPanels_[6]->setText(RangePanelText(record_.RangeMode));
    chart->SeSkinButton19->setToolTip(RangePanelText(record_.RangeMode).trimmed());
}

void TRecordForm::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    const struct {
        const char16_t* text;
        int width;
        Qt::Alignment align;
    } panels[7] = {
        {u"採樣步長：", 90, Qt::AlignLeft},
        {u"存儲間隔時間：", 120, Qt::AlignLeft},
        {u"開始：", 140, Qt::AlignLeft},
        {u"結束：", 140, Qt::AlignLeft},
        {u"記錄長度：", 90, Qt::AlignLeft},
        {u"模式：記錄", 70, Qt::AlignLeft},
        {u"顯示範圍：只顯示正值", 50, Qt::AlignRight},
    };
    for (int i = 0; i < 7; ++i) {
        statusPanels_[i] =
            StatusLabel(QString::fromUtf16(panels[i].text), panels[i].width, panels[i].align);
        bar->addWidget(statusPanels_[i]);
    }
    // The last panel takes the rest of the bar, as the window's last panel does.
    statusPanels_[6]->setMinimumWidth(50);
    statusPanels_[6]->setMaximumWidth(QWIDGETSIZE_MAX);
    bar->addWidget(statusPanels_[6], 1);
}

void TRecordForm::showViewGlyph(int viewMode)
{
    const QDir penData(QDir(programFolder_).filePath(QStringLiteral("PenData")));
    QImageReader reader(
        penData.filePath(viewMode == 0 ? QStringLiteral("12.dat") : QStringLiteral("13.dat")));
    reader.setDecideFormatFromContent(true);
    const QImage glyph = reader.read();
    tools->SeSkinSpeedButton11->setIcon(QIcon(QPixmap::fromImage(glyph)));
}

void TRecordForm::applyCommandStates(const RecordCommandStates& s)
{
    tools->SeSkinSpeedButton5->setEnabled(s.startButton);
    tools->SeSkinSpeedButton6->setEnabled(s.stopButton);
    tools->SeSkinSpeedButton4->setEnabled(s.settingsButton);
    startItem->setEnabled(s.startItem);
    stopItem->setEnabled(s.stopItem);
    settingsItem->setEnabled(s.settingsItem);
}

QString TRecordForm::statusText(int panel) const
{
    return panel >= 0 && panel < int(statusPanels_.size()) ? statusPanels_[panel]->text()
                                                           : QString();
}

QString TRecordForm::noticeText() const
{
    return noticeLabel->isHidden() ? QString() : noticeLabel->text();
}

void TRecordForm::connectNotices()
{
    connect(&control_, &RecordControl::recordingStarted, this, [this] {
        waitingNotice_.clear();
        repeatNotice_.clear();
        saveNotice_.clear();
        showNotices();
    });
    connect(&control_, &RecordControl::waitingForInstrumentChanged, this, [this](bool waiting) {
        waitingNotice_ = waiting ? QStringLiteral("記錄等待儀器：沒有收到新的測量資料，暫不取樣；"
                                                  "測量資料恢復後自動繼續記錄。")
                                 : QString();
        showNotices();
    });
    connect(&control_, &RecordControl::samplesRepeatMeasurements, this,
            [this](std::int32_t stepMs, qint64 cycleMs) {
                repeatNotice_ = QStringLiteral("注意：採樣步長 %1 秒短於儀器的測量週期（約 %2 "
                                               "秒），相鄰的記錄點會重複同一次測量的數值。")
                                    .arg(stepMs / 1000)
                                    .arg(QString::number(cycleMs / 1000.0, 'f', 1));
                showNotices();
            });
    connect(&control_, &RecordControl::saveFailed, this,
            [this](const RecordFileResult& result, const QString& path) {
                saveFailedAt_ = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
                saveNotice_ = QStringLiteral("記錄檔案自 %1 起儲存失敗，記錄繼續進行，"
                                             "每個存儲間隔都會再嘗試寫入。")
                                  .arg(saveFailedAt_);
                showNotices();
                // Not modal: the save timer must keep firing while it stands.
                if (!saveMessage) {
                    saveMessage = new QMessageBox(this);
                    saveMessage->setObjectName(QStringLiteral("saveMessage"));
                    saveMessage->setWindowModality(Qt::NonModal);
                    saveMessage->setStandardButtons(QMessageBox::Ok);
                }
                saveMessage->setWindowTitle(QStringLiteral("記錄檔案儲存失敗"));
                saveMessage->setIcon(QMessageBox::Critical);
                saveMessage->setText(RecordFileFailureText(result, path)
                                     + QStringLiteral("\n\n記錄繼續進行，資料暫存在記憶體中；"
                                                      "每個存儲間隔都會再嘗試寫入檔案。"));
                saveMessage->show();
                saveMessage->raise();
            });
    connect(&control_, &RecordControl::saveRecovered, this, [this](const QString& path) {
        const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
        saveNotice_ =
            QStringLiteral("記錄檔案已恢復儲存（%1 起失敗，%2 恢復）。").arg(saveFailedAt_, now);
        showNotices();
        // A message still standing tells the whole story to whoever comes back to it.
        if (saveMessage && saveMessage->isVisible()) {
            saveMessage->setWindowTitle(QStringLiteral("記錄檔案已恢復儲存"));
            saveMessage->setIcon(QMessageBox::Information);
            saveMessage->setText(QStringLiteral("記錄檔案 %1 自 %2 起儲存失敗，%3 已恢復儲存；"
                                                "記憶體中的記錄資料都已寫入檔案。")
                                     .arg(QDir::toNativeSeparators(path), saveFailedAt_, now));
        }
    });
}

void TRecordForm::showNotices()
{
    QStringList lines;
    for (const QString* line : {&waitingNotice_, &repeatNotice_, &saveNotice_})
        if (!line->isEmpty())
            lines << *line;
    noticeLabel->setText(lines.join(QLatin1Char('\n')));
    noticeLabel->setVisible(!lines.isEmpty());
}

void TRecordForm::showEvent(QShowEvent* event)
{
    // The first showing centres the window on the main window.
    if (!placed_ && parentWidget() && !testAttribute(Qt::WA_DontShowOnScreen)) {
        placed_ = true;
        move(parentWidget()->frameGeometry().center() - rect().center());
    }
    // Centred on a main window that is not where it will be (or hangs over
    // the screen's edge), it would open out of reach.
    if (!testAttribute(Qt::WA_DontShowOnScreen))
        KeepInsideScreen(*this);
    QMainWindow::showEvent(event);
}

void TRecordForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    chart->placeOverlays();
    DrawRecordChart();
}

// Draws the chart, then shows what the drawing found on the status bar.
void TRecordForm::DrawRecordChart()
{
    control_.browser().setChartWidth(chartSize().width());
    const ChartColors colors{QColor::fromRgb(shared_.ChartBackColor),
                             QColor::fromRgb(shared_.ChartGridColor)};
    const RecordChartFacts facts = chart->draw(record_, colors);
    if (facts.dataDrawn) {
        statusPanels_[0]->setText(ZoomPanelText(facts));
        statusPanels_[2]->setText(StartPanelText(facts));
        statusPanels_[3]->setText(EndPanelText(facts));
        statusPanels_[4]->setText(LengthPanelText(facts));
    }
}

// The menu items and tool buttons run their commands through run(); these
// are the chart's and the channel panels' own controls.
void TRecordForm::connectBrowsing()
{
    connect(chart->SeSkinScrollBar1, &QScrollBar::valueChanged, this, [this](int position) {
        if (!syncing_)
            browse([position](RecordBrowser& r) { r.ScrollMoved(position); });
    });
    connect(chart->TrackBar1, &QSlider::valueChanged, this, [this](int position) {
        if (!syncing_)
            browse([position](RecordBrowser& r) { r.TrackMoved(position); });
    });
    connect(chart->SeSkinButton19, &QToolButton::clicked, this, [this] {
        browse([](RecordBrowser& r) { r.CycleRange(); });
        showRange();
    });
    for (int c = 0; c < 6; ++c) {
        connect(parameters->scaleUpButton(c), &QToolButton::clicked, this,
                [this, c] { browse([c](RecordBrowser& r) { r.ScaleUp(c); }); });
        connect(parameters->scaleDownButton(c), &QToolButton::clicked, this,
                [this, c] { browse([c](RecordBrowser& r) { r.ScaleDown(c); }); });
        parameters->scaleUpButton(c)->installEventFilter(this);
        parameters->scaleDownButton(c)->installEventFilter(this);
        connect(parameters->showHideButton(c), &QToolButton::clicked, this, [this, c] {
            browse([c](RecordBrowser& r) { r.ToggleChannel(c); });
            const bool visible = record_.ChannelVisible[c];
            parameters->showChannel(c, visible);
            chart->showPen(c, visible);
        });
    }
}

bool TRecordForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        for (int c = 0; c < 6; ++c) {
            const bool scaleButton = watched == parameters->scaleUpButton(c)
                                     || watched == parameters->scaleDownButton(c);
            if (scaleButton && press->button() == Qt::LeftButton
                && press->modifiers().testFlag(Qt::ShiftModifier)) {
                // Taken here: the button never goes down, so no scale step follows.
                if (static_cast<QWidget*>(watched)->isEnabled())
                    browse([c](RecordBrowser& r) { r.AutoscaleChannel(c); });
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TRecordForm::browse(const std::function<void(RecordBrowser&)>& command)
{
    control_.browser().setChartWidth(chartSize().width());
    command(control_.browser());
    syncBrowseControls();
}

// The widgets show the browsing state; setting them raises no change
// handling of their own, which the browsing commands have already run.
void TRecordForm::syncBrowseControls()
{
    const BrowseControls& s = control_.browser().controls();
    syncing_ = true;
    chart->SeSkinScrollBar1->setValue(s.scrollPosition);
    chart->TrackBar1->setValue(s.trackPosition);
    syncing_ = false;
    zoomInItem->setEnabled(s.zoomIn);
    tools->SeSkinSpeedButton8->setEnabled(s.zoomIn);
    zoomOutItem->setEnabled(s.zoomOut);
    tools->SeSkinSpeedButton7->setEnabled(s.zoomOut);
    olderItem->setEnabled(s.older);
    tools->SeSkinSpeedButton10->setEnabled(s.older);
    newerItem->setEnabled(s.newer);
    tools->SeSkinSpeedButton9->setEnabled(s.newer);
    stretchInItem->setEnabled(s.stretchIn); // its tool button follows the item
    for (int c = 0; c < 6; ++c) {
        parameters->scaleUpButton(c)->setEnabled(s.scaleUp[c]);
        parameters->scaleDownButton(c)->setEnabled(s.scaleDown[c]);
    }
}

// The arrow points at the cursor's column; the read-out shows the sample
// drawn in it.
void TRecordForm::Pic4MouseMove(int x)
{
    chart->pointAt(x);
    control_.browser().setChartWidth(chartSize().width());
    const std::optional<int> idx = control_.browser().ReadoutIndex(x);
    if (!idx)
        return;
    parameters->showReadout(CurrentView(record_), *idx);
}

void TRecordForm::Pic4DblClick()
{
    chart->toggleTrackBar();
}
