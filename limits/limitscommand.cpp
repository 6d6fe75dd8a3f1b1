#include "limitscommand.h"

#include "harmoniclimits.h"
#include "measurementrecord.h"
#include "snapshotfile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <charconv>
#include <cmath>

namespace {

const QString kNote =
    QStringLiteral("Pre-compliance aid: the harmonic currents of one measurement compared with the "
                   "IEC 61000-3-2 limit tables; not the standard's full method (no IEC 61000-4-7 "
                   "windowing, no 2.5-minute observation, no test-supply check).");

LimitsCommandOutcome Failure(const QString& error)
{
    return {kLimitsBadInput, QString(), error};
}

QString StateWord(OrderState state)
{
    switch (state) {
    case OrderState::Kept:
        return QStringLiteral("kept");
    case OrderState::Exceeded:
        return QStringLiteral("exceeded");
    case OrderState::NoLimit:
        return QStringLiteral("no_limit");
    case OrderState::NoMeasurement:
        return QStringLiteral("invalid_measurement");
    case OrderState::NoFundamental:
        return QStringLiteral("no_fundamental");
    case OrderState::NoPowerFactor:
        return QStringLiteral("invalid_power_factor");
    case OrderState::NoPower:
        return QStringLiteral("no_active_power");
    case OrderState::NotApplicable:
        return QStringLiteral("not_applicable");
    }
    return {};
}

QString VerdictWord(OverallVerdict verdict)
{
    switch (verdict) {
    case OverallVerdict::Kept:
        return QStringLiteral("kept");
    case OverallVerdict::Exceeded:
        return QStringLiteral("exceeded");
    case OverallVerdict::Incomplete:
        return QStringLiteral("incomplete");
    case OverallVerdict::NotApplicable:
        return QStringLiteral("not_applicable");
    case OverallVerdict::NoFundamental:
        return QStringLiteral("no_fundamental");
    }
    return {};
}

// Why there is no verdict, in one line; empty when there is one.
QString NoVerdictReason(const LimitsAssessment& a)
{
    switch (a.verdict) {
    case OverallVerdict::Kept:
    case OverallVerdict::Exceeded:
        return {};
    case OverallVerdict::Incomplete: {
        QStringList orders;
        for (const OrderAssessment& o : a.orders)
            if (!o.percent && o.state != OrderState::NoLimit)
                orders << QStringLiteral("%1 (%2)").arg(o.order).arg(StateWord(o.state));
        return QStringLiteral("no verdict: order %1 cannot be compared with its limit, and "
                              "no order exceeds its limit.")
            .arg(orders.join(QStringLiteral(", ")));
    }
    case OverallVerdict::NotApplicable:
        return QStringLiteral("no verdict: Class D covers equipment up to 600 W; this "
                              "measurement draws %1 W.")
            .arg(a.basis.activePower, 0, 'f', 1);
    case OverallVerdict::NoFundamental:
        return QStringLiteral("no verdict: the fundamental current is zero or not a number; "
                              "there is no load to compare.");
    }
    return {};
}

// The shortest text that reads back to the same double; "" for none.
QString Number(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return {};
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, *value);
    return QString::fromLatin1(text, int(result.ptr - text));
}

QJsonValue JsonNumber(std::optional<double> value)
{
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// Enough decimals that a value just over its limit does not read as equal.
QString Shown(double value, std::optional<double> reference, int decimals)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("NaN") : QStringLiteral("Inf");
    if (reference && std::isfinite(*reference) && value != *reference)
        while (decimals < 12
               && QString::number(value, 'f', decimals)
                      == QString::number(*reference, 'f', decimals))
            ++decimals;
    return QString::number(value, 'f', decimals);
}

QString TextTable(const QString& file, const LimitsAssessment& a)
{
    QString text = QStringLiteral("File: %1\nClass: %2\n")
                       .arg(QDir::toNativeSeparators(file))
                       .arg(QLatin1Char(ClassLetter(a.emissionClass)));
    text += QStringLiteral("Fundamental: %1 A  Power factor: %2  Active power: %3 W\n")
                .arg(Shown(a.basis.fundamentalRms, {}, 4), Shown(a.basis.powerFactor, {}, 3),
                     Shown(a.basis.activePower, {}, 1));
    text += QStringLiteral("%1  %2  %3  %4  %5\n")
                .arg(QStringLiteral("Order"), -5)
                .arg(QStringLiteral("Measured A"), -12)
                .arg(QStringLiteral("Limit A"), -12)
                .arg(QStringLiteral("Percent"), -10)
                .arg(QStringLiteral("Verdict"));
    for (const OrderAssessment& o : a.orders) {
        QString measured = Shown(o.measured, o.limit, 4);
        QString limit = o.limit ? Shown(*o.limit, o.measured, 4) : QString();
        QString percent = o.percent ? Shown(*o.percent, 100.0, 2) + QLatin1Char('%') : QString();
        const QString verdict = o.state == OrderState::NoLimit ? QString() : StateWord(o.state);
        text += QStringLiteral("%1  %2  %3  %4  %5")
                    .arg(o.order, -5)
                    .arg(measured, -12)
                    .arg(limit, -12)
                    .arg(percent, -10)
                    .arg(verdict)
                    .trimmed()
                + QLatin1Char('\n');
    }
    text += QStringLiteral("Verdict: %1\n").arg(VerdictWord(a.verdict));
    if (a.worstOrder)
        text += QStringLiteral("Worst order: %1 at %2% of its limit, margin %3 A\n")
                    .arg(*a.worstOrder)
                    .arg(Shown(*a.order(*a.worstOrder).percent, 100.0, 2))
                    .arg(Shown(*a.worstMarginAmperes(), {}, 4));
    return text + kNote + QLatin1Char('\n');
}

