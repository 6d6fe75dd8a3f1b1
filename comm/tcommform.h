#pragma once

#include "deviceholders.h"
#include "tcomm.h"

#include <QDialog>

#include <vector>

class ConnectionController;
class UserDialogs;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QVBoxLayout;

// The communication window "通訊設置": baud-rate list, the ports found, the
// instrument address, rescan. Everything it does is the controller's; the
// window shows the controller's state and hands on the user's changes. It
// owns the texts of the port: the list's items, and the messages when no
// port is found, the saved one is held or one would not open.
class TCommForm : public QDialog {
    Q_OBJECT
public:
    TCommForm(ConnectionController& controller, UserDialogs& dialogs, QWidget* parent = nullptr);

    static QString PortItemText(int n, bool usb);
    static const QString kNoPortMessage;
    // The port opened but the first request of the read-back did not go out.
    static const QString kReadBackNotSentMessage;
    // The no-port message; when serial devices exist that this user may not
    // open, one more line names them and how to gain access.
    static QString NoPortMessage(const QStringList& deniedDevices, const QString& userName);
    // The message when the saved port COMn (`device`) exists but another
    // program holds it; `holders` names them where they are known.
    static QString PortInUseMessage(int comNumber, const QString& device,
                                    const std::vector<serial::DeviceHolder>& holders);
    // What the user is told when the port refused to open or to be used.
    static QString PortErrorText(const ECommError& error, const QString& userName);
    // The second line of that message for a network port that could not be
    // reached or whose address is wrong: what is wrong, naming the address.
    static QString NetworkPortProblem(const ECommError& error);
    // The programs holding a port: "cat（PID 4711）", several joined with
    // "、"; empty when none is known.
    static QString DeviceHoldersText(const std::vector<serial::DeviceHolder>& holders);
    // How `userName` gains access to `devices`, which this user may not open.
    static QString PermissionAdvice(const QString& devices, const QString& userName);

    // Tells the user, in an error box, why the port refused.
    void showPortError(const ECommError& error);

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
    UserDialogs& dialogs_;
    QWidget* portBox_ = nullptr;
    QVBoxLayout* portLayout_ = nullptr;
};
