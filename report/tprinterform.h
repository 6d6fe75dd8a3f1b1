#pragma once

#include "canvas.h"
#include "inifile.h"
#include "reportpages.h"

#include <QDialog>
#include <QImage>
#include <QPrinter>

#include <QDateTime>

#include <functional>

struct RecordReportSource;
class QScrollArea;
class QToolButton;
class QWidget;
class UserDialogs;
struct MeasurementRecord;
struct ReportState;

// The system's printer set-up dialog on `printer`: true when the user
// accepted, and then the printer carries the chosen printer, paper and
// orientation. Tests answer it without a window.
using PrinterSetupDialog = std::function<bool(QPrinter& printer, QWidget* parent)>;
PrinterSetupDialog SystemPrinterSetupDialog();

// "PrinterForm": the report preview with its tool panel. The preview page is
// drawn once per build into `PreviewPage`; painting and scrolling only copy
// it. Printing goes to the current printer with its current settings; until
// the user chooses in "印表機設置", the sheet lies as the report's layout
// is designed (record report landscape, analysis report portrait).
class TPrinterForm : public QDialog {
    Q_OBJECT
public:
    TPrinterForm(ReportState& report, const MeasurementRecord& record, IniFile enterInfo,
                 UserDialogs& dialogs, PrinterSetupDialog printerSetup, QWidget* parent = nullptr);

    // Draws the report chosen by ReportKind from the data of this moment.
    void BuildPreview();
    // "列印      ". Without a printer it says so and offers the PDF instead.
    void Print();
    // "儲存PDF": the page as a PDF file, on the current paper and sheet.
    void SaveAsPdf();
    // "印表機設置".
    void SetUpPrinter();
    // Back to the top of the page (after the report information is saved).
    void ScrollToTop();

    const QImage& PreviewPage() const { return PreviewPage_; }
    QSize PageSize() const { return {pageWidth_, pageHeight_}; }
    QPrinter& Printer() { return printer_; }
    QScrollArea* Rongqi() const { return Rongqi_; }
    QToolButton* Button(int n) const { return buttons_[n]; } // 0 輸入資料, 1 印表機設置, 2 列印
    QToolButton* SaveButton() const { return saveButton_; } // 儲存PDF

    // Where the record report takes the record window's chart, captions and
    // status from at the moment of each build and print.
    void setRecordReportSource(std::function<RecordReportSource()> source);
    // What the record report would take now (nothing set: an empty source).
    RecordReportSource recordReportSource() const;
    // The harmonic limits page as its view would draw it at this moment.
    void setHarmonicLimitsReportSource(std::function<ReportDocument(const ReportInfo&)> source);
    // When the measurement in memory was taken, for the analysis report's
    // header (invalid or unset: not stated).
    void setMeasurementTimeSource(std::function<QDateTime()> source);
    // The sheet's orientation a print or PDF of the current report uses.
    QPageLayout::Orientation ReportOrientation() const;

signals:
    // "輸入資料".
    void enterInfoRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ReportDocument currentReport(const ReportInfo& info) const;
    // Lays the printer's sheet as the current report is designed unless the
    // user chose an orientation.
    void applyReportOrientation();

    ReportState& report_;
    const MeasurementRecord& record_;
    IniFile enterInfo_;
    UserDialogs& dialogs_;
    PrinterSetupDialog printerSetup_;
    QPrinter printer_{QPrinter::HighResolution};
    QImage PreviewPage_;
    // What the drawing left on the page's device context, carried into the
    // next build as the classic off-screen surface would keep it.
    CanvasState pageState_;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    QScrollArea* Rongqi_ = nullptr;
    QWidget* image1_ = nullptr;
    QWidget* image_di_ = nullptr;
    QWidget* content_ = nullptr;
    QToolButton* buttons_[3] = {};
    QToolButton* saveButton_ = nullptr;
    std::function<RecordReportSource()> recordSource_;
    std::function<QDateTime()> measurementTime_;
    std::function<ReportDocument(const ReportInfo&)> limitsSource_;
    bool orientationChosen_ = false; // "印表機設置" was accepted in this run
    QString saveFolder_;             // the folder of the last PDF saved in this run
};
