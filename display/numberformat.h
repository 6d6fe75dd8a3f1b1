#pragma once

#include <QString>

// Nearest integer, halves to the even neighbour (N(x), Near(x), Round(x)).
double RoundHalfEven(double x);

// x brought to `decimals` places as N(x * 10^decimals) / 10^decimals.
double RoundToDecimals(double x, int decimals);

// General decimal format: at most 15 significant digits, no trailing zeros,
// '.' as the decimal point, no exponent for the magnitudes the program shows.
QString FormatGeneral(double x);
