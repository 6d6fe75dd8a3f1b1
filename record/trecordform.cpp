#include "trecordform.h"

#include "recordbrowser.h"
#include "recordchart.h"
#include "glyphs.h"
#include "imageview.h"
#include "recordcontrol.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "windowplacement.h"

#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "paintercanvas.h"

namespace {

// The off-screen chart surface is as large as any screen the window meets;
// the ruler beside it is 50 pixels wide whatever the screen.
constexpr int kSurfaceWidth = 2400;
constexpr int kSurfaceHeight = 1600;
constexpr int kRulerWidth = 50;
constexpr int kPenStripWidth = 25;

// The channel's tag shows its chart colour (kRecordChannelColors) behind
// this text colour.
struct ChannelLook {
    QColor text;
    const char* pen; // pen image beside the chart
};

const std::array<ChannelLook, 6> kChannels{{
    {Qt::white, "green.dat"},
    {Qt::white, "red.dat"},
    {Qt::white, "blue.dat"},
    {Qt::white, "maroon.dat"},
    {QColor(128, 128, 128), "yellow.dat"},
    {Qt::white, "red2.dat"},
}};

// Scale up, scale down and show/hide of each channel, by designer number.
constexpr std::array<std::array<int, 3>, 6> kChannelButtons{
    {{3, 2, 1}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}}};

// Positions of the channel panels in the group " 參數 ".
constexpr std::array<QPoint, 6> kChannelPanels{
    {{196, 16}, {196, 53}, {196, 90}, {493, 16}, {493, 53}, {493, 90}}};

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
      programFolder_(programFolder),
      chartSurface_(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32),
      rulerSurface_(kRulerWidth, kSurfaceHeight, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("RecordForm"));
    // Only the part of the chart surface the chart shows is ever drawn (and
    // so only that part takes memory); the chart is drawn before it is shown.
    rulerSurface_.fill(Qt::white);
    setWindowTitle(QStringLiteral("記錄"));
    resize(797, 598);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildChartGroup(), 1);
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
    layout->addWidget(buildParameterGroup());
    setCentralWidget(central);
    loadPenImages();
    showViewGlyph(0);

    connect(&control_, &RecordControl::commandStatesChanged, this,
            &TRecordForm::applyCommandStates);
    connect(&control_, &RecordControl::redrawRequested, this, &TRecordForm::DrawRecordChart);
    connect(&control_, &RecordControl::stepTextsChanged, this, [this] {
        statusPanels_[0]->setText(SampleStepStatusText(record_.SampleStepIndex));
        statusPanels_[1]->setText(SaveIntervalStatusText(record_.SaveIntervalIndex));
    });
    connect(&control_, &RecordControl::captionsChanged, this, &TRecordForm::setCaptions);
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
    QMenu* file = bar->addMenu(QStringLiteral("檔案(&F)"));
    openItem = item(file, QStringLiteral("打開舊檔"), [this] { control_.OpenFile(); });
    createItem = item(file, QStringLiteral("建立新檔"), [this] { control_.CreateFile(); });
    file->addSeparator();
    printItem = file->addAction(QStringLiteral("列印"));
    printItem->setEnabled(false);
    file->addSeparator();
    exitItem = item(file, QStringLiteral("結束"), [this] { close(); });

    QMenu* options = bar->addMenu(QStringLiteral("選項 (&O)"));
    settingsItem = item(options, QStringLiteral("設置"), [this] { emit settingsRequested(); });

    QMenu* view = bar->addMenu(QStringLiteral("檢閱 (&V)"));
    zoomInItem = view->addAction(QStringLiteral("向前展開"));
    zoomOutItem = view->addAction(QStringLiteral("向後收縮"));
    olderItem = view->addAction(QStringLiteral("段前移"));
    newerItem = view->addAction(QStringLiteral("段後移"));

    QMenu* operate = bar->addMenu(QStringLiteral("操作 (&R)"));
    startItem = item(operate, QStringLiteral("啟動記錄"), [this] { control_.Start(); });
    stopItem = item(operate, QStringLiteral("停止記錄"), [this] { control_.Stop(); });

    QMenu* exports = bar->addMenu(QStringLiteral("匯出(&E)"));
    exportCsvItem = item(exports, QStringLiteral("匯出CSV檔案…"), [this] { control_.ExportCsv(); });
    exportPngItem = item(exports, QStringLiteral("儲存圖表為PNG…"),
                         [this] { control_.ExportPng(chartImage()); });
}

