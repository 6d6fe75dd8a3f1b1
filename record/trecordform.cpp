#include "trecordform.h"

#include "fittedlabel.h"
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "windowplacement.h"

#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
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
    buildCursors();
    showViewGlyph(0);

    connect(&control_, &RecordControl::commandStatesChanged, this,
            &TRecordForm::applyCommandStates);
    connect(&control_, &RecordControl::redrawRequested, this, &TRecordForm::DrawRecordChart);
    connect(&control_, &RecordControl::stepTextsChanged, this, [this] {
        const QString step = SampleStepStatusText(record_.SampleStepIndex);
        ShowFittedText(*statusPanels_[0], {step}, step);
        statusPanels_[1]->setText(SaveIntervalStatusText(record_.SaveIntervalIndex));
    });
    connect(&control_, &RecordControl::captionsChanged, parameters,
            &RecordParameterPanels::setCaptions);
    connect(&control_, &RecordControl::modePanelChanged, this, [this](int viewMode) {
        statusPanels_[5]->setText(viewMode == 0 ? QStringLiteral("模式：記錄")
                                                : QStringLiteral("模式：查閱"));
    });
    connect(&control_, &RecordControl::viewModeChanged, this, &TRecordForm::showViewGlyph);
    // A long recording goes on file after file: which one is written now.
    // The first is the file the user chose and needs no word; from the
    // second on the bar says which, briefly, so that the panels before it
    // keep their room, and whole in the tooltip.
    connect(&control_, &RecordControl::recordFileChanged, this,
            [this](const QString& path, int number) {
                const QString name = QFileInfo(path).fileName();
                recordFileLabel_->setText(number > 1 ? QStringLiteral("第 %1 個檔案").arg(number)
                                                     : QString());
                recordFileLabel_->setToolTip(number > 1
                                                 ? QStringLiteral("記錄檔案：%1（第 %2 個）\n%3")
                                                       .arg(name)
                                                       .arg(number)
                                                       .arg(QDir::toNativeSeparators(path))
                                                 : QString());
            });
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
    exportSpanCsvItem = item(exports, QStringLiteral("匯出區間CSV檔案…"), [this] {
        if (exportSpan_)
            control_.ExportCsvSpan(exportSpan_->first, exportSpan_->last);
    });
    exportSpanCsvItem->setEnabled(false);
    exportSheetItem = item(exports, QStringLiteral("儲存完整圖表為PNG…"),
                           [this] { control_.ExportPng(exportImage()); });
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
    recordFileLabel_ = new QLabel(bar);
    recordFileLabel_->setObjectName(QStringLiteral("recordFileLabel"));
    bar->addPermanentWidget(recordFileLabel_);
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
    if (panel < 0 || panel >= int(statusPanels_.size()))
        return QString();
    const QLabel* label = statusPanels_[panel];
    return label->toolTip().isEmpty() ? label->text() : label->toolTip();
}

QString TRecordForm::shownStatusText(int panel) const
{
    return panel >= 0 && panel < int(statusPanels_.size()) ? statusPanels_[panel]->text()
                                                           : QString();
}

QString TRecordForm::recordFileText() const
{
    return recordFileLabel_->text();
}

QString TRecordForm::noticeText() const
{
    return noticeLabel->isHidden() ? QString() : noticeLabel->text();
}

