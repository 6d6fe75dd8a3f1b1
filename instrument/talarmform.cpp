#include "talarmform.h"

#include "decimalfield.h"
#include "fieldkeyfilter.h"
#include "linkmessages.h"
#include "numberformat.h"
#include "registermap.h"
#include "responsedispatcher.h"
#include "userdialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSyncFailed = QStringLiteral("狀態：同步失敗    ");
const QString kWriteFailed = QStringLiteral("狀態：傳送失敗    ");

// Each field's name in messages, and its unit in its tooltip, in register order.
const char* const kFieldNames[8] = {"電壓上限值", "電壓下限值", "電流上限值", "電流下限值",
                                    "功率上限值", "功率下限值", "PF上限值",   "PF下限值"};
const char* const kUnits[4] = {"V", "A", "W", ""};
const char* const kDesignTexts[8] = {"300", "0", "20", "0", "6000", "0", "1", "0"};

} // namespace

TAlarmForm::TAlarmForm(AlarmSync& sync, ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                       QWidget* parent)
    : QDialog(parent), sync_(sync), dialogs_(dialogs)
{
    build();
    connect(&dispatcher, &ResponseDispatcher::alarmValueRead, this, [this](int index, float value) {
        if (index >= 1 && index <= 8)
            Edit[std::size_t(index - 1)]->setText(FieldText(value));
    });
    connect(&dispatcher, &ResponseDispatcher::alarmFlagsRead, this, [this](std::uint8_t flags) {
        for (int k = 0; k < 8; ++k)
            CheckBox[std::size_t(k)]->setChecked(flags & (1u << k));
    });
    connect(&dispatcher, &ResponseDispatcher::readBackComplete, this,
            [this] { Label7->setText(SynchronisedText()); });
    connect(&dispatcher, &ResponseDispatcher::alarmWriteAcknowledged, this, [this](int reg) {
        Label7->setText(WriteProgressText(reg));
        Label7->repaint();
    });
    connect(&sync_, &AlarmSync::runningChanged, this,
            [this](bool running) { setButtonsEnabled(!running); });
    connect(&sync_, &AlarmSync::sendFailed, this, &TAlarmForm::onSendFailed);
    connect(&sync_, &AlarmSync::stalled, this, &TAlarmForm::onStalled);
}

QString TAlarmForm::SynchronisedText()
{
    return QStringLiteral("狀態：已跟儀器同步");
}

void TAlarmForm::build()
{
    setWindowTitle(QStringLiteral("報警值設置"));
    setFixedSize(437, 297);
    setModal(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("上限值 ")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("下限值    ")), 0, 3);
    const char* const rows[4] = {"電壓", "電流 ", "功率 ", "PF： "};
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(new QLabel(QString::fromUtf8(rows[row])), row + 1, 0);
        for (int limit = 0; limit < 2; ++limit) {
            const std::size_t i = std::size_t(row * 2 + limit);
            auto* edit = new QLineEdit(QString::fromUtf8(kDesignTexts[i]));
            edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
            const QString unit = QString::fromUtf8(kUnits[row]);
            edit->setToolTip(unit.isEmpty()
                                 ? QString::fromUtf8(kFieldNames[i])
                                 : QString::fromUtf8(kFieldNames[i]) + " (" + unit + ")");
            new FieldKeyFilter(edit, false);
            auto* box = new QCheckBox(QStringLiteral("開啟"));
            box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
            Edit[i] = edit;
            CheckBox[i] = box;
            grid->addWidget(edit, row + 1, 1 + limit * 2);
            grid->addWidget(box, row + 1, 2 + limit * 2);
        }
    }
    Label7 = new QLabel(QStringLiteral("狀態：同步失敗    "));
    Label7->setStyleSheet(QStringLiteral("color: red;"));

    ReadButton = new QPushButton(QStringLiteral("獲取儀器資料"));
    SaveButton = new QPushButton(QStringLiteral("儲存到儀器"));
    CloseButton = new QPushButton(QStringLiteral("結束"));
    // Enter in a field must not press a button: none is the default.
    for (QPushButton* button : {ReadButton, SaveButton, CloseButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(ReadButton, &QPushButton::clicked, this, &TAlarmForm::ReadClick);
    connect(SaveButton, &QPushButton::clicked, this, &TAlarmForm::SaveClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReadButton);
    buttons->addWidget(SaveButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Label7);
    layout->addLayout(buttons);

    // Tab follows the table: each row's upper field and box, then its lower,
    // then the buttons. Set once the widgets belong to this window, as Qt
    // ignores an order between widgets of no window.
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < 8; ++i) {
        if (previous)
            setTabOrder(previous, Edit[i]);
        setTabOrder(Edit[i], CheckBox[i]);
        previous = CheckBox[i];
    }
    setTabOrder(previous, ReadButton);
    setTabOrder(ReadButton, SaveButton);
    setTabOrder(SaveButton, CloseButton);
}