void TRecordForm::buildToolBar()
{
    QToolBar* tools = addToolBar(QStringLiteral("記錄工具列"));
    tools->setMovable(false);
    tools->setIconSize(QSize(32, 32));
    auto button = [this, tools](Glyph glyph, const QString& tip, const QString& name) {
        auto* b = new QToolButton(tools);
        b->setObjectName(name);
        b->setIcon(GlyphIcon(glyph, GlyphLook::RecordToolBar));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        tools->addWidget(b);
        return b;
    };
    SeSkinSpeedButton1 = button(Glyph::Open, QStringLiteral("打開舊檔"),
                                QStringLiteral("SeSkinSpeedButton1"));
    SeSkinSpeedButton12 = button(Glyph::Create, QStringLiteral("建立新檔"),
                                 QStringLiteral("SeSkinSpeedButton12"));
    SeSkinSpeedButton3 = button(Glyph::Print, QStringLiteral("列印記錄報告"),
                                QStringLiteral("SeSkinSpeedButton3"));
    tools->addSeparator();
    SeSkinSpeedButton4 = button(Glyph::Settings, QStringLiteral("記錄設置"),
                                QStringLiteral("SeSkinSpeedButton4"));
    tools->addSeparator();
    SeSkinSpeedButton5 = button(Glyph::StartRecording, QStringLiteral("啟動記錄"),
                                QStringLiteral("SeSkinSpeedButton5"));
    SeSkinSpeedButton6 = button(Glyph::Stop, QStringLiteral("停止記錄"),
                                QStringLiteral("SeSkinSpeedButton6"));
    tools->addSeparator();
    SeSkinSpeedButton11 = new QToolButton(tools);
    SeSkinSpeedButton11->setObjectName(QStringLiteral("SeSkinSpeedButton11"));
    SeSkinSpeedButton11->setToolTip(QStringLiteral("切換記錄／查閱"));
    SeSkinSpeedButton11->setAutoRaise(true);
    tools->addWidget(SeSkinSpeedButton11);
    SeSkinSpeedButton9 = button(Glyph::Newer, QStringLiteral("段後移"),
                                QStringLiteral("SeSkinSpeedButton9"));
    SeSkinSpeedButton10 = button(Glyph::Older, QStringLiteral("段前移"),
                                 QStringLiteral("SeSkinSpeedButton10"));
    SeSkinSpeedButton7 = button(Glyph::ZoomOut, QStringLiteral("向後收縮"),
                                QStringLiteral("SeSkinSpeedButton7"));
    SeSkinSpeedButton8 = button(Glyph::ZoomIn, QStringLiteral("向前展開"),
                                QStringLiteral("SeSkinSpeedButton8"));
    tools->addSeparator();
    exportCsvButton = button(Glyph::ExportCsv, QStringLiteral("匯出CSV檔案…"),
                             QStringLiteral("exportCsvButton"));
    exportPngButton = button(Glyph::ExportPng, QStringLiteral("儲存圖表為PNG…"),
                             QStringLiteral("exportPngButton"));
    connect(exportCsvButton, &QToolButton::clicked, this, [this] { control_.ExportCsv(); });
    connect(exportPngButton, &QToolButton::clicked, this,
            [this] { control_.ExportPng(chartImage()); });

    connect(SeSkinSpeedButton1, &QToolButton::clicked, this, [this] { control_.OpenFile(); });
    connect(SeSkinSpeedButton12, &QToolButton::clicked, this, [this] { control_.CreateFile(); });
    connect(SeSkinSpeedButton3, &QToolButton::clicked, this, [this] {
        shared_.ReportKind = 1;
        emit recordReportRequested();
    });
    connect(SeSkinSpeedButton4, &QToolButton::clicked, this, [this] { emit settingsRequested(); });
    connect(SeSkinSpeedButton5, &QToolButton::clicked, this, [this] { control_.Start(); });
    connect(SeSkinSpeedButton6, &QToolButton::clicked, this, [this] { control_.Stop(); });
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
        {u"採樣步長：", 90, Qt::AlignLeft},       {u"存儲間隔時間：", 120, Qt::AlignLeft},
        {u"開始：", 140, Qt::AlignLeft},          {u"結束：", 140, Qt::AlignLeft},
        {u"記錄長度：", 90, Qt::AlignLeft},       {u"模式：記錄", 70, Qt::AlignLeft},
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

QWidget* TRecordForm::buildChartGroup()
{
    auto* group = new QGroupBox(QStringLiteral(" 記錄波形 "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(5, 16, 5, 5);

    auto* panel = new QFrame(group);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(4); // two lowered bevels of 2 pixels each
    groupLayout->addWidget(panel);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(0);

    auto* penStrip = new QWidget(panel);
    penStrip->setFixedWidth(kPenStripWidth);
    penStrip->setAutoFillBackground(true);
    QPalette white = penStrip->palette();
    white.setColor(QPalette::Window, Qt::white);
    penStrip->setPalette(white);
    for (int k = 0; k < 6; ++k) {
        penImages[k] = new QLabel(penStrip);
        penImages[k]->setObjectName(QStringLiteral("Image%1").arg(k + 1));
        penImages[k]->setGeometry(0, 0, 25, 14);
    }
    Pic4 = new ImageView(chartSurface_, panel);
    Pic4->setObjectName(QStringLiteral("Pic4"));
    Pic4->setMouseTracking(true);
    // The chart is drawn again whenever its size changes, once the layout
    // has placed it.
    Pic4->onResize = [this] {
        placeOverlays();
        DrawRecordChart();
    };
    Pic4->onMouseMove = [this](QPoint at) { Pic4MouseMove(at.x()); };
    Pic4->onDoubleClick = [this] { Pic4DblClick(); };
    Pic5 = new ImageView(rulerSurface_, panel);
    Pic5->setObjectName(QStringLiteral("Pic5"));
    Pic5->setFixedWidth(kRulerWidth);
    SeSkinScrollBar1 = new QScrollBar(Qt::Horizontal, panel);
    SeSkinScrollBar1->setObjectName(QStringLiteral("SeSkinScrollBar1"));
    SeSkinScrollBar1->setRange(0, 450);
    SeSkinScrollBar1->setFixedHeight(17);

    grid->addWidget(penStrip, 0, 0);
    grid->addWidget(Pic4, 0, 1);
    grid->addWidget(Pic5, 0, 2);
    grid->addWidget(SeSkinScrollBar1, 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);

    // Laid over the chart; placed on every resize.
    TrackBar1 = new QSlider(Qt::Horizontal, panel);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 150);
    TrackBar1->setValue(150);
    TrackBar1->hide();
    SeSkinButton19 = new QToolButton(panel);
    SeSkinButton19->setObjectName(QStringLiteral("SeSkinButton19"));
    SeSkinButton19->setIcon(GlyphIcon(Glyph::Range, GlyphLook::RecordToolBar));
    SeSkinButton19->setToolTip(RangePanelText(0).trimmed());
    SeSkinButton19->setFixedSize(20, 20);
    iLedArrow1 = new QWidget(panel);
    iLedArrow1->setObjectName(QStringLiteral("iLedArrow1"));
    iLedArrow1->setFixedSize(9, 9);
    iLedArrow1->setAutoFillBackground(true);
    QPalette aqua = iLedArrow1->palette();
    aqua.setColor(QPalette::Window, QColor(0, 255, 255));
    iLedArrow1->setPalette(aqua);
    iLedArrow1->setMask(QRegion(QPolygon({QPoint(0, 0), QPoint(9, 0), QPoint(4, 9)})));
    iLedArrow1->move(29, 4);
    return group;
}

QWidget* TRecordForm::buildParameterGroup()
{
    auto* group = new QGroupBox(QStringLiteral(" 參數 "));
    group->setFixedHeight(126);

    auto* readout = new QFrame(group);
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
        auto* panel = new QFrame(group);
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
        tagColours.setColor(QPalette::WindowText, kChannels[c].text);
        tag->setPalette(tagColours);
        label(c + 7, panel, QString(), {32, 8})->setFixedWidth(62);
        label(c + 13, panel, QStringLiteral("Value："), {95, 8})->setFixedWidth(110);

        const std::array<Glyph, 3> glyphs{Glyph::ScaleUp, Glyph::ScaleDown,
                                                Glyph::ShowHide};
        for (int b = 0; b < 3; ++b) {
            const int number = kChannelButtons[c][b];
            auto* button = new QToolButton(panel);
            button->setObjectName(QStringLiteral("SeSkinButton%1").arg(number));
            button->setIcon(GlyphIcon(glyphs[b], GlyphLook::RecordToolBar));
            button->setGeometry(208 + 28 * b, 1, 28, 28);
            channelButtons[number - 1] = button;
        }
    }
    return group;
}

void TRecordForm::loadPenImages()
{
    const QDir penData(QDir(programFolder_).filePath(QStringLiteral("PenData")));
    for (int k = 0; k < 6; ++k) {
        // PNG pictures under ".dat": the reader goes by their content.
        QImageReader reader(penData.filePath(QString::fromLatin1(kChannels[k].pen)));
        reader.setDecideFormatFromContent(true);
        const QImage image = reader.read();
        if (!image.isNull())
            penImages[k]->setPixmap(QPixmap::fromImage(image));
    }
}

void TRecordForm::showViewGlyph(int viewMode)
{
    const QDir penData(QDir(programFolder_).filePath(QStringLiteral("PenData")));
    QImageReader reader(penData.filePath(viewMode == 0 ? QStringLiteral("12.dat")
                                                       : QStringLiteral("13.dat")));
    reader.setDecideFormatFromContent(true);
    const QImage glyph = reader.read();
    SeSkinSpeedButton11->setIcon(QIcon(QPixmap::fromImage(glyph)));
}

bool TRecordForm::penImageLoaded(int channel) const
{
    return !penImages[channel]->pixmap().isNull();
}

void TRecordForm::applyCommandStates(const RecordCommandStates& s)
{
    SeSkinSpeedButton5->setEnabled(s.startButton);
    SeSkinSpeedButton6->setEnabled(s.stopButton);
    SeSkinSpeedButton4->setEnabled(s.settingsButton);
    startItem->setEnabled(s.startItem);
    stopItem->setEnabled(s.stopItem);
    settingsItem->setEnabled(s.settingsItem);
}

void TRecordForm::setCaptions(const std::array<std::int32_t, 6>& codes)
{
    for (int c = 0; c < 6; ++c)
        labels[6 + c]->setText(QuantityCaption(codes[c]));
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
        saveNotice_ = QStringLiteral("記錄檔案已恢復儲存（%1 起失敗，%2 恢復）。")
                          .arg(saveFailedAt_, now);
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

QString TRecordForm::channelCaption(int channel) const
{
    return labels[6 + channel]->text();
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
    placeOverlays();
    DrawRecordChart();
}

// The range button sits at the lower left of the ruler, the zoom track bar
// over the top of the chart.
void TRecordForm::placeOverlays()
{
    QWidget* panel = Pic4->parentWidget();
    SeSkinButton19->move(Pic5->x() + 1, panel->height() - 36);
    TrackBar1->setGeometry(29, 4, std::max(0, panel->width() - 81), TrackBar1->height());
}

QSize TRecordForm::chartSize() const
{
    return {std::max(1, Pic4->width()), std::max(1, Pic4->height())};
}

// Draws on the off-screen surfaces, which the paint boxes then copy; a chart
// larger than the surfaces shows only their part.
void TRecordForm::DrawRecordChart()
{
    const QSize size = chartSize();
    control_.browser().setChartWidth(size.width());
    RecordChartFacts facts;
    {
        QPainter chartPainter(&chartSurface_);
        QPainter rulerPainter(&rulerSurface_);
        PainterCanvas chart(chartPainter);
        PainterCanvas ruler(rulerPainter);
        const ChartColors colors{QColor::fromRgb(shared_.ChartBackColor),
                                 QColor::fromRgb(shared_.ChartGridColor)};
        facts = ::DrawRecordChart(record_, chart, ruler, size.width(), size.height(), colors);
    }
    if (facts.dataDrawn) {
        statusPanels_[0]->setText(ZoomPanelText(facts));
        statusPanels_[2]->setText(StartPanelText(facts));
        statusPanels_[3]->setText(EndPanelText(facts));
        statusPanels_[4]->setText(LengthPanelText(facts));
    }
    for (int c = 0; c < 6; ++c) {
        if (facts.penTops[c])
            penImages[c]->move(0, *facts.penTops[c]);
    }
    Pic4->update();
    Pic5->update();
}

QImage TRecordForm::chartImage() const
{
    const QSize size = chartSize();
    return ComposeRecordChartImage(chartSurface_, rulerSurface_, size.width(), size.height());
}

void TRecordForm::connectBrowsing()
{
    auto both = [this](QAction* item, QToolButton* button, auto command) {
        connect(item, &QAction::triggered, this, [this, command] { browse(command); });
        connect(button, &QToolButton::clicked, this, [this, command] { browse(command); });
    };
    both(zoomInItem, SeSkinSpeedButton8, [](RecordBrowser& r) { r.ZoomIn(); });
    both(zoomOutItem, SeSkinSpeedButton7, [](RecordBrowser& r) { r.ZoomOut(); });
    both(olderItem, SeSkinSpeedButton10, [](RecordBrowser& r) { r.PageOlder(); });
    both(newerItem, SeSkinSpeedButton9, [](RecordBrowser& r) { r.PageNewer(); });
    connect(SeSkinSpeedButton11, &QToolButton::clicked, this, [this] {
        control_.SwitchView();
        syncBrowseControls();
    });
    connect(SeSkinScrollBar1, &QScrollBar::valueChanged, this, [this](int position) {
        if (!syncing_)
            browse([position](RecordBrowser& r) { r.ScrollMoved(position); });
    });
    connect(TrackBar1, &QSlider::valueChanged, this, [this](int position) {
        if (!syncing_)
            browse([position](RecordBrowser& r) { r.TrackMoved(position); });
    });
    connect(SeSkinButton19, &QToolButton::clicked, this, [this] {
        browse([](RecordBrowser& r) { r.CycleRange(); });
        statusPanels_[6]->setText(RangePanelText(record_.RangeMode));
        SeSkinButton19->setToolTip(RangePanelText(record_.RangeMode).trimmed());
    });
    for (int c = 0; c < 6; ++c) {
        connect(channelButtons[kChannelButtons[c][0] - 1], &QToolButton::clicked, this,
                [this, c] { browse([c](RecordBrowser& r) { r.ScaleUp(c); }); });
        connect(channelButtons[kChannelButtons[c][1] - 1], &QToolButton::clicked, this,
                [this, c] { browse([c](RecordBrowser& r) { r.ScaleDown(c); }); });
        connect(channelButtons[kChannelButtons[c][2] - 1], &QToolButton::clicked, this,
                [this, c] {
                    browse([c](RecordBrowser& r) { r.ToggleChannel(c); });
                    const bool visible = record_.ChannelVisible[c];
                    labels[c]->setEnabled(visible);
                    labels[6 + c]->setEnabled(visible);
                    labels[12 + c]->setEnabled(visible);
                    penImages[c]->setVisible(visible);
                });
    }
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
    SeSkinScrollBar1->setValue(s.scrollPosition);
    TrackBar1->setValue(s.trackPosition);
    syncing_ = false;
    zoomInItem->setEnabled(s.zoomIn);
    SeSkinSpeedButton8->setEnabled(s.zoomIn);
    zoomOutItem->setEnabled(s.zoomOut);
    SeSkinSpeedButton7->setEnabled(s.zoomOut);
    olderItem->setEnabled(s.older);
    SeSkinSpeedButton10->setEnabled(s.older);
    newerItem->setEnabled(s.newer);
    SeSkinSpeedButton9->setEnabled(s.newer);
    for (int c = 0; c < 6; ++c) {
        channelButtons[kChannelButtons[c][0] - 1]->setEnabled(s.scaleUp[c]);
        channelButtons[kChannelButtons[c][1] - 1]->setEnabled(s.scaleDown[c]);
    }
}

// The arrow points at the cursor's column; the read-out shows the sample
// drawn in it.
void TRecordForm::Pic4MouseMove(int x)
{
    iLedArrow1->move(Pic4->x() - 4 + x, iLedArrow1->y());
    control_.browser().setChartWidth(chartSize().width());
    const std::optional<int> idx = control_.browser().ReadoutIndex(x);
    if (!idx)
        return;
    const RecordView view = CurrentView(record_);
    const double time = view.timestamps[*idx];
    labels[18]->setText(QStringLiteral("日期：") + RecordDateText(time));
    labels[19]->setText(QStringLiteral("時間：") + RecordTimeText(time));
    for (int c = 0; c < 6; ++c)
        labels[12 + c]->setText(ReadoutValueText(view.channels[c][*idx]));
}

void TRecordForm::Pic4DblClick()
{
    TrackBar1->setVisible(TrackBar1->isHidden());
    TrackBar1->raise();
}