void TRecordForm::connectNotices()
{
    connect(&control_, &RecordControl::recordingStarted, this, [this] {
        cursors_[0] = RecordCursors{}; // the samples they were on are gone
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
    facts_ = facts;
    if (facts.dataDrawn) {
        // Whole in the tooltip, as much as fits on the panel.
        ShowFittedText(*statusPanels_[0], ZoomPanelForms(facts), ZoomPanelText(facts));
        ShowFittedText(*statusPanels_[2], StartPanelForms(facts), StartPanelText(facts));
        ShowFittedText(*statusPanels_[3], EndPanelForms(facts), EndPanelText(facts));
        statusPanels_[4]->setText(LengthPanelText(facts));
    }
    showCursors();
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
    if (autoscaleClick(watched, event) || chartInput(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool TRecordForm::autoscaleClick(QObject* watched, QEvent* event)
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
    return false;
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

namespace {

const std::array<QColor, 2> kCursorColors{QColor(0, 150, 255), QColor(255, 110, 0)};

} // namespace

void TRecordForm::buildCursors()
{
    for (int k = 0; k < 2; ++k) {
        const QColor colour = kCursorColors[std::size_t(k)];
        auto* line = new QWidget(chart->Pic4);
        line->setObjectName(QStringLiteral("cursorLine%1").arg(QLatin1Char(k == 0 ? 'A' : 'B')));
        line->setAutoFillBackground(true);
        QPalette linePalette = line->palette();
        linePalette.setColor(QPalette::Window, colour);
        line->setPalette(linePalette);
        auto* tag = new QLabel(k == 0 ? QStringLiteral("A") : QStringLiteral("B"), chart->Pic4);
        tag->setAlignment(Qt::AlignCenter);
        tag->setAutoFillBackground(true);
        QPalette tagPalette = tag->palette();
        tagPalette.setColor(QPalette::Window, colour);
        tagPalette.setColor(QPalette::WindowText, Qt::black);
        tag->setPalette(tagPalette);
        tag->setFixedSize(12, 14);
        for (QWidget* mark : {static_cast<QWidget*>(line), static_cast<QWidget*>(tag)}) {
            mark->setAttribute(Qt::WA_TransparentForMouseEvents);
            mark->hide();
        }
        cursorLines_[std::size_t(k)] = line;
        cursorTags_[std::size_t(k)] = tag;
    }
    chart->Pic4->setFocusPolicy(Qt::StrongFocus);
    chart->Pic4->installEventFilter(this);

    statisticsPanel = new SpanStatisticsPanel;
    statisticsDock = new QDockWidget(QStringLiteral("游標與統計"), this);
    statisticsDock->setObjectName(QStringLiteral("statisticsDock"));
    statisticsDock->setWidget(statisticsPanel);
    statisticsDock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
    // Shown and hidden by its menu item, which makes room for it.
    statisticsDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, statisticsDock);
    statisticsDock->hide();

    // The cursor commands follow the browsing commands in "檢閱", the menu
    // the zoom items were made in.
    auto* menu = qobject_cast<QMenu*>(zoomInItem->parent());
    menu->addSeparator();
    const auto item = [this, menu](const QString& text, auto handler) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    // The keys work on the chart (Pic4Key); the menu names them.
    cursorAItem = item(QStringLiteral("游標A\tA"), [this] { activateCursor(CursorId::A); });
    cursorBItem = item(QStringLiteral("游標B\tB"), [this] { activateCursor(CursorId::B); });
    cursorSwitchItem = item(QStringLiteral("切換游標\tSpace"), [this] {
        const RecordCursors& c = cursors();
        activateCursor(c.active == CursorId::A ? CursorId::B : CursorId::A);
    });
    cursorClearItem = item(QStringLiteral("清除游標\tEsc"), [this] { clearCursors(); });
    statisticsItem = menu->addAction(QStringLiteral("游標與統計面板"));
    statisticsItem->setCheckable(true);
    connect(statisticsItem, &QAction::toggled, this, &TRecordForm::showStatisticsPanel);
}

// The window grows by the panel's height (and gives it back), so that the
// chart keeps its size where the screen has room.
void TRecordForm::showStatisticsPanel(bool shown)
{
    statisticsItem->setChecked(shown);
    if (shown == statisticsDock->isVisibleTo(this))
        return;
    const bool docked = !statisticsDock->isFloating() && !isMaximized() && !isFullScreen();
    if (shown) {
        panelGrowth_ = docked ? statisticsDock->sizeHint().height() : 0;
        resize(width(), height() + panelGrowth_);
        statisticsDock->show();
        if (!testAttribute(Qt::WA_DontShowOnScreen) && isVisible())
            KeepInsideScreen(*this);
        showCursors(); // its figures are worked out only while it is shown
    } else {
        statisticsDock->hide();
        resize(width(), height() - (docked ? panelGrowth_ : 0));
        panelGrowth_ = 0;
    }
}

RecordCursors& TRecordForm::viewCursors()
{
    RecordCursors& c = cursors_[record_.ViewMode == 0 ? 0 : 1];
    // Another file in the browsing view: its cursors were on other samples.
    if (record_.ViewMode != 0 && cursorFile_ != record_.BrowseFileName) {
        cursorFile_ = record_.BrowseFileName;
        c = RecordCursors{};
    }
    c.dropBeyond(CurrentView(record_).last);
    return c;
}

const RecordCursors& TRecordForm::cursors() const
{
    return cursors_[record_.ViewMode == 0 ? 0 : 1];
}

const CursorReading& TRecordForm::cursorReading() const
{
    return reading_;
}

void TRecordForm::placeCursor(CursorId id, int sample)
{
    RecordCursors& c = viewCursors();
    c.at(id) = std::clamp(sample, 0, std::max(0, CurrentView(record_).last));
    c.active = id;
    // Placing a cursor brings its figures up.
    if (statisticsDock->isHidden())
        showStatisticsPanel(true);
    showCursors();
}

void TRecordForm::clearCursors()
{
    viewCursors() = RecordCursors{};
    showCursors();
}

void TRecordForm::activateCursor(CursorId id)
{
    control_.browser().setChartWidth(chartSize().width());
    RecordCursors& c = viewCursors();
    c.active = id;
    if (c.at(id)) {
        showCursors();
        return;
    }
    if (const std::optional<int> start = CursorStartSample(control_.browser()))
        placeCursor(id, *start);
}

void TRecordForm::moveActiveCursor(std::optional<int> sample)
{
    if (sample)
        placeCursor(cursors().active, *sample);
}

void TRecordForm::Pic4MousePress(int x, bool secondCursor)
{
    control_.browser().setChartWidth(chartSize().width());
    if (const std::optional<int> sample = control_.browser().ReadoutIndex(x))
        placeCursor(secondCursor ? CursorId::B : CursorId::A, *sample);
}

bool TRecordForm::Pic4Key(int key, Qt::KeyboardModifiers modifiers)
{
    control_.browser().setChartWidth(chartSize().width());
    const RecordBrowser& browser = control_.browser();
    const std::optional<int> active = viewCursors().at(cursors().active);
    const bool bySample = modifiers.testFlag(Qt::ShiftModifier);
    // Letters and Space with Ctrl, Alt or Meta belong to the window's shortcuts.
    const bool plain = !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!plain && key != Qt::Key_Left && key != Qt::Key_Right)
        return false;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = key == Qt::Key_Right ? 1 : -1;
        if (!active)
            moveActiveCursor(CursorStartSample(browser));
        else if (bySample)
            moveActiveCursor(CursorMovedBySamples(active, step, CurrentView(record_).last));
        else
            moveActiveCursor(CursorMovedByColumns(browser, active, step));
        return true;
    }
    case Qt::Key_A:
        cursorAItem->trigger();
        return true;
    case Qt::Key_B:
        cursorBItem->trigger();
        return true;
    case Qt::Key_Space:
        cursorSwitchItem->trigger();
        return true;
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        clearCursors();
        return true;
    default:
        return false;
    }
}

bool TRecordForm::chartInput(QObject* watched, QEvent* event)
{
    if (watched == chart->Pic4) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* press = static_cast<QMouseEvent*>(event);
            const bool second = press->button() == Qt::RightButton
                                || (press->button() == Qt::LeftButton
                                    && press->modifiers().testFlag(Qt::ShiftModifier));
            if (press->button() == Qt::LeftButton || press->button() == Qt::RightButton)
                Pic4MousePress(press->position().toPoint().x(), second);
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (Pic4Key(key->key(), key->modifiers()))
                return true;
        }
    }
    return false;
}

