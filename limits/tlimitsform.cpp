#include "tlimitsform.h"

#include "imageview.h"
#include "limitschart.h"
#include "limitstexts.h"
#include "measurementtime.h"
#include "paintercanvas.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("HarmonicLimits");
const QString kClassKey = QStringLiteral("Class");
constexpr int kChartHeight = 190;
const QColor kExceededColor(210, 30, 30);

QString SourceText(MeasurementSource source, bool measured, const QDateTime& taken)
{
    if (!measured)
        return QStringLiteral("尚無量測");
    QString text;
    switch (source) {
    case MeasurementSource::SingleTest:
        text = QStringLiteral("單次測試");
        break;
    case MeasurementSource::ContinuousSampling:
        text = QStringLiteral("連續採樣");
        break;
    case MeasurementSource::Snapshot:
        text = QStringLiteral("快照檔案");
        break;
    }
    if (taken.isValid())
        text += QStringLiteral("　提取時間：") + MeasurementTimeText(taken);
    return text;
}

} // namespace

EmissionClass SavedEmissionClass(const IniFile& sysSet)
{
    return ClassFromLetter(sysSet.ReadString(kSection, kClassKey, QStringLiteral("A")))
        .value_or(EmissionClass::A);
}

bool SaveEmissionClass(const IniFile& sysSet, EmissionClass emissionClass)
{
    return sysSet.WriteString(kSection, kClassKey,
                              QString(QLatin1Char(ClassLetter(emissionClass))));
}

TLimitsForm::TLimitsForm(IniFile sysSet, QWidget* parent)
    : QDialog(parent), sysSet_(std::move(sysSet)), class_(SavedEmissionClass(sysSet_))
{
    setWindowTitle(QStringLiteral("諧波限值預檢（IEC 61000-3-2）"));
    setWindowFlag(Qt::Window);
    resize(760, 720);
    ResetMeasurementRecord(record_);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("設備等級："), this));
    classBox = new QComboBox(this);
    for (EmissionClass c : {EmissionClass::A, EmissionClass::B, EmissionClass::C, EmissionClass::D})
        classBox->addItem(ClassCaption(c));
    classBox->setCurrentIndex(int(class_));
    top->addWidget(classBox, 1);
    resetButton = new QPushButton(QStringLiteral("重設最大值"), this);
    printButton = new QPushButton(QStringLiteral("列印"), this);
    pdfButton = new QPushButton(QStringLiteral("儲存PDF"), this);
    top->addWidget(resetButton);
    top->addWidget(printButton);
    top->addWidget(pdfButton);
    layout->addLayout(top);

    sourceLabel_ = new QLabel(this);
    basisLabel_ = new QLabel(this);
    verdictLabel_ = new QLabel(this);
    QFont bold = verdictLabel_->font();
    bold.setBold(true);
    verdictLabel_->setFont(bold);
    worstLabel_ = new QLabel(this);
    holdLabel_ = new QLabel(this);
    for (QLabel* label : {sourceLabel_, basisLabel_, verdictLabel_, worstLabel_, holdLabel_})
        layout->addWidget(label);

    chartView_ = new ImageView(chart_, this);
    chartView_->setMinimumHeight(kChartHeight);
    chartView_->onResize = [this] { drawChart(); };
    layout->addWidget(chartView_);

    table_ = new QTableWidget(kLimitOrderCount, kLimitsHoldColumns, this);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setHorizontalHeaderLabels(LimitsHeadings(true));
    for (int r = 0; r < kLimitOrderCount; ++r)
        for (int c = 0; c < kLimitsHoldColumns; ++c)
            table_->setItem(r, c, new QTableWidgetItem);
    layout->addWidget(table_, 1);

    noteLabel_ = new QLabel(MethodNoteText(), this);
    noteLabel_->setWordWrap(true);
    layout->addWidget(noteLabel_);

    connect(classBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { setEmissionClass(EmissionClass(index)); });
    connect(resetButton, &QPushButton::clicked, this, &TLimitsForm::resetHold);
    connect(printButton, &QPushButton::clicked, this, &TLimitsForm::printRequested);
    connect(pdfButton, &QPushButton::clicked, this, &TLimitsForm::savePdfRequested);

    assess();
    refresh();
}

