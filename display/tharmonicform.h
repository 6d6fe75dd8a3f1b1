#pragma once

#include <QDialog>
#include <QTimer>

class QTableWidget;
struct SharedState;

// The harmonic table window "諧波含量列表": one grid `p1_h` listing, for each
// harmonic order 0-50, the voltage and current RMS values and their share of
// the fundamental, read from the shared measurement record. It refreshes when
// shown and once a second from `Timer1`, which runs for the window's whole
// life, so a continuous measurement updates the open table. The main window
// shows it modally.
class THarmonicForm : public QDialog {
    Q_OBJECT
public:
    explicit THarmonicForm(SharedState& state, QWidget* parent = nullptr);

    // The text of a cell in the table's own coordinates: row 0 the headings,
    // row k + 1 the order k, column 0 the order.
    QString cellText(int row, int column) const;

    QTableWidget* p1_h = nullptr;
    QTimer Timer1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    SharedState& state_;
};
