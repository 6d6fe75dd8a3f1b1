#include "tprinterform.h"

#include "imageview.h"
#include "measurementrecord.h"
#include "paintercanvas.h"
#include "pdfexport.h"
#include "printjob.h"
#include "recordreport.h"
#include "reportinfo.h"
#include "reportstate.h"
#include "userdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kToolPanelHeight = 49;
// The scroll area is the page plus its 5-pixel offset and room for the
// vertical scroll bar: the page width comes out at 708 whatever the frame.
constexpr int kScrollAreaWidth = kPreviewPageWidth + 33;
constexpr int kClientHeight = 466;
constexpr int kScreenDotsPerMeter = 3780; // 96 dpi

void ApplyState(Canvas& canvas, const CanvasState& state)
{
    canvas.SetPen(state.pen);
    canvas.SetBrush(state.brush);
    canvas.SetFont(state.font);
    canvas.SetTextBackground(state.textBackground);
    canvas.SetTextMovesPen(state.textMovesPen);
    canvas.MoveTo(state.penPosition);
}

} // namespace

PrinterSetupDialog SystemPrinterSetupDialog()
{
    return [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dialog.exec() == QDialog::Accepted;
    };
}

TPrinterForm::TPrinterForm(ReportState& report, const MeasurementRecord& record, IniFile enterInfo,
                           UserDialogs& dialogs, PrinterSetupDialog printerSetup, QWidget* parent)
    : QDialog(parent), report_(report), record_(record), enterInfo_(std::move(enterInfo)),
      dialogs_(dialogs), printerSetup_(std::move(printerSetup))
{
    setObjectName(QStringLiteral("TPrinterForm"));
    setWindowTitle(QStringLiteral("PrinterForm"));
    setFixedSize(kScrollAreaWidth, kClientHeight);
    PrepareReportPrinter(printer_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* panel = new QWidget(this);
    panel->setFixedHeight(kToolPanelHeight);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, panelPalette.color(QPalette::ToolTipBase));
    panel->setPalette(panelPalette);
    auto* tools = new QHBoxLayout(panel);
    tools->setContentsMargins(0, 1, 0, 1);
    tools->setSpacing(0);
    tools->addStretch();
    saveButton_ = new QToolButton(panel);
    saveButton_->setText(QStringLiteral("儲存PDF"));
    saveButton_->setFixedSize(82, 47);
    saveButton_->setAutoRaise(true);
    tools->addWidget(saveButton_);
    const struct {
        const char* text;
        int width;
    } specs[3] = {{"輸入資料", 92}, {"印表機設置", 82}, {"列印      ", 95}};
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = new QToolButton(panel);
        buttons_[i]->setText(QString::fromUtf8(specs[i].text));
        buttons_[i]->setFixedSize(specs[i].width, 47);
        buttons_[i]->setAutoRaise(true);
        tools->addWidget(buttons_[i]);
    }
    buttons_[2]->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    buttons_[2]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(buttons_[0], &QToolButton::clicked, this, &TPrinterForm::enterInfoRequested);
    connect(buttons_[1], &QToolButton::clicked, this, &TPrinterForm::SetUpPrinter);
    connect(buttons_[2], &QToolButton::clicked, this, &TPrinterForm::Print);
    connect(saveButton_, &QToolButton::clicked, this, &TPrinterForm::SaveAsPdf);
    layout->addWidget(panel);

    Rongqi_ = new QScrollArea(this);
    Rongqi_->setFrameShape(QFrame::NoFrame);
    Rongqi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Rongqi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Rongqi_->setWidgetResizable(false);
    QPalette gray = Rongqi_->palette();
    gray.setColor(QPalette::Window, QColor(128, 128, 128));
    Rongqi_->setPalette(gray);
    Rongqi_->setBackgroundRole(QPalette::Window);
    content_ = new QWidget;
    content_->setAutoFillBackground(true);
    content_->setPalette(gray);
    image1_ = new ImageView(PreviewPage_, content_);
    image_di_ = new QWidget(content_);
    image_di_->resize(105, 17);
    Rongqi_->setWidget(content_);
    layout->addWidget(Rongqi_);

    BuildPreview();
}

void TPrinterForm::showEvent(QShowEvent* event)
{
    BuildPreview();
    QDialog::showEvent(event);
}

void TPrinterForm::ScrollToTop()
{
    Rongqi_->verticalScrollBar()->setValue(0);
}

void TPrinterForm::setRecordReportSource(std::function<RecordReportSource()> source)
{
    recordSource_ = std::move(source);
}

RecordReportSource TPrinterForm::recordReportSource() const
{
    return recordSource_ ? recordSource_() : RecordReportSource{};
}

void TPrinterForm::setMeasurementTimeSource(std::function<QDateTime()> source)
{
    measurementTime_ = std::move(source);
}

void TPrinterForm::setHarmonicLimitsReportSource(
    std::function<ReportDocument(const ReportInfo&)> source)
{
    limitsSource_ = std::move(source);
}

