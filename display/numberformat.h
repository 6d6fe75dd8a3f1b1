#pragma once

#include <QString>

#include <functional>

// Nearest integer, halves to the even neighbour (N(x), Near(x), Round(x)).
double RoundHalfEven(double x);

// x brought to `decimals` places as N(x * 10^decimals) / 10^decimals.
double RoundToDecimals(double x, int decimals);

// General decimal format: at most 15 significant digits, no trailing zeros,
// '.' as the decimal point, no exponent for the magnitudes the program shows.
QString FormatGeneral(double x);

// `text` as it is when `fits` takes it, otherwise in a shorter form that
// `fits` takes. `text` starts with a number in the general format; whatever
// follows it (a unit, "%") stays. The shorter forms write the number in
// exponent form with 6 significant digits down to 1 ("3.4E+38", "3E+38"),
// so that a value too wide for its field keeps its magnitude instead of
// being cut off at the edge (a cut "3.40000001972723" reads as 3.4). When
// not even one digit fits, the number gives way to "#", which no one reads
// as a value. Texts without a leading number come back unchanged.
QString FitNumberText(const QString& text, const std::function<bool(const QString&)>& fits);
