#include "harmoniclimits.h"

#include "measurementrecord.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Class A, odd orders 3-13 and even orders 2-6 as listed; above them the
// limits fall with the order.
std::optional<double> ClassALimit(int order)
{
    switch (order) {
    case 2:
        return 1.08;
    case 3:
        return 2.30;
    case 4:
        return 0.43;
    case 5:
        return 1.14;
    case 6:
        return 0.30;
    case 7:
        return 0.77;
    case 9:
        return 0.40;
    case 11:
        return 0.33;
    case 13:
        return 0.21;
    default:
        break;
    }
    if (order % 2 == 1 && order >= 15 && order <= 39)
        return 0.15 * 15.0 / order;
    if (order % 2 == 0 && order >= 8 && order <= 40)
        return 0.23 * 8.0 / order;
    return std::nullopt;
}

// Class C in percent of the fundamental current; order 3 is 30 λ % and is
// handled by the caller.
std::optional<double> ClassCPercent(int order)
{
    switch (order) {
    case 2:
        return 2.0;
    case 5:
        return 10.0;
    case 7:
        return 7.0;
    case 9:
        return 5.0;
    default:
        break;
    }
    if (order % 2 == 1 && order >= 11 && order <= 39)
        return 3.0;
    return std::nullopt;
}

// Class D in milliamperes per watt.
std::optional<double> ClassDPerWatt(int order)
{
    switch (order) {
    case 3:
        return 3.4;
    case 5:
        return 1.9;
    case 7:
        return 1.0;
    case 9:
        return 0.5;
    case 11:
        return 0.35;
    default:
        break;
    }
    if (order % 2 == 1 && order >= 13 && order <= 39)
        return 3.85 / order;
    return std::nullopt;
}

bool Listed(EmissionClass emissionClass, int order)
{
    switch (emissionClass) {
    case EmissionClass::A:
    case EmissionClass::B:
        return ClassALimit(order).has_value();
    case EmissionClass::C:
        return order == 3 || ClassCPercent(order).has_value();
    case EmissionClass::D:
        return ClassDPerWatt(order).has_value();
    }
    return false;
}

bool FundamentalUsable(double fundamentalRms)
{
    return std::isfinite(fundamentalRms) && fundamentalRms > 0.0;
}

bool HasVerdict(OrderState state)
{
    return state == OrderState::Kept || state == OrderState::Exceeded;
}

} // namespace

std::optional<double> FixedLimit(EmissionClass emissionClass, int order)
{
    const std::optional<double> a = ClassALimit(order);
    if (!a)
        return std::nullopt;
    if (emissionClass == EmissionClass::A)
        return a;
    if (emissionClass == EmissionClass::B)
        return *a * 1.5;
    return std::nullopt;
}

OrderLimit LimitOf(EmissionClass emissionClass, int order, const LimitBasis& basis)
{
    if (!Listed(emissionClass, order))
        return {std::nullopt, OrderState::NoLimit};
    switch (emissionClass) {
    case EmissionClass::A:
    case EmissionClass::B:
        return {FixedLimit(emissionClass, order), OrderState::NoLimit};
    case EmissionClass::C: {
        if (!FundamentalUsable(basis.fundamentalRms))
            return {std::nullopt, OrderState::NoFundamental};
        if (order == 3) {
            const double lambda = basis.powerFactor;
            if (!std::isfinite(lambda) || lambda < 0.0 || lambda > 1.0)
                return {std::nullopt, OrderState::NoPowerFactor};
            return {basis.fundamentalRms * 30.0 * lambda / 100.0, OrderState::NoLimit};
        }
        return {basis.fundamentalRms * *ClassCPercent(order) / 100.0, OrderState::NoLimit};
    }
    case EmissionClass::D: {
        const double watts = basis.activePower;
        if (!std::isfinite(watts) || watts <= 0.0)
            return {std::nullopt, OrderState::NoPower};
        if (watts > kClassDMaxWatts)
            return {std::nullopt, OrderState::NotApplicable};
        const double perWatt = *ClassDPerWatt(order) / 1000.0 * watts;
        return {std::min(perWatt, *ClassALimit(order)), OrderState::NoLimit};
    }
    }
    return {std::nullopt, OrderState::NoLimit};
}

OrderState Judge(double measured, double limit)
{
    return measured <= limit ? OrderState::Kept : OrderState::Exceeded;
}

std::optional<double> LimitsAssessment::worstMarginAmperes() const
{
    if (!worstOrder)
        return std::nullopt;
    const OrderAssessment& worst = order(*worstOrder);
    return *worst.limit - worst.measured;
}

std::optional<double> LimitsAssessment::worstMarginPercent() const
{
    if (!worstOrder)
        return std::nullopt;
    return 100.0 - *order(*worstOrder).percent;
}

HarmonicCurrents CurrentsOf(const MeasurementRecord& record)
{
    HarmonicCurrents currents;
    for (std::size_t n = 0; n < currents.rms.size(); ++n)
        currents.rms[n] = double(record.IHarmonic[n]) / std::numbers::sqrt2;
    currents.basis = {currents.rms[1], double(record.PF), double(record.WRMS)};
    return currents;
}

