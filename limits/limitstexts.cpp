#include "limitstexts.h"

#include <cmath>

namespace {

constexpr int kAmpereDecimals = 4;
constexpr int kPercentDecimals = 2;
constexpr int kMostDecimals = 12;

// The percentage with the decimals that keep it apart from 100.
QString PercentText(double percent)
{
    return FixedText(percent, DecimalsApart(percent, 100.0, kPercentDecimals)) + QLatin1Char('%');
}

} // namespace

QString ClassCaption(EmissionClass emissionClass)
{
    switch (emissionClass) {
    case EmissionClass::A:
        return QStringLiteral("A 類：一般設備");
    case EmissionClass::B:
        return QStringLiteral("B 類：手提電動工具");
    case EmissionClass::C:
        return QStringLiteral("C 類：照明設備（25 W 以上）");
    case EmissionClass::D:
        return QStringLiteral("D 類：個人電腦、電視機（600 W 以下）");
    }
    return {};
}

QString OrderStateText(OrderState state)
{
    switch (state) {
    case OrderState::Kept:
        return QStringLiteral("合格");
    case OrderState::Exceeded:
        return QStringLiteral("超限");
    case OrderState::NoLimit:
        return {};
    case OrderState::NoMeasurement:
        return QStringLiteral("無效量測值");
    case OrderState::NoFundamental:
        return QStringLiteral("無基波");
    case OrderState::NoPowerFactor:
        return QStringLiteral("功率因數無效");
    case OrderState::NoPower:
        return QStringLiteral("無有功功率");
    case OrderState::NotApplicable:
        return QStringLiteral("不適用");
    }
    return {};
}

QString OverallVerdictText(OverallVerdict verdict, const LimitBasis& basis)
{
    switch (verdict) {
    case OverallVerdict::Kept:
        return QStringLiteral("判定：合格，各次諧波均未超過限值");
    case OverallVerdict::Exceeded:
        return QStringLiteral("判定：超限，有諧波超過限值");
    case OverallVerdict::Incomplete:
        return QStringLiteral("判定：無法判定，部分諧波無法計算（見表中說明），未發現超限");
    case OverallVerdict::NotApplicable:
        return QStringLiteral("D 類不適用：有功功率 %1 W 超過 600 W")
            .arg(FixedText(basis.activePower, 1));
    case OverallVerdict::NoFundamental:
        return QStringLiteral("無法判定：基波電流為零或無效，沒有可比較的量測");
    }
    return {};
}

QString WorstOrderText(int order, double percent, double marginAmperes)
{
    return QStringLiteral("最差：第 %1 次，佔限值 %2，餘量 %3 A")
        .arg(order)
        .arg(PercentText(percent))
        .arg(FixedText(marginAmperes, kAmpereDecimals));
}

QString MethodNoteText()
{
    return QStringLiteral(
        "說明：本結果僅為預檢參考，把每次量測的各次諧波電流（有效值）與 IEC 61000-3-2 "
        "的限值表直接比較，並非標準規定的完整測試方法：未採用 IEC 61000-4-7 的視窗分析，"
        "未進行 2.5 分鐘觀測，也未檢查試驗電源。");
}

int DecimalsApart(double value, double reference, int minDecimals)
{
    int decimals = minDecimals;
    if (!std::isfinite(value) || !std::isfinite(reference) || value == reference)
        return decimals;
    while (decimals < kMostDecimals && FixedText(value, decimals) == FixedText(reference, decimals))
        ++decimals;
    return decimals;
}

QString FixedText(double value, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    return QString::number(value, 'f', decimals);
}

QStringList LimitsHeadings(bool hold)
{
    QStringList headings{QStringLiteral("次數"), QStringLiteral("量測值(A)"),
                         QStringLiteral("限值(A)"), QStringLiteral("佔限值"),
                         QStringLiteral("判定")};
    if (hold)
        headings << QStringLiteral("最大值(A)") << QStringLiteral("最大佔限值")
                 << QStringLiteral("最大判定");
    return headings;
}

QStringList LimitsRowTexts(const OrderAssessment& order, const MaxHold* hold)
{
    const int decimals = order.limit ? DecimalsApart(order.measured, *order.limit, kAmpereDecimals)
                                     : kAmpereDecimals;
    QStringList cells{QString::number(order.order), FixedText(order.measured, decimals),
                      order.limit ? FixedText(*order.limit, decimals) : QString(),
                      order.percent ? PercentText(*order.percent) : QString(),
                      OrderStateText(order.state)};
    if (hold) {
        const std::optional<double> highest = hold->highest(order.order);
        const std::optional<double> percent = hold->highestPercent(order.order);
        cells << (highest ? FixedText(*highest, decimals) : QString())
              << (percent ? PercentText(*percent) : QString())
              << OrderStateText(hold->state(order.order));
    }
    return cells;
}
