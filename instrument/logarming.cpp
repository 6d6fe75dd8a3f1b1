#include "logarming.h"

#include "linkstate.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "userdialogs.h"

LogArming::LogArming(LinkState& link, RequestSender& sender, ResponseDispatcher& dispatcher,
                     UserDialogs& dialogs, QObject* parent)
    : QObject(parent), link_(link), sender_(sender), dispatcher_(dispatcher), dialogs_(dialogs)
{
}

std::uint8_t LogArming::RangeCode(int voltageIndex, int currentIndex)
{
    return std::uint8_t(currentIndex * 16 + voltageIndex);
}

void LogArming::Start(int voltageIndex, int currentIndex)
{
    if (link_.SessionMode != 0) {
        dialogs_.message(QStringLiteral("    請先停止連續測量    "));
        emit finished(ArmOutcome::MeasurementRunning);
        return;
    }
    if (!dialogs_.askYesNo(QStringLiteral("啟動測量"),
                           QStringLiteral("  單擊確定后合上Starting開關!  "))) {
        emit finished(ArmOutcome::Declined);
        return;
    }
    const std::uint8_t code = RangeCode(voltageIndex, currentIndex);
    // Sent once an answer on its way has been handled, as every command.
    dispatcher_.whenIdle(nullptr, [this, code] {
        if (!sender_.SendReadRequest(link_.InstrumentAddress, Register::Log, code)) {
            dialogs_.message(QStringLiteral("啟動測量失敗，沒有正常連接儀器。"));
            emit finished(ArmOutcome::SendFailed);
            return;
        }
        link_.LastRequest = {std::uint8_t(Register::Log), code, LastRequestT::Kind::LogArm};
        link_.LogChunkIndex = 0;
        emit finished(ArmOutcome::Sent);
    });
}
