#include "tlimitsform.h"

#include "limitstexts.h"
#include "measurements.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numbers>

namespace {

MeasurementRecord Appliance(double third)
{
    MeasurementRecord r = ZeroMeasurement();
    r.IHarmonic[1] = float(4.0 * std::numbers::sqrt2);
    r.IHarmonic[3] = float(third * std::numbers::sqrt2);
    r.PF = 0.9f;
    r.WRMS = 450.0f;
    return r;
}

class LimitsFormTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    IniFile sysSet{dir.filePath(QStringLiteral("SysSet.ini"))};
    const QDateTime when{QDate(2026, 12, 11), QTime(10, 0)};
};

TEST_F(LimitsFormTest, FollowsTheMeasurementShown)
{
    TLimitsForm form(sysSet);
    form.show();
    // Nothing measured yet: no verdict, and no pass.
    EXPECT_EQ(form.verdictText(), OverallVerdictText(OverallVerdict::NoFundamental, {}));

    form.showMeasurement(Appliance(2.0), when, MeasurementSource::SingleTest);
    EXPECT_EQ(form.verdictText(), OverallVerdictText(OverallVerdict::Kept, {}));
    EXPECT_EQ(form.cellText(2, 0), "3"); // row k: order k + 1
    EXPECT_EQ(form.cellText(2, 1), "2.0000");
    EXPECT_EQ(form.cellText(2, 2), "2.3000");
    EXPECT_EQ(form.cellText(2, 4), "合格");
    EXPECT_TRUE(form.worstText().contains("第 3 次"));

    form.showMeasurement(Appliance(2.5), when, MeasurementSource::Snapshot);
    EXPECT_EQ(form.verdictText(), OverallVerdictText(OverallVerdict::Exceeded, {}));
    EXPECT_EQ(form.cellText(2, 4), "超限");
    // Neither a single test nor a snapshot is held.
    EXPECT_EQ(form.hold().count(), 0);
    EXPECT_FALSE(form.chartImage().isNull());
}

TEST_F(LimitsFormTest, ContinuousSamplingHoldsTheHighestUntilReset)
{
    TLimitsForm form(sysSet);
    form.show();
    form.showMeasurement(Appliance(2.4), when, MeasurementSource::ContinuousSampling);
    form.showMeasurement(Appliance(1.0), when, MeasurementSource::ContinuousSampling);
    // Now within the limit, but over it a moment ago.
    EXPECT_EQ(form.verdictText(), OverallVerdictText(OverallVerdict::Kept, {}));
    EXPECT_EQ(form.hold().count(), 2);
    EXPECT_EQ(form.cellText(0, 5), "最大值(A)");
    EXPECT_EQ(form.cellText(2, 5), "2.4000");
    EXPECT_EQ(form.cellText(2, 7), "超限");
    EXPECT_TRUE(form.holdText().contains(OverallVerdictText(OverallVerdict::Exceeded, {})));
    EXPECT_TRUE(form.pageContent().hold.has_value());

    form.resetButton->click();
    EXPECT_EQ(form.hold().count(), 0);
    EXPECT_EQ(form.cellText(2, 5), "");
    EXPECT_FALSE(form.pageContent().hold.has_value());

    // Hidden, the view still holds what sampling brings.
    form.hide();
    form.showMeasurement(Appliance(2.6), when, MeasurementSource::ContinuousSampling);
    EXPECT_EQ(form.hold().count(), 1);
    form.show();
    EXPECT_EQ(form.cellText(2, 5), "2.6000");
}

TEST_F(LimitsFormTest, ClassIsKeptInTheSettingsAndStartsTheHoldAfresh)
{
    EXPECT_EQ(SavedEmissionClass(sysSet), EmissionClass::A);
    {
        TLimitsForm form(sysSet);
        form.showMeasurement(Appliance(2.4), when, MeasurementSource::ContinuousSampling);
        form.classBox->setCurrentIndex(int(EmissionClass::B));
        EXPECT_EQ(form.emissionClass(), EmissionClass::B);
        EXPECT_EQ(form.hold().count(), 0);
        EXPECT_EQ(form.assessment().verdict, OverallVerdict::Kept); // 2.4 A under 3.45 A
    }
    EXPECT_EQ(sysSet.ReadString("HarmonicLimits", "Class", ""), "B");
    TLimitsForm again(sysSet);
    EXPECT_EQ(again.emissionClass(), EmissionClass::B);
    EXPECT_EQ(again.classBox->currentIndex(), int(EmissionClass::B));

    // A damaged setting falls back to Class A.
    ASSERT_TRUE(sysSet.WriteString("HarmonicLimits", "Class", "Z"));
    EXPECT_EQ(SavedEmissionClass(sysSet), EmissionClass::A);
}

TEST_F(LimitsFormTest, PrintAndPdfAreAskedFor)
{
    TLimitsForm form(sysSet);
    QSignalSpy print(&form, &TLimitsForm::printRequested);
    QSignalSpy pdf(&form, &TLimitsForm::savePdfRequested);
    form.printButton->click();
    form.pdfButton->click();
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(pdf.count(), 1);
}

} // namespace
