#include "tcommform.h"

#include "baudratelist.h"
#include "connectioncontroller.h"
#include "networkaddress.h"
#include "userdialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <QtGlobal>

namespace {

const QString kOpenFailed =
    QStringLiteral("通讯出现异常！请检查连接是否正确或重新启动程序和仪器。");

// The user the messages name in their advice; "$USER" where it is unknown.
QString currentUser()
{
    return qEnvironmentVariable("USER");
}

} // namespace

const QString TCommForm::kReadBackNotSentMessage =
    QStringLiteral("提取數據失敗，請檢查是否已經連接儀器。");

const QString TCommForm::kNoPortMessage =
    QStringLiteral("       沒有找到預設端口，請檢查：\r\r"
                   "               儀器電源是否開啟。\r"
                   "               連接儀器的通訊網路。\r"
                   "               更換了USB口，請重新設置。       ");

QString TCommForm::PermissionAdvice(const QString& devices, const QString& userName)
{
    const QString user = userName.isEmpty() ? QStringLiteral("$USER") : userName;
    return QStringLiteral("無權開啟 %1：請安裝 udev 規則 70-qpa3600.rules"
                          "（qpa3600 套件已附，讓登入的使用者開啟儀器的 USB 口），"
                          "或將使用者加入 dialout 群組（sudo adduser %2 dialout）後重新登入。")
        .arg(devices, user);
}

QString TCommForm::NoPortMessage(const QStringList& deniedDevices, const QString& userName)
{
    if (deniedDevices.isEmpty())
        return kNoPortMessage;
    // A desktop with several adapters: name a few, count the rest.
    constexpr int kNamed = 4;
    QString devices = deniedDevices.mid(0, kNamed).join(QStringLiteral("、"));
    if (deniedDevices.size() > kNamed)
        devices += QStringLiteral(" 等 %1 個裝置").arg(deniedDevices.size());
    return kNoPortMessage + QLatin1Char('\r') + QStringLiteral("               ")
           + PermissionAdvice(devices, userName);
}

QString TCommForm::DeviceHoldersText(const std::vector<serial::DeviceHolder>& holders)
{
    QStringList named;
    for (const serial::DeviceHolder& holder : holders)
        named << QStringLiteral("%1（PID %2）")
                     .arg(QString::fromLocal8Bit(holder.program.c_str()))
                     .arg(holder.pid);
    return named.join(QStringLiteral("、"));
}

QString TCommForm::PortInUseMessage(int comNumber, const QString& device,
                                    const std::vector<serial::DeviceHolder>& holders)
{
    const QString who = DeviceHoldersText(holders);
    const QString port = QStringLiteral("COM%1（%2）").arg(comNumber).arg(device);
    return (who.isEmpty()
                ? QStringLiteral("       預設端口 %1正被其他程式使用。").arg(port)
                : QStringLiteral("       預設端口 %1正被其他程式使用：%2。").arg(port, who))
           + QStringLiteral("\r\r               請關閉該程式後，在「通訊設置」中重新選擇端口，"
                            "或選擇其他端口。       ");
}

QString TCommForm::PortErrorText(const ECommError& error, const QString& userName)
{
    switch (error.reason()) {
    case ECommError::Reason::OpenFailed:
        break;
    case ECommError::Reason::NotSerial:
        // What a failed SetupComm meant on the ports the program was made for.
        return QStringLiteral("Cannot setup comm buffer");
    case ECommError::Reason::HeldByOther: {
        const QString who = DeviceHoldersText(error.holders());
        return kOpenFailed + QLatin1Char('\n')
               + (who.isEmpty()
                      ? QStringLiteral("%1 正被其他程序使用。").arg(error.device())
                      : QStringLiteral("%1 正被其他程序使用：%2。").arg(error.device(), who));
    }
    case ECommError::Reason::NoPermission:
        return kOpenFailed + QLatin1Char('\n') + PermissionAdvice(error.device(), userName);
    case ECommError::Reason::NotOpen:
        return QStringLiteral("COM Port is not opened yet!");
    case ECommError::Reason::AlreadyOpen:
        return QStringLiteral("COM Port has been opened!");
    case ECommError::Reason::BadAddress:
    case ECommError::Reason::HostNotFound:
    case ECommError::Reason::Refused:
    case ECommError::Reason::Unreachable:
        return kOpenFailed + QLatin1Char('\n') + NetworkPortProblem(error);
    }
    return kOpenFailed;
}

QString TCommForm::NetworkPortProblem(const ECommError& error)
{
    const QString& address = error.device();
    switch (error.reason()) {
    case ECommError::Reason::BadAddress:
        return QStringLiteral("「%1」不是可用的網路端口：請寫成 tcp://主機:埠號 或 "
                              "rfc2217://主機:埠號。")
            .arg(address);
    case ECommError::Reason::HostNotFound: {
        const NetworkAddressParse parsed = ParseNetworkAddress(address);
        return QStringLiteral("找不到主機「%1」（%2）。")
            .arg(parsed.address ? parsed.address->host : address, address);
    }
    case ECommError::Reason::Refused:
        return QStringLiteral("%1 拒絕連線：串口伺服器（ser2net）是否已啟動、埠號是否正確？")
            .arg(address);
    case ECommError::Reason::Unreachable:
        return QStringLiteral("無法連上 %1：主機沒有回應或網路不通。").arg(address);
    default:
        return {};
    }
}

