#pragma once

#include <QString>

// Shown when a request cannot go out because the port is not open.
inline const QString kSendFailedMessage =
    QStringLiteral("提取數據失敗，請檢查是否已經連接儀器！   ");
