#pragma once

#include <QString>

class QLineEdit;
class UserDialogs;

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

// A window's words for a field that ReadDecimalField refuses: %1 is the
// field's name, %2 what was typed.
struct DecimalFieldRefusals {
    QString notANumber;
    QString outOfRange;
};

// Reads `field` into `value`. A field that is not a number is refused: the
// window's warning is shown and the field takes the focus with its text
// selected, so that the user types it again; false then, `value` untouched.
bool ReadDecimalField(QLineEdit& field, const QString& name, float& value, UserDialogs& dialogs,
                      const DecimalFieldRefusals& refusals);
