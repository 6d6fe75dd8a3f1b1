#pragma once

#include <QDialog>
#include <QTimer>

class QAction;
class QPushButton;
class QTableWidget;
class UserDialogs;
struct SharedState;

// The harmonic table window "諧波含量列表": one grid `p1_h` listing, for each
// harmonic order 0-50, the voltage and current RMS values and their share of
// the fundamental, read from the shared measurement record. It refreshes when
// shown and once a second from `Timer1`, which runs for the window's whole
// life, so a continuous measurement updates the open table. The main window
// shows it modally. The table leaves the program by its context menu: the
// selection copied (Ctrl+C) and the whole table exported as a CSV file.
class THarmonicForm : public QDialog {
    Q_OBJECT
public:
    // Without `dialogs` the table cannot be exported to a file.
    explicit THarmonicForm(SharedState& state, QWidget* parent = nullptr,
                           UserDialogs* dialogs = nullptr);

    // The text of a cell in the table's own coordinates: row 0 the headings,
    // row k + 1 the order k, column 0 the order.
    QString cellText(int row, int column) const;

    // The selected cells as tab-separated lines with their headings (empty
    // without a selection), as the copy puts them on the clipboard.
    QString selectionText() const;
    void copySelection(); // "複製"
    void exportCsv();     // "匯出CSV檔案…"

    QTableWidget* p1_h = nullptr;
    QTimer Timer1;
    QAction* copyItem = nullptr;         // "複製", Ctrl+C
    QAction* exportCsvItem = nullptr;    // "匯出CSV檔案…"
    QPushButton* limitsButton = nullptr; // "限值比較…": the harmonic limits window

signals:
    void limitsRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    SharedState& state_;
    UserDialogs* dialogs_;
};
