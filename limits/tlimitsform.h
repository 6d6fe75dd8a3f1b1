#pragma once

#include "harmoniclimits.h"
#include "inifile.h"
#include "limitspage.h"
#include "measurementrecord.h"

#include <QDateTime>
#include <QDialog>
#include <QImage>

class ImageView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// Where the measurement shown came from: the view keeps the highest values
// of continuous sampling only.
enum class MeasurementSource { SingleTest, ContinuousSampling, Snapshot };

// The harmonic limits window "諧波限值預檢": the measurement shown compared
// with the emission limits of the chosen class (kept in SysSet.ini, section
// "HarmonicLimits", key "Class"), as a table of orders 2-40, a bar chart of
// the percentages of the limits and the verdict with the worst order. During
// continuous sampling the highest value of each order is held until
// "重設最大值" (or a change of class) starts the hold afresh. A window of its
// own, not modal, so that sampling can be started and stopped while it shows.
class TLimitsForm : public QDialog {
    Q_OBJECT
public:
    explicit TLimitsForm(IniFile sysSet, QWidget* parent = nullptr);

    // A new measurement is shown (or an old one again, for a snapshot).
    void showMeasurement(const MeasurementRecord& record, const QDateTime& taken,
                         MeasurementSource source);
    void setEmissionClass(EmissionClass emissionClass); // saves the choice
    EmissionClass emissionClass() const { return class_; }
    void resetHold(); // "重設最大值"

    const LimitsAssessment& assessment() const { return assessment_; }
    const MaxHold& hold() const { return hold_; }
    // What the page of "列印" and "儲存PDF" shows now.
    LimitsPageContent pageContent() const;

    // The text of a table cell: row 0 the headings, row k the order k + 1.
    QString cellText(int row, int column) const;
    QString verdictText() const;
    QString worstText() const;
    QString holdText() const;
    const QImage& chartImage() const { return chart_; }

    QComboBox* classBox = nullptr;
    QPushButton* resetButton = nullptr; // "重設最大值"
    QPushButton* printButton = nullptr; // "列印"
    QPushButton* pdfButton = nullptr;   // "儲存PDF"

signals:
    void printRequested();   // the page's preview
    void savePdfRequested(); // the page as a PDF file

protected:
    void showEvent(QShowEvent* event) override;

private:
    void assess();
    void refresh();
    void drawChart();

    IniFile sysSet_;
    EmissionClass class_ = EmissionClass::A;
    MeasurementRecord record_{};
    QDateTime taken_;
    MeasurementSource source_ = MeasurementSource::SingleTest;
    bool measured_ = false;
    LimitsAssessment assessment_;
    MaxHold hold_;
    bool stale_ = true; // shown values lag behind: redraw when shown

    QLabel* sourceLabel_ = nullptr;
    QLabel* basisLabel_ = nullptr;
    QLabel* verdictLabel_ = nullptr;
    QLabel* worstLabel_ = nullptr;
    QLabel* holdLabel_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    QTableWidget* table_ = nullptr;
    QImage chart_;
    ImageView* chartView_ = nullptr;
};

// The class saved in `sysSet`, Class A when none or another text is saved.
EmissionClass SavedEmissionClass(const IniFile& sysSet);
bool SaveEmissionClass(const IniFile& sysSet, EmissionClass emissionClass);