void TRecordForm::showCursors()
{
    RecordCursors& c = viewCursors();
    const RecordBrowser& browser = control_.browser();
    const int height = chart->Pic4->height();
    for (int k = 0; k < 2; ++k) {
        const std::optional<int> sample = c.samples[std::size_t(k)];
        const std::optional<int> column = sample ? browser.ColumnOfSample(*sample) : std::nullopt;
        QWidget* line = cursorLines_[std::size_t(k)];
        QLabel* tag = cursorTags_[std::size_t(k)];
        line->setVisible(column.has_value());
        tag->setVisible(column.has_value());
        if (!column)
            continue;
        line->setGeometry(*column, 0, 1, height);
        // The tag beside the line, on its left near the chart's right edge.
        const int tagX = *column + 2 + tag->width() > chart->Pic4->width()
                             ? *column - 1 - tag->width()
                             : *column + 2;
        tag->move(tagX, k == 0 ? 2 : 18);
        line->raise();
        tag->raise();
    }
    const std::optional<std::pair<int, int>> span = c.span();
    // The exports take the span; its figures come with it while the panel
    // shows them.
    const auto exportSpan = [&span](QStringList lines) -> std::optional<RecordExportSpan> {
        if (!span)
            return std::nullopt;
        return RecordExportSpan{span->first, span->second, std::move(lines)};
    };
    if (statisticsDock->isHidden()) {
        setExportSpan(exportSpan({}));
        return;
    }

    const RecordView view = CurrentView(record_);
    CursorReading r;
    for (int ch = 0; ch < 6; ++ch)
        r.shown[std::size_t(ch)] = record_.ChannelVisible[std::size_t(ch)];
    const auto readAt = [&view](std::optional<int> sample, std::optional<double>& time,
                                std::array<std::optional<float>, 6>& values) {
        if (!sample)
            return;
        time = view.timestamps[*sample];
        for (int ch = 0; ch < 6; ++ch)
            values[std::size_t(ch)] = view.channels[ch][*sample];
    };
    readAt(c.at(CursorId::A), r.timeA, r.valueA);
    readAt(c.at(CursorId::B), r.timeB, r.valueB);
    SpanSource source;
    for (int ch = 0; ch < 6; ++ch)
        source.channels[std::size_t(ch)] = view.channels[ch];
    source.timestamps = view.timestamps;
    // The recording's samples are of the quantities its file was started with.
    for (int ch = 0; ch < 6; ++ch)
        source.codes[std::size_t(ch)] = record_.ViewMode == 0
                                            ? std::int32_t(record_.SaveBlock.Codes[std::size_t(ch)])
                                            : record_.BrowseChannelCodes[std::size_t(ch)];
    r.span = span.has_value();
    r.statistics =
        ComputeSpanStatistics(source, span ? span->first : 0, span ? span->second : view.last);
    reading_ = r;
    statisticsPanel->showReading(r);
    setExportSpan(exportSpan(statisticsPanel->summaryLines()));
}

