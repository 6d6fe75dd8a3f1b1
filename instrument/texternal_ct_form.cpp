#include "texternal_ct_form.h"

#include "decimalfield.h"
#include "externalct.h"
#include "fieldkeyfilter.h"
#include "linkmessages.h"
#include "linkstate.h"
#include "modbusframe.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "userdialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TExternal_CT_form::TExternal_CT_form(LinkState& link, RequestSender& sender,
                                     ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                                     QWidget* parent)
    : QDialog(parent), link_(link), sender_(sender), dispatcher_(dispatcher), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("外部互感器選項"));
    setFixedSize(269, 252);

    auto* group = new QGroupBox(QStringLiteral("相位差 "));
    auto* grid = new QGridLayout(group);
    Edit1 = new QLineEdit(QStringLiteral("0"));
    Edit1->setToolTip(QStringLiteral("相位差（°）"));
    Edit2 = new QLineEdit(QStringLiteral("50"));
    Edit2->setToolTip(QStringLiteral("頻率（Hz）"));
    new FieldKeyFilter(Edit1, true);
    new FieldKeyFilter(Edit2, true);
    grid->addWidget(new QLabel(QStringLiteral("相位差   ")), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("度（-30至+30）")), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("頻率")), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hz（50至60）")), 1, 2);

    SaveButton = new QPushButton(QStringLiteral("儲存到儀器"));
    SaveButton->setAutoDefault(false);
    SaveButton->setDefault(false);
    connect(SaveButton, &QPushButton::clicked, this, &TExternal_CT_form::SaveClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(new QLabel(QStringLiteral("都沒有連接外部互感器時，請輸入0。    ")));
    layout->addWidget(new QLabel(QStringLiteral("相位差請鍵入互感器的角度差。    ")));
    layout->addWidget(SaveButton);
    StatusLabel = new QLabel;
    StatusLabel->setWordWrap(true);
    layout->addWidget(StatusLabel);
    // Set once the widgets belong to this window; Qt ignores it before.
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, SaveButton);
}

bool TExternal_CT_form::readField(QLineEdit* field, const QString& name, float* value)
{
    return ReadDecimalField(*field, name, *value, dialogs_,
                            {QStringLiteral("%1「%2」不是有效的數值，資料未儲存到儀器。"),
                             QStringLiteral("%1「%2」超出範圍，資料未儲存到儀器。")});
}

void TExternal_CT_form::SaveClick()
{
    using Refusal = ExternalCtShift::Refusal;
    float frequency = 0;
    float phase = 0;
    StatusLabel->clear();
    if (!readField(Edit2, QStringLiteral("頻率"), &frequency))
        return;
    // The frequency is judged before the phase field is even read.
    ExternalCtShift shift = ComputeExternalCtShift(frequency, 0.0f);
    if (shift.refusal == Refusal::None) {
        if (!readField(Edit1, QStringLiteral("相位差"), &phase))
            return;
        shift = ComputeExternalCtShift(frequency, phase);
    }
    switch (shift.refusal) {
    case Refusal::FrequencyHigh:
        dialogs_.message(QStringLiteral("  頻率大於60HZ，資料無效!    "));
        return;
    case Refusal::FrequencyLow:
        dialogs_.message(QStringLiteral("  頻率小於50HZ，資料無效!    "));
        return;
    case Refusal::PhaseHigh:
        dialogs_.message(QStringLiteral("  相位差不能大於30度，資料無效!    "));
        return;
    case Refusal::PhaseLow:
        dialogs_.message(QStringLiteral("  相位差不能小於-30，資料無效!    "));
        return;
    case Refusal::None:
        break;
    }
    const float seconds = shift.seconds;
    const QString sent = QStringLiteral("已傳送到儀器：相位差 %1 度，頻率 %2 Hz。")
                             .arg(Edit1->text().trimmed(), Edit2->text().trimmed());
    dispatcher_.whenIdle(nullptr, [this, seconds, sent] {
        if (!sender_.SendWriteValue(link_.InstrumentAddress, Register::ExternalCtPhase,
                                    FloatBits(seconds))) {
            StatusLabel->clear();
            dialogs_.message(kSendFailedMessage);
            return;
        }
        StatusLabel->setText(sent);
    });
}
