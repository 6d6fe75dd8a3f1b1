#include "decimalfield.h"

#include "userdialogs.h"

#include <QLineEdit>

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

DecimalField ParseDecimalField(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {DecimalField::Status::Ok, 0.0f};
    static const QRegularExpression kNumber(QStringLiteral(R"(^-?(\d+\.?\d*|\.\d+)$)"));
    if (!kNumber.match(trimmed).hasMatch())
        return {DecimalField::Status::NotANumber, 0.0f};
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return {DecimalField::Status::OutOfRange, 0.0f};
    // A value just beyond the largest float would round to infinity.
    const float single = static_cast<float>(value);
    if (!std::isfinite(single))
        return {DecimalField::Status::OutOfRange, 0.0f};
    return {DecimalField::Status::Ok, single};
}

bool ReadDecimalField(QLineEdit& field, const QString& name, float& value, UserDialogs& dialogs,
                      const DecimalFieldRefusals& refusals)
{
    const DecimalField parsed = ParseDecimalField(field.text());
    if (parsed.status == DecimalField::Status::Ok) {
        value = parsed.value;
        return true;
    }
    const QString& refusal = parsed.status == DecimalField::Status::NotANumber
                                 ? refusals.notANumber
                                 : refusals.outOfRange;
    dialogs.message(refusal.arg(name, field.text()), UserDialogs::Icon::Warning);
    field.setFocus();
    field.selectAll();
    return false;
}