LimitsAssessment AssessLimits(EmissionClass emissionClass, const HarmonicCurrents& currents)
{
    LimitsAssessment result;
    result.emissionClass = emissionClass;
    result.basis = currents.basis;
    bool exceeded = false;
    bool withoutVerdict = false;
    for (int n = kFirstLimitOrder; n <= kLastLimitOrder; ++n) {
        OrderAssessment& o = result.orders[std::size_t(n - kFirstLimitOrder)];
        o.order = n;
        o.measured = currents.rms[std::size_t(n)];
        const OrderLimit limit = LimitOf(emissionClass, n, currents.basis);
        o.limit = limit.amperes;
        if (!limit.amperes) {
            o.state = limit.missing;
        } else if (!std::isfinite(o.measured) || o.measured < 0.0) {
            o.state = OrderState::NoMeasurement;
        } else {
            o.state = Judge(o.measured, *limit.amperes);
            o.percent = o.measured / *limit.amperes * 100.0;
            if (!result.worstOrder || *o.percent > *result.order(*result.worstOrder).percent)
                result.worstOrder = n;
        }
        exceeded |= o.state == OrderState::Exceeded;
        withoutVerdict |= o.state != OrderState::NoLimit && !HasVerdict(o.state);
    }
    if (!FundamentalUsable(currents.basis.fundamentalRms)) {
        // Without a fundamental there is no load to judge, whatever the
        // class: a silent input must not read as a product that complies.
        result.verdict = OverallVerdict::NoFundamental;
        for (OrderAssessment& o : result.orders) {
            if (o.state != OrderState::NoLimit)
                o.state = OrderState::NoFundamental;
            o.percent.reset();
        }
        result.worstOrder.reset();
    } else if (emissionClass == EmissionClass::D && currents.basis.activePower > kClassDMaxWatts) {
        result.verdict = OverallVerdict::NotApplicable;
    } else if (exceeded) {
        result.verdict = OverallVerdict::Exceeded;
    } else if (withoutVerdict) {
        result.verdict = OverallVerdict::Incomplete;
    } else {
        result.verdict = OverallVerdict::Kept;
    }
    return result;
}

void MaxHold::reset()
{
    *this = MaxHold();
}

void MaxHold::take(const LimitsAssessment& assessment)
{
    if (class_ && *class_ != assessment.emissionClass)
        reset();
    class_ = assessment.emissionClass;
    ++count_;
    // The highest currents are kept whatever the verdict: they are facts of
    // the product under test even where no limit can be applied to them.
    for (std::size_t k = 0; k < held_.size(); ++k) {
        const double measured = assessment.orders[k].measured;
        if (std::isfinite(measured) && measured >= 0.0)
            held_[k].highest = std::max(held_[k].highest.value_or(measured), measured);
    }
    if (assessment.verdict == OverallVerdict::NoFundamental) {
        ++noFundamental_;
        return;
    }
    if (assessment.verdict == OverallVerdict::NotApplicable) {
        ++notApplicable_;
        return;
    }
    for (std::size_t k = 0; k < held_.size(); ++k) {
        const OrderAssessment& o = assessment.orders[k];
        Held& h = held_[k];
        if (o.state == OrderState::NoLimit)
            continue;
        h.anyLimit = true;
        if (o.percent) {
            h.percent = std::max(h.percent.value_or(*o.percent), *o.percent);
        } else {
            h.anyWithoutVerdict = true;
            h.lastMissing = o.state;
        }
    }
}

std::optional<double> MaxHold::highest(int order) const
{
    return held_[std::size_t(order - kFirstLimitOrder)].highest;
}

std::optional<double> MaxHold::highestPercent(int order) const
{
    return held_[std::size_t(order - kFirstLimitOrder)].percent;
}

OrderState MaxHold::state(int order) const
{
    const Held& h = held_[std::size_t(order - kFirstLimitOrder)];
    if (h.percent && *h.percent > 100.0)
        return OrderState::Exceeded;
    if (h.anyWithoutVerdict)
        return h.lastMissing;
    if (h.percent)
        return OrderState::Kept;
    return OrderState::NoLimit;
}

OverallVerdict MaxHold::verdict() const
{
    bool incomplete = noFundamental_ > 0 || notApplicable_ > 0;
    bool anyVerdict = false;
    for (int n = kFirstLimitOrder; n <= kLastLimitOrder; ++n) {
        const OrderState s = state(n);
        if (s == OrderState::Exceeded)
            return OverallVerdict::Exceeded;
        anyVerdict |= s == OrderState::Kept;
        incomplete |= s != OrderState::NoLimit && s != OrderState::Kept;
    }
    if (!anyVerdict)
        return notApplicable_ > 0 ? OverallVerdict::NotApplicable : OverallVerdict::NoFundamental;
    return incomplete ? OverallVerdict::Incomplete : OverallVerdict::Kept;
}

std::optional<int> MaxHold::worstOrder() const
{
    std::optional<int> worst;
    for (int n = kFirstLimitOrder; n <= kLastLimitOrder; ++n)
        if (const std::optional<double> p = highestPercent(n);
            p && (!worst || *p > *highestPercent(*worst)))
            worst = n;
    return worst;
}

char ClassLetter(EmissionClass emissionClass)
{
    return char('A' + int(emissionClass));
}

std::optional<EmissionClass> ClassFromLetter(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    if (t.size() != 1 || t[0] < QLatin1Char('A') || t[0] > QLatin1Char('D'))
        return std::nullopt;
    return EmissionClass(t[0].unicode() - 'A');
}
