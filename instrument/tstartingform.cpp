#include "tstartingform.h"

#include "chartbox.h"
#include "imageview.h"
#include "linkstate.h"
#include "logchart.h"
#include "logexport.h"
#include "paintercanvas.h"
#include "responsedispatcher.h"
#include "toolbuttons.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr int kTopPanelHeight = 65;
constexpr int kStatusPanelWidth = 200;
// Once the paint box outgrows its first surface, the surface covers the
// screen, and at least this.
constexpr QSize kLeastSurface(2400, 1600);

} // namespace

TStartingForm::TStartingForm(LinkState& link, ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                             ColorSource colors, QSize screenSize, QWidget* parent)
    : QDialog(parent), link_(link), dialogs_(dialogs), colors_(std::move(colors)),
      screenSize_(screenSize), arming_(link, dispatcher, dialogs)
{
    setWindowTitle(QStringLiteral("啟動測量"));
    resize(810, 613);

    auto* panel = new QWidget;
    panel->setFixedHeight(kTopPanelHeight);
    buildTopPanel(panel);

    StartingPic = new ImageView(surface_, this);
    StartingPic->setMouseTracking(true);
    StartingPic->setMinimumSize(1, 1);
    StartingPic->onResize = [this] { DrawLogChart(); };
    // The mouse over the chart leaves the range lists.
    StartingPic->onMouseEnter = [this] { enableRangeLists(false, false); };
    StartingPic->onMouseMove = [this](QPoint) { enableRangeLists(false, false); };

    StatusBar1 = new QStatusBar;
    StatusBar1->setSizeGripEnabled(false);
    statusPanel_ = new QLabel(QStringLiteral("Quorvane"));
    statusPanel_->setFixedWidth(kStatusPanelWidth);
    StatusBar1->addWidget(statusPanel_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(StartingPic, 1);
    layout->addWidget(StatusBar1);
    // Tab runs through the buttons left to right.
    QWidget* order[] = {SaveButton,        StartButton,   ScrollLeftButton,
                        ScrollRightButton, CoarserButton, FinerButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(&arming_, &LogArming::finished, this, &TStartingForm::showArmOutcome);
    connect(&dispatcher, &ResponseDispatcher::logProgress, this, &TStartingForm::showLogProgress);
    connect(&dispatcher, &ResponseDispatcher::instrumentLogComplete, this,
            &TStartingForm::DrawLogChart);

    // Creation: a log of zeros (both factors 1, every word from offset 8
    // at the zero code), zoom 1, drawn.
    const float one = 1.0f;
    std::memcpy(link_.InstrumentLog.data(), &one, 4);
    std::memcpy(link_.InstrumentLog.data() + 4, &one, 4);
    for (std::size_t i = 8; i + 1 < link_.InstrumentLog.size(); i += 2) {
        link_.InstrumentLog[i] = kLogZeroCode & 0xFF;
        link_.InstrumentLog[i + 1] = kLogZeroCode >> 8;
    }
    view_.LogZoom = 1;
    // Laid out now, so that the creation drawing has the paint box's size.
    layout->activate();
    DrawLogChart();
}

void TStartingForm::coverPaintBox()
{
    // A surface of the screen's size is some 15 MB; a log window that is
    // never opened keeps one of its paint box's size instead. The first time
    // the box outgrows it, the surface takes the screen's size, so that
    // resizing further needs no new one.
    const QSize box = StartingPic->size();
    if (!surface_.isNull() && surface_.width() >= box.width() && surface_.height() >= box.height())
        return;
    const QSize size =
        surface_.isNull() ? box : box.expandedTo(screenSize_).expandedTo(kLeastSurface);
    surface_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    surface_.fill(Qt::black);
}

void TStartingForm::buildTopPanel(QWidget* panel)
{
    VoltageGroup = new QGroupBox(QStringLiteral("電壓量程"));
    VoltageRange = new QComboBox;
    VoltageRange->addItems({QStringLiteral("300V"), QStringLiteral("150V"), QStringLiteral("75V"),
                            QStringLiteral("25V")});
    CurrentGroup = new QGroupBox(QStringLiteral("電流量程"));
    CurrentRange = new QComboBox;
    CurrentRange->addItems({QStringLiteral("4 (大)"), QStringLiteral("3"), QStringLiteral("2"),
                            QStringLiteral("1 (小)")});
    for (auto [group, list] :
         {std::pair{VoltageGroup, VoltageRange}, std::pair{CurrentGroup, CurrentRange}}) {
        list->setCurrentIndex(0);
        list->setEnabled(false);
        auto* box = new QHBoxLayout(group);
        box->setContentsMargins(6, 2, 6, 4);
        box->addWidget(list);
        group->setMouseTracking(true);
        group->installEventFilter(this);
    }
    VoltageGroup->setToolTip(QStringLiteral("Alt+V：選擇電壓量程"));
    CurrentGroup->setToolTip(QStringLiteral("Alt+I：選擇電流量程"));
    // The keyboard's way to the lists, which the mouse enables by hovering.
    auto* voltageKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_V), this);
    connect(voltageKey, &QShortcut::activated, this, [this] {
        enableRangeLists(true, false);
        VoltageRange->setFocus();
    });
    auto* currentKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_I), this);
    connect(currentKey, &QShortcut::activated, this, [this] {
        enableRangeLists(false, true);
        CurrentRange->setFocus();
    });

    SaveButton = new QPushButton(QStringLiteral("儲存"));
    StartButton = new QPushButton(QStringLiteral("啟動"));
    for (QPushButton* button : {SaveButton, StartButton}) {
        button->setAutoDefault(false); // Return does not press them; Space does
        button->setFocusPolicy(Qt::StrongFocus);
    }
    // Name (none), picture, tip, command, and where the window keeps the button.
    const ToolButtonRow pictureButtons[] = {
        {{},
         Glyph::Left,
         QStringLiteral("向左捲動"),
         [this] { ScrollLeftClick(); },
         &ScrollLeftButton},
        {{},
         Glyph::Right,
         QStringLiteral("向右捲動"),
         [this] { ScrollRightClick(); },
         &ScrollRightButton},
        {{},
         Glyph::ZoomOut,
         QStringLiteral("縮小（加大樣本步長）"),
         [this] { CoarserClick(); },
         &CoarserButton},
        {{},
         Glyph::ZoomIn,
         QStringLiteral("放大（減小樣本步長）"),
         [this] { FinerClick(); },
         &FinerButton},
    };
    for (const ToolButtonRow& row : pictureButtons) {
        QToolButton* button = MakeToolButton(row, GlyphLook::PictureButton);
        button->setIconSize(QSize(24, 24));
        button->setFocusPolicy(Qt::StrongFocus);
    }

    connect(SaveButton, &QPushButton::clicked, this, &TStartingForm::SaveClick);
    connect(StartButton, &QPushButton::clicked, this, &TStartingForm::StartClick);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(VoltageGroup);
    row->addWidget(CurrentGroup);
    QWidget* order[] = {SaveButton,        StartButton,   ScrollLeftButton,
                        ScrollRightButton, CoarserButton, FinerButton};
    for (QWidget* w : order)
        row->addWidget(w);
    row->addStretch(1);
}

void TStartingForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    StartButton->setFocus();
}

bool TStartingForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (watched == VoltageGroup)
            VoltageRange->setEnabled(true);
        else if (watched == CurrentGroup)
            CurrentRange->setEnabled(true);
    }
    return QDialog::eventFilter(watched, event);
}

void TStartingForm::enableRangeLists(bool voltage, bool current)
{
    VoltageRange->setEnabled(voltage);
    CurrentRange->setEnabled(current);
}

void TStartingForm::DrawLogChart()
{
    const ChartColors colors = colors_ ? colors_() : ChartColors{};
    LogChartInput input;
    input.log = link_.InstrumentLog;
    input.scroll = view_.LogScroll;
    input.zoom = view_.LogZoom;
    input.width = StartingPic->width();
    input.height = StartingPic->height();
    coverPaintBox();
    input.fillSize = screenSize_.boundedTo(surface_.size());
    input.ChartBackColor = colors.ChartBackColor;
    input.ChartGridColor = colors.ChartGridColor;
    {
        QPainter painter(&surface_);
        PainterCanvas canvas(painter);
        ::DrawLogChart(canvas, input);
    }
    ++drawCount_;
    StartingPic->update();
    emit chartDrawn();
}

void TStartingForm::StartClick()
{
    arming_.Start(VoltageRange->currentIndex(), CurrentRange->currentIndex());
}

void TStartingForm::SaveClick()
{
    ExportLog(dialogs_, surface_, StartingPic->width(), StartingPic->height(), link_.InstrumentLog);
}

void TStartingForm::applyView()
{
    ScrollLeftButton->setEnabled(view_.scrollLeftEnabled);
    ScrollRightButton->setEnabled(view_.scrollRightEnabled);
    CoarserButton->setEnabled(view_.coarserEnabled);
    FinerButton->setEnabled(view_.finerEnabled);
    DrawLogChart();
}

void TStartingForm::ScrollLeftClick()
{
    view_.ScrollLeft();
    applyView();
}

void TStartingForm::ScrollRightClick()
{
    view_.ScrollRight();
    applyView();
}

void TStartingForm::CoarserClick()
{
    view_.Coarser();
    applyView();
}

void TStartingForm::FinerClick()
{
    view_.Finer();
    applyView();
}

QString TStartingForm::statusText() const
{
    return statusPanel_->text();
}

void TStartingForm::setStatus(const QString& text)
{
    statusPanel_->setText(text);
    emit statusShown(text);
}

void TStartingForm::disableStart()
{
    startHadFocus_ = focusWidget() == StartButton;
    StartButton->setEnabled(false); // Qt moves the focus on to the next button
    focusLeftFor_ = focusWidget();
}

void TStartingForm::enableStart()
{
    StartButton->setEnabled(true);
    // The focus goes back unless the user has put it somewhere else since.
    if (startHadFocus_ && focusWidget() == focusLeftFor_.data())
        StartButton->setFocus(Qt::OtherFocusReason);
    startHadFocus_ = false;
    focusLeftFor_ = nullptr;
}

void TStartingForm::showArmOutcome(ArmOutcome outcome)
{
    if (outcome == ArmOutcome::Sent)
        setStatus(QStringLiteral("發送測量指令"));
    else if (outcome == ArmOutcome::SendFailed)
        setStatus(QStringLiteral("啟動測量失敗"));
}

void TStartingForm::showLogProgress(LogProgress stage, int chunk)
{
    switch (stage) {
    case LogProgress::Triggered:
        // No new arm while the chunks are fetched.
        disableStart();
        setStatus(QStringLiteral("觸發成功，正在提取數據包"));
        break;
    case LogProgress::ChunkRequested:
        setStatus(QStringLiteral("正在提取第%1數據組合").arg(chunk));
        break;
    case LogProgress::Complete:
        enableStart();
        setStatus(QStringLiteral("完成測量"));
        break;
    case LogProgress::Failed:
        enableStart();
        setStatus(QStringLiteral("第%1數據組合提取失敗").arg(chunk));
        break;
    }
}