void TLimitsForm::showMeasurement(const MeasurementRecord& record, const QDateTime& taken,
                                  MeasurementSource source)
{
    record_ = record;
    taken_ = taken;
    source_ = source;
    measured_ = true;
    assess();
    if (source == MeasurementSource::ContinuousSampling)
        hold_.take(assessment_);
    // Hidden, the view only keeps count; it draws when it shows again.
    stale_ = true;
    if (isVisible())
        refresh();
}

void TLimitsForm::setEmissionClass(EmissionClass emissionClass)
{
    if (classBox->currentIndex() != int(emissionClass))
        classBox->setCurrentIndex(int(emissionClass)); // comes back here
    if (emissionClass == class_)
        return;
    class_ = emissionClass;
    SaveEmissionClass(sysSet_, class_);
    // The held percentages were judged against the other class's limits.
    hold_.reset();
    assess();
    refresh();
}

void TLimitsForm::resetHold()
{
    hold_.reset();
    refresh();
}

LimitsPageContent TLimitsForm::pageContent() const
{
    LimitsPageContent content;
    content.assessment = assessment_;
    if (hold_.count() > 0)
        content.hold = hold_;
    content.taken = taken_;
    return content;
}

void TLimitsForm::assess()
{
    assessment_ = AssessLimits(class_, CurrentsOf(record_));
}

void TLimitsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (stale_)
        refresh();
}

void TLimitsForm::refresh()
{
    stale_ = false;
    const LimitsAssessment& a = assessment_;
    sourceLabel_->setText(SourceText(source_, measured_, taken_));
    basisLabel_->setText(QStringLiteral("基波電流 %1 A　功率因數 %2　有功功率 %3 W")
                             .arg(FixedText(a.basis.fundamentalRms, 4),
                                  FixedText(a.basis.powerFactor, 3),
                                  FixedText(a.basis.activePower, 1)));
    verdictLabel_->setText(OverallVerdictText(a.verdict, a.basis));
    // A style sheet, since the skins' style sheets take precedence over a palette.
    verdictLabel_->setStyleSheet(a.verdict == OverallVerdict::Exceeded
                                     ? QStringLiteral("color: %1;").arg(kExceededColor.name())
                                     : QString());
    worstLabel_->setText(a.worstOrder
                             ? WorstOrderText(*a.worstOrder, *a.order(*a.worstOrder).percent,
                                              *a.worstMarginAmperes())
                             : QString());
    worstLabel_->setVisible(a.worstOrder.has_value());
    const bool holding = hold_.count() > 0;
    holdLabel_->setText(
        holding ? QStringLiteral("最大值保持（自重設起 %1 次量測）：").arg(hold_.count())
                      + OverallVerdictText(hold_.verdict(), a.basis)
                : QStringLiteral("最大值保持：連續採樣時記錄各次諧波的最大值"));

    const MaxHold* hold = holding ? &hold_ : nullptr;
    for (const OrderAssessment& o : a.orders) {
        const QStringList cells = LimitsRowTexts(o, hold);
        const int row = o.order - kFirstLimitOrder;
        for (int c = 0; c < kLimitsHoldColumns; ++c) {
            QTableWidgetItem* item = table_->item(row, c);
            item->setText(c < cells.size() ? cells[c] : QString());
            const bool over = item->text() == OrderStateText(OrderState::Exceeded);
            item->setForeground(over ? QBrush(kExceededColor) : QBrush());
        }
    }
    for (int c = kLimitsColumns; c < kLimitsHoldColumns; ++c)
        table_->setColumnHidden(c, !holding);
    drawChart();
}

void TLimitsForm::drawChart()
{
    const QSize size = chartView_->size();
    if (size.isEmpty())
        return;
    if (chart_.size() != size)
        chart_ = QImage(size, QImage::Format_RGB32);
    {
        QPainter painter(&chart_);
        PainterCanvas canvas(painter);
        CanvasFont font;
        font.face = this->font().family();
        font.points = 8;
        canvas.SetFont(font);
        DrawLimitsChart(canvas, {0, 0, size.width(), size.height()}, assessment_,
                        hold_.count() > 0 ? &hold_ : nullptr, LimitsChartColors());
    }
    chartView_->update();
}

QString TLimitsForm::cellText(int row, int column) const
{
    if (row == 0)
        return table_->horizontalHeaderItem(column)->text();
    return table_->item(row - 1, column)->text();
}

QString TLimitsForm::verdictText() const
{
    return verdictLabel_->text();
}

QString TLimitsForm::worstText() const
{
    return worstLabel_->text();
}

QString TLimitsForm::holdText() const
{
    return holdLabel_->text();
}