QString TCommForm::PortItemText(int n, bool usb)
{
    return QStringLiteral("COM") + QString::number(n)
           + (usb ? QStringLiteral("         通過USB連接QPA3600") : QStringLiteral("    "));
}

TCommForm::TCommForm(ConnectionController& controller, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), controller_(controller), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("通訊設置"));
    setFixedSize(326, 521);
    auto* layout = new QVBoxLayout(this);

    auto* rateGroup = new QGroupBox(QStringLiteral(" 通訊速率  "), this);
    auto* rateLayout = new QVBoxLayout(rateGroup);
    ComboBox1 = new QComboBox(rateGroup);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (const BaudRateEntry& entry : kBaudRateList)
        ComboBox1->addItem(QString::fromLatin1(entry.text));
    rateLayout->addWidget(ComboBox1);
    layout->addWidget(rateGroup);

    auto* portGroup = new QGroupBox(QStringLiteral(" 選擇可用的通訊PORT  "), this);
    auto* portGroupLayout = new QVBoxLayout(portGroup);
    auto* scroll = new QScrollArea(portGroup);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    portBox_ = new QWidget;
    portLayout_ = new QVBoxLayout(portBox_);
    portLayout_->addStretch();
    scroll->setWidget(portBox_);
    portGroupLayout->addWidget(scroll);
    RadioGroup2 = new QButtonGroup(this);
    layout->addWidget(portGroup, 1);

    auto* addressGroup = new QGroupBox(QStringLiteral(" 選擇儀器端子 "), this);
    auto* addressLayout = new QHBoxLayout(addressGroup);
    addressLayout->addWidget(new QLabel(QStringLiteral("對應儀器的地址（1-255）：  ")));
    Edit1 = new QLineEdit(QStringLiteral("1"), addressGroup);
    Edit1->installEventFilter(this);
    addressLayout->addWidget(Edit1);
    layout->addWidget(addressGroup);

    auto* buttons = new QHBoxLayout;
    auto* scan = new QPushButton(QStringLiteral("掃描通訊端口"), this);
    auto* done = new QPushButton(QStringLiteral("結束"), this);
    buttons->addWidget(scan);
    buttons->addWidget(done);
    layout->addLayout(buttons);

    connect(scan, &QPushButton::clicked, &controller_, &ConnectionController::ScanPorts);
    connect(done, &QPushButton::clicked, this, &QDialog::close);
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this](const QString& text) {
        // A typed text that is no item gives index -1.
        controller_.BaudRateChanged(ComboBox1->findText(text, Qt::MatchFixedString));
    });
    connect(Edit1, &QLineEdit::textChanged, &controller_, &ConnectionController::AddressChanged);
    connect(RadioGroup2, &QButtonGroup::idClicked, &controller_,
            &ConnectionController::PortListClicked);

    connect(&controller_, &ConnectionController::portListChanged, this,
            &TCommForm::rebuildPortList);
    connect(&controller_, &ConnectionController::baudIndexChanged, this,
            &TCommForm::selectBaudIndex);
    connect(&controller_, &ConnectionController::addressTextChanged, this, &TCommForm::showAddress);
    connect(&controller_, &ConnectionController::noPortFound, this,
            [this](const QStringList& denied) {
                dialogs_.message(NoPortMessage(denied, currentUser()));
            });
    connect(&controller_, &ConnectionController::savedPortBusy, this,
            [this](int comNumber, const QString& device,
                   const std::vector<serial::DeviceHolder>& holders) {
                dialogs_.message(PortInUseMessage(comNumber, device, holders));
            });
    connect(&controller_, &ConnectionController::openFailed, this, &TCommForm::showPortError);
    connect(&controller_, &ConnectionController::readBackNotSent, this,
            [this] { dialogs_.message(kReadBackNotSentMessage); });
}

void TCommForm::showPortError(const ECommError& error)
{
    dialogs_.message(PortErrorText(error, currentUser()), UserDialogs::Icon::Error);
}

bool TCommForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        // Only digits and backspace reach the address field; keys that type
        // nothing (arrows, delete) keep their editing function.
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && !ConnectionController::AddressKeyAccepted(text.at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TCommForm::rebuildPortList()
{
    for (QAbstractButton* button : RadioGroup2->buttons()) {
        RadioGroup2->removeButton(button);
        delete button;
    }
    const auto& items = controller_.portItems();
    for (int i = 0; i < int(items.size()); ++i) {
        const ConnectionController::PortItem& item = items[std::size_t(i)];
        auto* radio = new QRadioButton(PortItemText(item.number, item.usb), portBox_);
        RadioGroup2->addButton(radio, i);
        portLayout_->insertWidget(i, radio);
        if (i == controller_.selectedPortItem())
            radio->setChecked(true); // selection by the scan is not a click
    }
}

void TCommForm::selectBaudIndex(int index)
{
    const QSignalBlocker quiet(ComboBox1); // restoring the saved choice is not a change
    ComboBox1->setCurrentIndex(index);
    if (index < 0)
        ComboBox1->setEditText(QString());
}

void TCommForm::showAddress(const QString& text, bool valid)
{
    if (Edit1->text() != text) {
        const QSignalBlocker quiet(Edit1);
        Edit1->setText(text);
    }
    QPalette palette = Edit1->palette();
    palette.setColor(QPalette::Text,
                     valid ? this->palette().color(QPalette::WindowText) : QColor(Qt::red));
    Edit1->setPalette(palette);
}
