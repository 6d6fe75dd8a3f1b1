#pragma once

#include <QDialog>

class ConnectionController;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QVBoxLayout;

// The communication window "通訊設置": baud-rate list, the ports found, the
// instrument address, rescan. Everything it does is the controller's; the
// window shows the controller's state and hands on the user's changes.
class TCommForm : public QDialog {
    Q_OBJECT
public:
    explicit TCommForm(ConnectionController& controller, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QButtonGroup* RadioGroup2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildPortList();
    void selectBaudIndex(int index);
    void showAddress(const QString& text, bool valid);

    ConnectionController& controller_;
    QWidget* portBox_ = nullptr;
    QVBoxLayout* portLayout_ = nullptr;
};