QString CsvTable(const LimitsAssessment& a)
{
    QString text = QStringLiteral("order,measured_a,limit_a,percent,verdict\r\n");
    for (const OrderAssessment& o : a.orders)
        text += QStringList{QString::number(o.order), Number(o.measured), Number(o.limit),
                            Number(o.percent), StateWord(o.state)}
                    .join(QLatin1Char(','))
                + QStringLiteral("\r\n");
    return text;
}

QString JsonTable(const QString& file, const LimitsAssessment& a)
{
    QJsonArray orders;
    for (const OrderAssessment& o : a.orders)
        orders.append(QJsonObject{{QStringLiteral("order"), o.order},
                                  {QStringLiteral("measured_a"), JsonNumber(o.measured)},
                                  {QStringLiteral("limit_a"), JsonNumber(o.limit)},
                                  {QStringLiteral("percent"), JsonNumber(o.percent)},
                                  {QStringLiteral("verdict"), StateWord(o.state)}});
    QJsonObject root{{QStringLiteral("file"), QDir::toNativeSeparators(file)},
                     {QStringLiteral("class"), QString(QLatin1Char(ClassLetter(a.emissionClass)))},
                     {QStringLiteral("fundamental_a"), JsonNumber(a.basis.fundamentalRms)},
                     {QStringLiteral("power_factor"), JsonNumber(a.basis.powerFactor)},
                     {QStringLiteral("active_power_w"), JsonNumber(a.basis.activePower)},
                     {QStringLiteral("verdict"), VerdictWord(a.verdict)},
                     {QStringLiteral("worst_order"),
                      a.worstOrder ? QJsonValue(*a.worstOrder) : QJsonValue(QJsonValue::Null)},
                     {QStringLiteral("worst_margin_a"), JsonNumber(a.worstMarginAmperes())},
                     {QStringLiteral("worst_margin_percent"), JsonNumber(a.worstMarginPercent())},
                     {QStringLiteral("orders"), orders},
                     {QStringLiteral("note"), kNote}};
    if (const QString reason = NoVerdictReason(a); !reason.isEmpty())
        root.insert(QStringLiteral("reason"), reason);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

} // namespace

LimitsCommandOutcome RunHarmonicLimits(const LimitsCommandRequest& request)
{
    const QString format = request.format.isEmpty() ? QStringLiteral("text") : request.format;
    if (format != QLatin1String("text") && format != QLatin1String("csv")
        && format != QLatin1String("json"))
        return Failure(QStringLiteral("--format %1: use text, csv or json.").arg(request.format));
    if (request.emissionClass.isEmpty())
        return Failure(QStringLiteral("--harmonic-limits needs --class A, B, C or D."));
    const std::optional<EmissionClass> emissionClass = ClassFromLetter(request.emissionClass);
    if (!emissionClass)
        return Failure(QStringLiteral("--class %1: use A, B, C or D.").arg(request.emissionClass));
    if (request.inputFile.isEmpty())
        return Failure(QStringLiteral("--harmonic-limits needs a snapshot file (*.zqm)."));

    MeasurementRecord record;
    ResetMeasurementRecord(record);
    const SnapshotFileResult read = OpenSnapshotFile(request.inputFile, record);
    if (!read.ok())
        return Failure(read.error.simplified());

    const LimitsAssessment a = AssessLimits(*emissionClass, CurrentsOf(record));
    LimitsCommandOutcome outcome;
    if (format == QLatin1String("csv"))
        outcome.output = CsvTable(a);
    else if (format == QLatin1String("json"))
        outcome.output = JsonTable(request.inputFile, a);
    else
        outcome.output = TextTable(request.inputFile, a);
    switch (a.verdict) {
    case OverallVerdict::Kept:
        outcome.exitCode = kLimitsKept;
        break;
    case OverallVerdict::Exceeded:
        outcome.exitCode = kLimitsExceeded;
        break;
    default:
        outcome.exitCode = kLimitsBadInput;
        outcome.error =
            QDir::toNativeSeparators(request.inputFile) + QStringLiteral(": ") + NoVerdictReason(a);
        break;
    }
    return outcome;
}