ReportDocument TPrinterForm::currentReport(const ReportInfo& info) const
{
    if (report_.ReportKind == ReportKind::HarmonicLimits && limitsSource_)
        return limitsSource_(info);
    if (report_.ReportKind == ReportKind::Analysis)
        return AnalysisReport(record_, info, measurementTime_ ? measurementTime_() : QDateTime());
    return RecordReport(recordReportSource());
}

QPageLayout::Orientation TPrinterForm::ReportOrientation() const
{
    if (orientationChosen_)
        return printer_.pageLayout().orientation();
    return report_.ReportKind == ReportKind::Record ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait;
}

void TPrinterForm::applyReportOrientation()
{
    printer_.setPageOrientation(ReportOrientation());
}

void TPrinterForm::BuildPreview()
{
    if (PreviewPage_.isNull()) {
        // The page view shows the surface from its top left corner, clipped
        // to the page, which is never larger than the portrait page: a
        // surface of that size shows the same, for a fifth of the memory of
        // a screen-wide one 2400 pixels high.
        PreviewPage_ = QImage(kPreviewPageWidth, PreviewPageHeight(kPreviewPageWidth, false),
                              QImage::Format_RGB32);
        PreviewPage_.setDotsPerMeterX(kScreenDotsPerMeter);
        PreviewPage_.setDotsPerMeterY(kScreenDotsPerMeter);
    }
    const ReportInfo info = ReadReportInfo(enterInfo_);
    ScrollToTop();

    const bool record = report_.ReportKind == ReportKind::Record;
    pageWidth_ = kPreviewPageWidth;
    pageHeight_ = PreviewPageHeight(pageWidth_, record);
    image1_->setGeometry(5, 5, pageWidth_, pageHeight_);
    image_di_->move(0, pageHeight_);
    content_->resize(pageWidth_ + 5, pageHeight_ + 17);

    {
        QPainter painter(&PreviewPage_);
        PainterCanvas canvas(painter);
        ApplyState(canvas, pageState_);
        canvas.FillRect({0, 0, PreviewPage_.width(), PreviewPage_.height()});
        SetFontSize(canvas, 20);
        DrawPreviewPage(canvas, currentReport(info), pageWidth_, pageHeight_, info);
        pageState_ = canvas.State();
    }
    image1_->update();
}

void TPrinterForm::SetUpPrinter()
{
    if (!printerSetup_)
        return;
    // The dialog opens on the sheet the report would go out on.
    applyReportOrientation();
    if (printerSetup_(printer_, this))
        orientationChosen_ = true;
}

void TPrinterForm::SaveAsPdf()
{
    const ReportInfo info = ReadReportInfo(enterInfo_);
    const ReportDocument report = currentReport(info);
    const QString offered = saveFolder_.isEmpty()
                                ? PdfFileNameFor(report.jobTitle)
                                : QDir(saveFolder_).filePath(PdfFileNameFor(report.jobTitle));
    QString path =
        dialogs_.saveFileName(QStringLiteral("儲存PDF"), QStringLiteral("PDF (*.pdf)"), offered);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".pdf");
    saveFolder_ = QFileInfo(path).absolutePath();
    const SaveResult saved =
        WriteReportPdf(path, report, info, printer_.pageLayout().pageSize(), ReportOrientation());
    if (!saved.ok())
        dialogs_.message(QStringLiteral("無法寫入檔案 ") + QDir::toNativeSeparators(path)
                             + QStringLiteral("，沒有儲存任何內容。\n") + SaveFailureReason(saved),
                         UserDialogs::Icon::Error);
}

void TPrinterForm::Print()
{
    // Without an installed printer Qt falls back to a PDF with no file name:
    // there is nowhere to print to.
    if (printer_.outputFormat() == QPrinter::PdfFormat && printer_.outputFileName().isEmpty()) {
        if (dialogs_.askYesNo(QStringLiteral("列印"),
                              QStringLiteral("找不到印表機，無法列印。要將報告儲存為PDF檔案嗎？")))
            SaveAsPdf();
        return;
    }
    applyReportOrientation();
    const ReportInfo info = ReadReportInfo(enterInfo_);
    if (printer_.outputFormat() == QPrinter::PdfFormat) {
        // Printing to a file: the printer would write the file in place, cut
        // on a full disk and through any link, so the page is saved as
        // "儲存PDF" saves it.
        const QString path = printer_.outputFileName();
        const SaveResult saved = WriteReportPdf(
            path, currentReport(info), info, printer_.pageLayout().pageSize(), ReportOrientation());
        if (!saved.ok())
            dialogs_.message(QStringLiteral("無法寫入檔案 ") + QDir::toNativeSeparators(path)
                                 + QStringLiteral("，沒有列印任何內容。\n")
                                 + SaveFailureReason(saved),
                             UserDialogs::Icon::Error);
        return;
    }
    const PrintOutcome outcome = PrintReport(printer_, currentReport(info), info);
    if (outcome == PrintOutcome::Printed)
        return;
    QString text;
    if (outcome == PrintOutcome::NotStarted)
        text = QStringLiteral("找不到印表機或無法開始列印，沒有列印任何內容。");
    else
        text = QStringLiteral("列印失敗，沒有列印任何內容。");
    dialogs_.message(text, UserDialogs::Icon::Error);
}
