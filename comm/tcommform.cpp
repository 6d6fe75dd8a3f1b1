#include "tcommform.h"

#include "baudratelist.h"
#include "connectioncontroller.h"

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

TCommForm::TCommForm(ConnectionController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller)
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
    connect(&controller_, &ConnectionController::addressTextChanged, this,
            &TCommForm::showAddress);
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
    const QStringList& items = controller_.portItems();
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], portBox_);
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
    palette.setColor(QPalette::Text, valid ? this->palette().color(QPalette::WindowText)
                                           : QColor(Qt::red));
    Edit1->setPalette(palette);
}
