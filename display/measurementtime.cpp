#include "measurementtime.h"

#include <QLocale>

QString MeasurementTimeText(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(when.time(), timeFormat.trimmed());
}
