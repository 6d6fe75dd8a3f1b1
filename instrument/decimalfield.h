#pragma once

#include <QString>

// A number typed into one of the instrument windows' fields.
struct DecimalField {
    enum class Status {
        Ok,         // value holds the number (0 for an empty field)
        NotANumber, // not blanks, an optional minus, digits with at most one point
        OutOfRange, // a number, but beyond the largest finite 32-bit float
    };
    Status status = Status::Ok;
    float value = 0.0f;
};

// Reads a field strictly: blanks around are ignored, an empty field is 0,
// otherwise an optional leading minus and digits with at most one point and at
// least one digit ("5", "5.", ".5", "-0.25"). Exponents, signs other than a
// leading minus, group separators, "nan" and "inf" are refused, so the result
// is always a finite float. '.' is the point whatever the desktop's locale.
DecimalField ParseDecimalField(const QString& text);
