#include "numberformat.h"

#include <QRegularExpression>

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

namespace {

// `x` in exponent form with `digits` significant digits, without trailing
// zeros in the mantissa and with the exponent unpadded, as FormatGeneral
// writes its exponents.
QString ExponentForm(double x, int digits)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", digits - 1, x);
    QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    QString mantissa = text.left(e);
    if (mantissa.contains(QLatin1Char('.'))) {
        while (mantissa.endsWith(QLatin1Char('0')))
            mantissa.chop(1);
        if (mantissa.endsWith(QLatin1Char('.')))
            mantissa.chop(1);
    }
    QString exponent = text.mid(e);
    exponent.replace(QStringLiteral("E-0"), QStringLiteral("E-"));
    exponent.replace(QStringLiteral("E+0"), QStringLiteral("E+"));
    return mantissa + exponent;
}

} // namespace

QString FitNumberText(const QString& text, const std::function<bool(const QString&)>& fits)
{
    if (fits(text))
        return text;
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?(E[+-]\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return text;
    bool ok = false;
    const double x = match.captured().toDouble(&ok);
    if (!ok)
        return text;
    const QString rest = text.mid(match.capturedLength());
    for (int digits = 6; digits >= 1; --digits) {
        QString shorter = ExponentForm(x, digits) + rest;
        if (fits(shorter))
            return shorter;
    }
    return QStringLiteral("#") + rest;
}
