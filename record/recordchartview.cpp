#include "recordchartview.h"

#include "glyphs.h"
#include "paintercanvas.h"
#include "recordbrowser.h"
#include "recordchart.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The off-screen chart surface is as large as any screen the window meets;
// the ruler beside it is 50 pixels wide whatever the screen.
constexpr int kSurfaceWidth = 2400;
constexpr int kSurfaceHeight = 1600;
constexpr int kRulerWidth = 50;
constexpr int kPenStripWidth = 25;

// The pen image beside the chart, channel by channel.
const std::array<const char*, 6> kPens{"green.dat",  "red.dat",    "blue.dat",
                                       "maroon.dat", "yellow.dat", "red2.dat"};

} // namespace

RecordChartView::RecordChartView(const QString& programFolder, QWidget* parent)
    : QGroupBox(QStringLiteral(" 記錄波形 "), parent),
      chartSurface_(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32),
      rulerSurface_(kRulerWidth, kSurfaceHeight, QImage::Format_RGB32)
{
    // Only the part of the chart surface the chart shows is ever drawn (and
    // so only that part takes memory); the chart is drawn before it is shown.
    rulerSurface_.fill(Qt::white);
    auto* groupLayout = new QVBoxLayout(this);
    groupLayout->setContentsMargins(5, 16, 5, 5);

    auto* panel = new QFrame(this);
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
    loadPenImages(programFolder);
}

void RecordChartView::loadPenImages(const QString& programFolder)
{
    const QDir penData(QDir(programFolder).filePath(QStringLiteral("PenData")));
    for (int k = 0; k < 6; ++k) {
        // PNG pictures under ".dat": the reader goes by their content.
        QImageReader reader(penData.filePath(QString::fromLatin1(kPens[k])));
        reader.setDecideFormatFromContent(true);
        const QImage image = reader.read();
        if (!image.isNull())
            penImages[k]->setPixmap(QPixmap::fromImage(image));
    }
}

bool RecordChartView::penImageLoaded(int channel) const
{
    return !penImages[channel]->pixmap().isNull();
}

void RecordChartView::showPen(int channel, bool visible)
{
    penImages[channel]->setVisible(visible);
}

void RecordChartView::placeOverlays()
{
    QWidget* panel = Pic4->parentWidget();
    SeSkinButton19->move(Pic5->x() + 1, panel->height() - 36);
    TrackBar1->setGeometry(29, 4, std::max(0, panel->width() - 81), TrackBar1->height());
}

QSize RecordChartView::chartSize() const
{
    return {std::max(1, Pic4->width()), std::max(1, Pic4->height())};
}

// Draws on the off-screen surfaces, which the image views then copy; a
// chart larger than the surfaces shows only their part.
RecordChartFacts RecordChartView::draw(RecordState& record, const ChartColors& colors)
{
    const QSize size = chartSize();
    RecordChartFacts facts;
    {
        QPainter chartPainter(&chartSurface_);
        QPainter rulerPainter(&rulerSurface_);
        PainterCanvas chart(chartPainter);
        PainterCanvas ruler(rulerPainter);
        facts = ::DrawRecordChart(record, chart, ruler, size.width(), size.height(), colors);
    }
    for (int c = 0; c < 6; ++c) {
        if (facts.penTops[c])
            penImages[c]->move(0, *facts.penTops[c]);
    }
    Pic4->update();
    Pic5->update();
    return facts;
}

QImage RecordChartView::chartImage() const
{
    const QSize size = chartSize();
    return ComposeRecordChartImage(chartSurface_, rulerSurface_, size.width(), size.height());
}

void RecordChartView::pointAt(int x)
{
    iLedArrow1->move(Pic4->x() - 4 + x, iLedArrow1->y());
}

void RecordChartView::toggleTrackBar()
{
    TrackBar1->setVisible(TrackBar1->isHidden());
    TrackBar1->raise();
}
