#include "measurementoptions.h"

#include "linkmessages.h"
#include "linkstate.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "userdialogs.h"

std::uint8_t OptionByteAfter(std::uint8_t optionByte, OptionItem item)
{
    switch (item) {
    case OptionItem::N31:
        return std::uint8_t(optionByte & ~1u);
    case OptionItem::N32:
        return std::uint8_t(optionByte | 1u);
    case OptionItem::IEC2:
        return std::uint8_t(optionByte & ~2u);
    case OptionItem::CSA1:
        return std::uint8_t(optionByte | 2u);
    }
    return optionByte;
}

OptionCaptions CaptionsAfterRead(bool wideBand, bool csaMethod)
{
    return {
        wideBand ? QStringLiteral("窄頻 &(Y)") : QStringLiteral("窄頻 &(Y)<"),
        wideBand ? QStringLiteral("寬頻 &(Z)<") : QStringLiteral("寬頻 &(Z)"),
        csaMethod ? QStringLiteral("%f： IEC方式 &(Y)") : QStringLiteral("%f： IEC方式 &(Y)<"),
        csaMethod ? QStringLiteral("%r： CSA方式 &(Z)<") : QStringLiteral("%r： CSA方式 &(Z)"),
    };
}

OptionCaptions CaptionsAfterChoice(OptionCaptions current, OptionItem item)
{
    switch (item) {
    case OptionItem::N31:
        current.N31 = QStringLiteral("窄頻&(Y)<");
        current.N32 = QStringLiteral("寬頻&(Z)");
        break;
    case OptionItem::N32:
        current.N31 = QStringLiteral("窄頻&(Y)");
        current.N32 = QStringLiteral("寬頻&(Z)<");
        break;
    case OptionItem::IEC2:
        current.IEC2 = QStringLiteral("%f：IEC方式 &(Y)<");
        current.CSA1 = QStringLiteral("%r：CSA方式 &(Z)");
        break;
    case OptionItem::CSA1:
        current.IEC2 = QStringLiteral("%f： IEC方式 &(Y)");
        current.CSA1 = QStringLiteral("%r:  CSA方式 &(Z)<");
        break;
    }
    return current;
}

MeasurementOptions::MeasurementOptions(LinkState& link, RequestSender& sender,
                                       ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                                       QObject* parent)
    : QObject(parent), link_(link), sender_(sender), dispatcher_(dispatcher), dialogs_(dialogs)
{
}

void MeasurementOptions::choose(OptionItem item)
{
    link_.OptionByte = OptionByteAfter(link_.OptionByte, item);
    emit chosen(item);
    // The byte goes out once any answer being received has been handled; it
    // carries the choices made until then.
    dispatcher_.whenIdle(nullptr, [this] {
        const std::uint8_t data[4] = {link_.OptionByte, 0, 0, 0};
        if (!sender_.SendWriteBytes(link_.InstrumentAddress, Register::Options, data))
            dialogs_.message(kSendFailedMessage);
    });
}