QString TAlarmForm::FieldText(float value)
{
    return FormatGeneral(RoundToDecimals(value, 4));
}

QString TAlarmForm::WriteProgressText(int reg)
{
    static const char* const kSending[] = {
        "正在傳送 AL1L﹝", "正在傳送 AL2H﹝", "正在傳送 AL2L﹝", "正在傳送 AL3H﹝",
        "正在傳送 AL3L﹝", "正在傳送 AL4H﹝", "正在傳送 AL4L﹝",
    };
    if (reg >= Register::AlarmFirst && reg < Register::AlarmLast)
        return QString::fromUtf8(kSending[reg - Register::AlarmFirst]);
    if (reg == Register::AlarmLast)
        return QStringLiteral("正在完成傳送 ");
    if (reg == Register::AlarmFlags)
        return QStringLiteral("完成傳送");
    return {};
}

void TAlarmForm::setButtonsEnabled(bool enabled)
{
    // "結束" stays usable: a chain runs on while the window is closed.
    ReadButton->setEnabled(enabled);
    SaveButton->setEnabled(enabled);
}

void TAlarmForm::OpenFromMenu()
{
    Label7->setText(QStringLiteral("正在請求儀器數據......"));
    readBackFromMenu_ = true;
    sync_.startReadBack(ReadBackStart::UserRequest);
    // Modal, but not blocking the menu's handler: the answers fill the
    // window while it is shown.
    show();
    raise();
    activateWindow();
}

void TAlarmForm::ReadClick()
{
    Label7->setText(QStringLiteral("正在提取資料......"));
    readBackFromMenu_ = false;
    sync_.startReadBack(ReadBackStart::UserRefresh);
}

void TAlarmForm::SaveClick()
{
    // Every field is checked before anything is stored or sent.
    std::array<float, 8> values{};
    for (std::size_t i = 0; i < 8; ++i) {
        const QString text = Edit[i]->text();
        const DecimalField field = ParseDecimalField(text);
        if (field.status != DecimalField::Status::Ok) {
            const QString name = QString::fromUtf8(kFieldNames[i]);
            dialogs_.message(
                field.status == DecimalField::Status::NotANumber
                    ? QStringLiteral("%1「%2」不是有效的數值，資料未儲存到儀器。").arg(name, text)
                    : QStringLiteral("%1「%2」超出可儲存的範圍，資料未儲存到儀器。")
                          .arg(name, text),
                UserDialogs::Icon::Warning);
            Edit[i]->setFocus();
            Edit[i]->selectAll();
            return;
        }
        values[i] = field.value;
    }
    // An upper limit below its lower one would make the instrument alarm at
    // every value (or never): refused before anything is sent.
    for (std::size_t upper = 0; upper < 8; upper += 2) {
        const std::size_t lower = upper + 1;
        if (values[upper] >= values[lower])
            continue;
        dialogs_.message(QStringLiteral("%1「%2」低於%3「%4」，資料未儲存到儀器。")
                             .arg(QString::fromUtf8(kFieldNames[upper]), Edit[upper]->text(),
                                  QString::fromUtf8(kFieldNames[lower]), Edit[lower]->text()),
                         UserDialogs::Icon::Warning);
        Edit[upper]->setFocus();
        Edit[upper]->selectAll();
        return;
    }
    std::uint8_t flags = 0;
    for (std::size_t k = 0; k < 8; ++k)
        if (CheckBox[k]->isChecked())
            flags |= std::uint8_t(1u << k);

    Label7->setText(QStringLiteral("正在存儲資料"));
    Label7->repaint();
    sync_.startWriteBack(values, flags);
}

void TAlarmForm::onSendFailed(AlarmSync::Chain chain)
{
    if (chain == AlarmSync::Chain::WriteBack) {
        Label7->setText(kWriteFailed);
        dialogs_.message(kSendFailedMessage);
    } else if (readBackFromMenu_) {
        dialogs_.message(QStringLiteral("同步失敗，請檢查是否已經連接儀器！   "));
    } else {
        dialogs_.message(kSendFailedMessage);
    }
}

void TAlarmForm::onStalled(AlarmSync::Chain chain)
{
    if (chain == AlarmSync::Chain::ReadBack) {
        Label7->setText(kSyncFailed);
        dialogs_.message(
            QStringLiteral("儀器沒有回應，未能讀取全部報警值，請再按「獲取儀器資料」。"),
            UserDialogs::Icon::Warning);
    } else {
        Label7->setText(kWriteFailed);
        dialogs_.message(
            QStringLiteral("儀器沒有回應，報警值未能全部存入儀器（儀器可能只收到部分數值），"
                           "請再按「儲存到儀器」。"),
            UserDialogs::Icon::Warning);
    }
}
