#include "numberformat.h"

#include <cfenv>
#include <cmath>
#include <cstdio>

double RoundHalfEven(double x)
{
    // nearbyint follows the rounding mode, which is to-nearest-even unless
    // someone changed it; make that explicit rather than rely on it.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(x);
    std::fesetround(saved);
    return r;
}

double RoundToDecimals(double x, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return RoundHalfEven(x * scale) / scale;
}

QString FormatGeneral(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (x == 0.0)
        return QStringLiteral("0"); // also for -0.0
    // %.15g is fixed notation without trailing zeros for every magnitude from
    // 1e-4 up to 1e15, which covers what the program shows; beyond that the
    // exponent is written without padding ("1E-5", "1E+15").
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", x);
    QString text = QString::fromLatin1(buffer);
    text.replace(QStringLiteral("E-0"), QStringLiteral("E-"));
    text.replace(QStringLiteral("E+0"), QStringLiteral("E+"));
    return text;
}
