#include "spanstatisticspanel.h"

#include "recordchart.h"
#include "recordsettings.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr double kSecondsPerDay = 86400.0;

enum Column { Channel, Quantity, AtA, AtB, Difference, Minimum, Maximum, Mean, Energy, Columns };

QString FigureText(std::optional<double> value)
{
    return value ? StatisticText(*value) : QStringLiteral("—");
}

QString CursorTimeText(std::optional<double> time)
{
    return time ? StatisticTime(*time) : QStringLiteral("—");
}

} // namespace

SpanStatisticsPanel::SpanStatisticsPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("spanStatisticsPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* times = new QHBoxLayout;
    cursorALabel = new QLabel(this);
    cursorBLabel = new QLabel(this);
    deltaLabel = new QLabel(this);
    spanLabel = new QLabel(this);
    for (QLabel* label : {cursorALabel, cursorBLabel, deltaLabel, spanLabel}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        times->addWidget(label);
    }
    times->addStretch(1);
    layout->addLayout(times);

    table = new QTableWidget(0, Columns, this);
    table->setObjectName(QStringLiteral("spanStatisticsTable"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("通道"), QStringLiteral("量"), QStringLiteral("A"), QStringLiteral("B"),
         QStringLiteral("B−A"), QStringLiteral("最小值"), QStringLiteral("最大值"),
         QStringLiteral("平均值"), QStringLiteral("能量")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    layout->addWidget(table, 1);
    showReading({});
    // Room for a row per channel and no more: the chart keeps the rest.
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height()
                          + 6 * table->verticalHeader()->defaultSectionSize()
                          + 2 * table->frameWidth());
}

void SpanStatisticsPanel::showReading(const CursorReading& r)
{
    cursorALabel->setText(QStringLiteral("游標A：") + CursorTimeText(r.timeA));
    cursorBLabel->setText(QStringLiteral("游標B：") + CursorTimeText(r.timeB));
    deltaLabel->setText(QStringLiteral("Δt：")
                        + (r.timeA && r.timeB ? DurationText((*r.timeB - *r.timeA) * kSecondsPerDay)
                                              : QStringLiteral("—")));
    const SpanStatistics& s = r.statistics;
    const int count = std::max(0, s.last - s.first + 1);
    spanLabel->setText((r.span ? QStringLiteral("統計範圍：A–B（%1 點）")
                               : QStringLiteral("統計範圍：整個記錄（%1 點）"))
                           .arg(count));

    table->setRowCount(0);
    for (int c = 0; c < 6; ++c) {
        if (!r.shown[std::size_t(c)])
            continue;
        const ChannelStatistics& ch = s.channels[std::size_t(c)];
        const std::optional<float> a = r.valueA[std::size_t(c)];
        const std::optional<float> b = r.valueB[std::size_t(c)];
        const QString unit = QuantityUnit(ch.code);
        QString quantity = QuantityCaption(ch.code);
        if (!unit.isEmpty())
            quantity += QStringLiteral(" (") + unit + QLatin1Char(')');
        const auto figure = [&ch](double value) {
            return ch.count > 0 ? FigureText(value) : QStringLiteral("—");
        };
        QString energy = QStringLiteral("—");
        if (ch.energy)
            energy = StatisticText(*ch.energy) + QLatin1Char(' ')
                     + EnergyUnitText(EnergyUnitOf(ch.code));
        const QStringList cells{
            QStringLiteral("CH%1").arg(c + 1),
            quantity,
            FigureText(a ? std::optional<double>(*a) : std::nullopt),
            FigureText(b ? std::optional<double>(*b) : std::nullopt),
            FigureText(a && b ? std::optional<double>(double(*b) - double(*a)) : std::nullopt),
            figure(ch.minimum),
            figure(ch.maximum),
            figure(ch.mean),
            energy};
        const int row = table->rowCount();
        table->insertRow(row);
        for (int k = 0; k < Columns; ++k) {
            auto* item = new QTableWidgetItem(cells[k]);
            if (k >= AtA)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (k == Channel) { // the channel's colour, as its tag shows it
                const QColor colour = kRecordChannelColors[std::size_t(c)];
                item->setBackground(colour);
                item->setForeground(colour.lightness() > 160 ? Qt::black : Qt::white);
            }
            table->setItem(row, k, item);
        }
    }
}

QStringList SpanStatisticsPanel::summaryLines() const
{
    QStringList lines{QStringList{cursorALabel->text(), cursorBLabel->text(), deltaLabel->text(),
                                  spanLabel->text()}
                          .join(QStringLiteral("  "))};
    for (int row = 0; row < table->rowCount(); ++row) {
        QString line = table->item(row, Channel)->text() + QLatin1Char(' ')
                       + table->item(row, Quantity)->text();
        for (int k = AtA; k < Columns; ++k)
            line += QStringLiteral("  ") + table->horizontalHeaderItem(k)->text() + QLatin1Char(' ')
                    + table->item(row, k)->text();
        lines << line;
    }
    return lines;
}
