#include "measurementview.h"

#include "harmonicchart.h"
#include "measurementrecord.h"
#include "paintercanvas.h"
#include "wavechart.h"

#include <QPainter>

namespace {

QImage BlankSurface(QSize screenSize)
{
    QImage surface(screenSize.width() / 2, screenSize.height() / 2, QImage::Format_RGB32);
    surface.fill(Qt::black);
    return surface;
}

} // namespace

DisplaySurfaces::DisplaySurfaces(QSize screenSize)
    : WaveSurface(BlankSurface(screenSize)), UHarmonicSurface(BlankSurface(screenSize)),
      IHarmonicSurface(BlankSurface(screenSize)),
      DisplayRect(0, 0, screenSize.width(), screenSize.height())
{
}

PanelTexts DrawMeasurementView(MeasurementRecord& record, DisplaySurfaces& surfaces, QSize chartBox,
                               const ChartColors& colors)
{
    PanelTexts texts = FormatPanelTexts(record);

    surfaces.DisplayRect = QRect(QPoint(0, 0), chartBox);
    const CanvasRect area = CanvasRect::FromQRect(surfaces.DisplayRect);
    const ChartGeometry g = MeasureChartBox(chartBox.width(), chartBox.height());
    {
        QPainter painter(&surfaces.WaveSurface);
        PainterCanvas canvas(painter);
        DrawWaveChart(canvas, record, g, area, colors);
    }
    {
        QPainter painter(&surfaces.UHarmonicSurface);
        PainterCanvas canvas(painter);
        DrawHarmonicChart(canvas, record.UHarmonic, kVoltageBarColor, g, area, colors);
    }
    {
        QPainter painter(&surfaces.IHarmonicSurface);
        PainterCanvas canvas(painter);
        DrawHarmonicChart(canvas, record.IHarmonic, kCurrentBarColor, g, area, colors);
    }
    return texts;
}

void CopySurface(QPainter& painter, const QImage& surface, const QRect& displayRect)
{
    const QRect copied = displayRect.intersected(surface.rect());
    if (!copied.isEmpty())
        painter.drawImage(copied.topLeft(), surface, copied);
}
