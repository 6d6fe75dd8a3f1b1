#pragma once

#include "harmoniclimits.h"

#include <QString>
#include <QStringList>

// The words and number texts of the limits view and its page, which show
// the same table.

// The class as the chooser lists it ("A 類：一般設備" ...).
QString ClassCaption(EmissionClass emissionClass);
// An order's verdict or the reason it has none; empty for an order its
// class lists no limit for.
QString OrderStateText(OrderState state);
// The overall verdict in one line, naming the active power when Class D does
// not apply.
QString OverallVerdictText(OverallVerdict verdict, const LimitBasis& basis);
// "最差：第 5 次，佔限值 97.21%，餘量 0.0321 A", or empty without one.
QString WorstOrderText(int order, double percent, double marginAmperes);
// The note that says what the comparison is and is not.
QString MethodNoteText();

// `value` with `minDecimals` decimals, or more where that is needed to tell
// it apart from `reference` (up to 12): a current just over its limit never
// reads as equal to it, nor a percentage just over 100 as "100.00".
int DecimalsApart(double value, double reference, int minDecimals);
QString FixedText(double value, int decimals);

// The cells of one table row: the order, measured, limit, percentage and
// verdict; with `hold`, also the highest value, its highest percentage and
// that verdict.
inline constexpr int kLimitsColumns = 5;
inline constexpr int kLimitsHoldColumns = 8;
QStringList LimitsHeadings(bool hold);
QStringList LimitsRowTexts(const OrderAssessment& order, const MaxHold* hold);