void TRecordForm::setExportSpan(const std::optional<RecordExportSpan>& span)
{
    exportSpan_ = span;
    exportSpanCsvItem->setEnabled(span.has_value());
}

QImage TRecordForm::exportImage() const
{
    RecordBrowser& browser = control_.browser();
    browser.setChartWidth(chartSize().width());
    const RecordView view = CurrentView(record_);
    RecordExportContent content;
    const QString file = record_.ViewMode == 0 ? record_.RecordFileName : record_.BrowseFileName;
    content.fileName = QFileInfo(file).fileName();
    if (facts_.dataDrawn && facts_.points > 0) {
        content.startTime = facts_.startTime;
        content.endTime = facts_.endTime;
    }
    const std::vector<int> columns =
        RecordAxisColumns(chartSize().width(), facts_.dataDrawn ? facts_.points : 0);
    for (const int column : columns)
        if (const std::optional<int> sample = browser.ReadoutIndex(column))
            content.axis.push_back({column, view.timestamps[*sample]});
    content.codes = control_.viewCodes();
    content.span = exportSpan_;
    content.columnOfSample = [&browser](int sample) { return browser.ColumnOfSample(sample); };
    const ChartColors colors{QColor::fromRgb(shared_.ChartBackColor),
                             QColor::fromRgb(shared_.ChartGridColor)};
    return RenderRecordExport(chartImage(), record_, content, colors);
}
