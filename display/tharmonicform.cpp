#include "tharmonicform.h"

#include "harmonictable.h"
#include "savefile.h"
#include "sharedstate.h"
#include "userdialogs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kFormWidth = 648;
constexpr int kFormHeight = 500;
constexpr int kRowHeight = 20;

} // namespace

// The grid's fixed row 0 is the table widget's header, so the headings stay
// in view while the orders scroll; the fixed column 0 is drawn like the
// header and cannot be selected. Headings keep their leading blanks and are
// aligned to the left like every other cell, the blanks doing the indenting.
THarmonicForm::THarmonicForm(SharedState& state, QWidget* parent, UserDialogs* dialogs)
    : QDialog(parent), state_(state), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("諧波含量列表"));
    resize(kFormWidth, kFormHeight);

    p1_h = new QTableWidget(kHarmonicTableRows - 1, kHarmonicTableColumns, this);
    p1_h->setObjectName(QStringLiteral("p1_h"));
    p1_h->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The cells indent their values with 21 blanks; at the grid's classic
    // 11-pixel face the values still fit their 127-pixel columns whole, and
    // a value that does not is clipped, never replaced by an ellipsis.
    QFont gridFont = p1_h->font();
    gridFont.setPixelSize(11);
    p1_h->setFont(gridFont);
    p1_h->setTextElideMode(Qt::ElideNone);
    // The five columns fill the window; the last one gives up the width of
    // the vertical scroll bar rather than bring in a horizontal one.
    p1_h->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(p1_h);
    limitsButton = new QPushButton(QStringLiteral("限值比較…"), this);
    limitsButton->setObjectName(QStringLiteral("limitsButton"));
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 6, 6);
    buttons->addStretch(1);
    buttons->addWidget(limitsButton);
    layout->addLayout(buttons);
    connect(limitsButton, &QPushButton::clicked, this, &THarmonicForm::limitsRequested);

    QHeaderView* top = p1_h->horizontalHeader();
    top->setMinimumSectionSize(0);
    top->setDefaultSectionSize(HarmonicColumnWidth(kFormWidth));
    top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    top->setFixedHeight(kRowHeight);
    QHeaderView* side = p1_h->verticalHeader();
    side->hide();
    side->setMinimumSectionSize(0);
    side->setDefaultSectionSize(kRowHeight);
    side->setSectionResizeMode(QHeaderView::Fixed);

    const QBrush fixedBackground = palette().button();
    for (int row = 0; row < p1_h->rowCount(); ++row) {
        auto* order = new QTableWidgetItem;
        order->setFlags(Qt::ItemIsEnabled);
        order->setBackground(fixedBackground);
        p1_h->setItem(row, 0, order);
        for (int column = 1; column < kHarmonicTableColumns; ++column)
            p1_h->setItem(row, column, new QTableWidgetItem);
    }
    refresh();

    copyItem = new QAction(QStringLiteral("複製"), p1_h);
    copyItem->setShortcut(QKeySequence::Copy);
    copyItem->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copyItem, &QAction::triggered, this, &THarmonicForm::copySelection);
    exportCsvItem = new QAction(QStringLiteral("匯出CSV檔案…"), p1_h);
    exportCsvItem->setEnabled(dialogs_ != nullptr);
    connect(exportCsvItem, &QAction::triggered, this, &THarmonicForm::exportCsv);
    // The grid takes Ctrl+C for itself (it would copy the current cell
    // alone), so the key is caught before it gets there.
    p1_h->installEventFilter(this);
    p1_h->addAction(copyItem);
    p1_h->addAction(exportCsvItem);
    p1_h->setContextMenuPolicy(Qt::ActionsContextMenu);

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &THarmonicForm::refresh);
    Timer1.start();
}

QString THarmonicForm::cellText(int row, int column) const
{
    if (row == 0)
        return p1_h->horizontalHeaderItem(column)->text();
    return p1_h->item(row - 1, column)->text();
}

void THarmonicForm::showEvent(QShowEvent* event)
{
    refresh();
    QDialog::showEvent(event);
}

void THarmonicForm::refresh()
{
    const HarmonicTableTexts cells = HarmonicTableCells(state_.MeasurementRecord);
    p1_h->setHorizontalHeaderLabels(QStringList(cells[0].begin(), cells[0].end()));
    for (int row = 1; row < kHarmonicTableRows; ++row)
        for (int column = 0; column < kHarmonicTableColumns; ++column)
            p1_h->item(row - 1, column)->setText(cells[row][column]);
}

QString THarmonicForm::selectionText() const
{
    QList<int> rows;
    QList<int> columns;
    for (const QTableWidgetSelectionRange& range : p1_h->selectedRanges()) {
        for (int row = range.topRow(); row <= range.bottomRow(); ++row)
            rows << row + 1;
        for (int column = range.leftColumn(); column <= range.rightColumn(); ++column)
            columns << column;
    }
    // The orders lead every line anyway.
    columns.removeAll(0);
    for (QList<int>* list : {&rows, &columns}) {
        std::sort(list->begin(), list->end());
        list->erase(std::unique(list->begin(), list->end()), list->end());
    }
    return HarmonicSelectionText(HarmonicTableCells(state_.MeasurementRecord), rows, columns);
}

void THarmonicForm::copySelection()
{
    const QString text = selectionText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void THarmonicForm::exportCsv()
{
    if (!dialogs_)
        return;
    const QString path = dialogs_->saveFileNameOverwriting(QString(), QStringLiteral("CSV (*.csv)"),
                                                           QStringLiteral("Harmonics.csv"));
    if (path.isEmpty())
        return;
    // The values the table shows now, taken before anything else can change them.
    const SaveResult saved =
        SaveFile(path, HarmonicTableCsv(HarmonicTableCells(state_.MeasurementRecord)));
    if (!saved.ok())
        dialogs_->message(SaveFailureMessage(path, saved), UserDialogs::Icon::Error);
}

bool THarmonicForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == p1_h && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
