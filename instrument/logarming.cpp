#include "logarming.h"

#include "linkstate.h"
#include "responsedispatcher.h"
#include "userdialogs.h"

LogArming::LogArming(LinkState& link, ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                     QObject* parent)
    : QObject(parent), link_(link), dispatcher_(dispatcher), dialogs_(dialogs)
{
}

std::uint8_t LogArming::RangeCode(int voltageIndex, int currentIndex)
{
    return std::uint8_t(currentIndex * 16 + voltageIndex);
}

void LogArming::Start(int voltageIndex, int currentIndex)
{
    if (link_.SessionMode != SessionModeT::Idle) {
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
        if (!dispatcher_.ArmLog(code)) {
            dialogs_.message(QStringLiteral("啟動測量失敗，沒有正常連接儀器。"));
            emit finished(ArmOutcome::SendFailed);
            return;
        }
        emit finished(ArmOutcome::Sent);
    });
}
