#pragma once

#include <QDateTime>
#include <QString>

// When a measurement was taken, as the main window's "提取時間" panel and the
// analysis report write it: the date in the system's short format, a blank
// and the time in its long format (without a time zone, which the long time
// format of the desktop's locale may add).
QString MeasurementTimeText(const QDateTime& when);
