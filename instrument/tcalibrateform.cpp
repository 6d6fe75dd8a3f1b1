#include "tcalibrateform.h"

#include "decimalfield.h"
#include "fieldkeyfilter.h"
#include "linkstate.h"
#include "measurementoptions.h"
#include "modbusframe.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "tcomm.h"
#include "tcommform.h"
#include "userdialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr std::uint8_t kUnlockCode = 0xB6;

QPushButton* plainButton(const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

TCalibrateForm::TCalibrateForm(LinkState& link, TComm& comm, RequestSender& sender,
                               ResponseDispatcher& dispatcher, MeasurementOptions& options,
                               UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), link_(link), comm_(comm), sender_(sender), dispatcher_(dispatcher),
      dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("CalibrateForm"));
    setFixedSize(505, 278);

    auto* settings = new QGroupBox(QStringLiteral("校准设置"));
    auto* grid = new QGridLayout(settings);
    Edit1 = new QLineEdit(QStringLiteral("0"));
    Edit1->setToolTip(QStringLiteral("V"));
    Edit2 = new QLineEdit(QStringLiteral("0"));
    Edit2->setToolTip(QStringLiteral("A"));
    new FieldKeyFilter(Edit1, false);
    new FieldKeyFilter(Edit2, false);
    voltageButton = plainButton(QStringLiteral("校准"));
    currentButton = plainButton(QStringLiteral("校准"));
    connect(voltageButton, &QPushButton::clicked, this, &TCalibrateForm::CalibrateVoltage);
    connect(currentButton, &QPushButton::clicked, this, &TCalibrateForm::CalibrateCurrent);

    grid->addWidget(new QLabel(QStringLiteral("电压：  ")), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(voltageButton, 0, 2);
    int column = 3;
    for (const char* preset : {"220", "110", "55", "15"}) {
        QPushButton* b = plainButton(QString::fromUtf8(preset));
        connect(b, &QPushButton::clicked, this, [this, preset] {
            Edit1->setText(QString::fromUtf8(preset));
            CalibrateVoltage();
        });
        grid->addWidget(b, 0, column++);
    }
    grid->addWidget(new QLabel(QStringLiteral("电流：  ")), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(currentButton, 1, 2);
    column = 3;
    // The caption carries the unit; the field takes the number alone.
    const std::pair<const char*, const char*> currentPresets[] = {
        {"8A", "8"}, {"3A", "3"}, {"1A", "1"}, {"0.2A", "0.2"}};
    for (const auto& [caption, value] : currentPresets) {
        QPushButton* b = plainButton(QString::fromUtf8(caption));
        const QString text = QString::fromUtf8(value);
        connect(b, &QPushButton::clicked, this, [this, text] {
            Edit2->setText(text);
            CalibrateCurrent();
        });
        grid->addWidget(b, 1, column++);
    }
    QPushButton* narrow = plainButton(QStringLiteral("窄频"));
    QPushButton* wide = plainButton(QStringLiteral("宽频"));
    connect(narrow, &QPushButton::clicked, this, [&options] { options.choose(OptionItem::N31); });
    connect(wide, &QPushButton::clicked, this, [&options] { options.choose(OptionItem::N32); });
    grid->addWidget(narrow, 2, 1);
    grid->addWidget(wide, 2, 2);

    QPushButton* unlock = plainButton(QStringLiteral("开锁"));
    connect(unlock, &QPushButton::clicked, this,
            [this] { SendCommand(Register::CalibrationUnlock, kUnlockCode); });

    auto* temperature = new QGroupBox(QStringLiteral("温度选项"));
    auto* row = new QHBoxLayout(temperature);
    const std::pair<const char*, std::uint8_t> commands[] = {
        {"开启温度补偿", 3}, {"关闭温度补偿", 2}, {"校准常温", 0}, {"校准低温", 1}};
    for (const auto& [caption, code] : commands) {
        QPushButton* b = plainButton(QString::fromUtf8(caption));
        const std::uint8_t c = code;
        connect(b, &QPushButton::clicked, this,
                [this, c] { SendCommand(Register::CalibrateTemperature, c); });
        row->addWidget(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settings);
    layout->addWidget(unlock, 0, Qt::AlignLeft);
    layout->addWidget(temperature);
}

QPushButton* TCalibrateForm::button(const QString& caption) const
{
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

bool TCalibrateForm::ensurePortOpen()
{
    if (comm_.PortOpen())
        return true;
    try {
        comm_.setPortOpen(true);
    } catch (const ECommError& error) {
        // In the communication window's words, as when the link opens it.
        dialogs_.message(TCommForm::PortErrorText(error, qEnvironmentVariable("USER")),
                         UserDialogs::Icon::Error);
        return false;
    }
    return true;
}

bool TCalibrateForm::readField(QLineEdit* field, const QString& name, float* value)
{
    return ReadDecimalField(*field, name, *value, dialogs_,
                            {QStringLiteral("%1「%2」不是有效的数值，没有发送。"),
                             QStringLiteral("%1「%2」超出范围，没有发送。")});
}

void TCalibrateForm::CalibrateVoltage()
{
    if (!ensurePortOpen())
        return;
    float volts = 0;
    if (!readField(Edit1, QStringLiteral("电压"), &volts))
        return;
    dispatcher_.whenIdle(nullptr, [this, volts] {
        // Built in RequestBuffer, like a read: until the next read request,
        // a read answer counts as one of register 154.
        std::uint8_t data[4];
        EncodeFloat(volts, data);
        BuildWriteRequest(link_.RequestBuffer.data(), link_.InstrumentAddress,
                          Register::CalibrateVoltage, data);
        sender_.SendBuiltFrame(kWriteRequestSize);
    });
}

void TCalibrateForm::CalibrateCurrent()
{
    if (!ensurePortOpen())
        return;
    float amperes = 0;
    if (!readField(Edit2, QStringLiteral("电流"), &amperes))
        return;
    // A value write has a buffer of its own and leaves RequestBuffer alone.
    dispatcher_.whenIdle(nullptr, [this, amperes] {
        sender_.SendWriteValue(link_.InstrumentAddress, Register::CalibrateCurrent,
                               FloatBits(amperes));
    });
}

void TCalibrateForm::SendCommand(std::uint16_t reg, std::uint8_t code)
{
    dispatcher_.whenIdle(nullptr, [this, reg, code] {
        const std::uint8_t data[4] = {code, 0, 0, 0};
        if (!sender_.SendWriteBytes(link_.InstrumentAddress, reg, data))
            dialogs_.message(QStringLiteral("请求读失败，仪器和电脑还没有连接。"));
    });
}
