#include "brokerpanel.h"

namespace {

QString addressOf(const BrokerSettings& settings)
{
    return QStringLiteral("%1:%2").arg(settings.host).arg(settings.effectivePort());
}

} // namespace

BrokerPanel::BrokerPanel(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("BrokerPanel"));
    setVisible(false);
    // It asks for its whole text but makes do with little, so that the
    // window can still be made as narrow as before.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMinimumWidth(kMinimumWidth);
}

void BrokerPanel::setBroker(const BrokerSettings& settings, const QStringList& invalidKeys)
{
    settings_ = settings;
    invalidKeys_ = InvalidKeysText(invalidKeys);
    showStatus({});
}

QString BrokerPanel::InvalidKeysText(const QStringList& keys)
{
    return keys.isEmpty() ? QString()
                          : QStringLiteral("（設定 %1 無效，已用預設值）")
                                .arg(keys.join(QStringLiteral("、")));
}

QString BrokerPanel::StatusText(const BrokerStatus& status, const BrokerSettings& settings)
{
    using State = BrokerStatus::State;
    using Problem = BrokerStatus::Problem;
    const QString address = addressOf(settings);
    QString text = QStringLiteral("MQTT：");
    switch (status.state) {
    case State::Idle:
        text += QStringLiteral("採樣時發布到 %1").arg(address);
        break;
    case State::Connecting:
        text += QStringLiteral("正在連接 %1").arg(address);
        break;
    case State::Connected:
        text += QStringLiteral("已連接 %1").arg(address);
        break;
    case State::Waiting:
        // Short, the address in the tooltip: the status bar is crowded.
        switch (status.problem) {
        case Problem::None:
        case Problem::Unreachable:
            text += QStringLiteral("伺服器無回應");
            break;
        case Problem::UnknownHost:
            text += QStringLiteral("找不到主機 %1").arg(settings.host);
            break;
        case Problem::NotAuthorised:
            text += QStringLiteral("使用者名稱或密碼被拒");
            break;
        case Problem::Rejected:
            text += QStringLiteral("伺服器拒絕連接");
            break;
        case Problem::TlsFailed:
            text += QStringLiteral("TLS 憑證不受信任");
            break;
        case Problem::Lost:
            text += QStringLiteral("連接中斷");
            break;
        }
        break;
    }
    // What waits and what was lost come before the retry's time.
    QString counts;
    if (status.state != State::Connected && status.queued > 0)
        counts += QStringLiteral("，%1 筆待送").arg(status.queued);
    if (status.dropped > 0)
        counts += QStringLiteral("，已捨棄 %1 筆").arg(status.dropped);
    if (status.state == State::Waiting)
        return text + counts + QStringLiteral("，%1 秒後重試").arg(status.retrySeconds);
    return text + counts;
}

QString BrokerPanel::FileProblemText(BrokerFileProblem problem, const BrokerSettings& settings)
{
    switch (problem) {
    case BrokerFileProblem::None:
        break;
    case BrokerFileProblem::PasswordUnreadable:
        return QStringLiteral("MQTT：無法讀取密碼檔 %1，不發布").arg(settings.passwordFile);
    case BrokerFileProblem::CaUnreadable:
        return QStringLiteral("MQTT：無法讀取 CA 檔 %1，不發布").arg(settings.caFile);
    }
    return {};
}

void BrokerPanel::showStatus(const BrokerStatus& status)
{
    showText(StatusText(status, settings_) + invalidKeys_);
    setToolTip(
        QStringLiteral("MQTT %1 (%2)：%3").arg(addressOf(settings_), settings_.prefix, text()));
}

void BrokerPanel::showFileProblem(BrokerFileProblem problem)
{
    showText(FileProblemText(problem, settings_) + invalidKeys_);
}

void BrokerPanel::showText(const QString& text)
{
    setText(text);
    setToolTip(text); // all of it, where the panel is too narrow
    setVisible(true);
}
