#include "valuepanels.h"

#include "measurementrecord.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace {

MeasurementRecord StartRecord()
{
    MeasurementRecord record{};
    ResetMeasurementRecord(record);
    return record;
}

TEST(PanelTexts, StartRecordShowsZeroInEveryPanel)
{
    MeasurementRecord record = StartRecord();
    const PanelTexts texts = FormatPanelTexts(record);

    PanelTexts expected;
    expected.text.fill(QStringLiteral("0.0"));
    expected[PanelId::Panel_URMS] = QStringLiteral("0.0V");
    expected[PanelId::Panel_UPP] = QStringLiteral("0.0V");
    expected[PanelId::Panel_UF] = QStringLiteral("0.00Hz");
    expected[PanelId::Panel_VTHD] = QStringLiteral("0.0 %");
    expected[PanelId::Panel_ITHD] = QStringLiteral("0.0 %");
    EXPECT_EQ(texts, expected);
}

TEST(PanelTexts, RoundsCutsAndCompletesEachValue)
{
    struct Case {
        float MeasurementRecord::*field;
        float value;
        PanelId panel;
        const char* text;
    };
    using R = MeasurementRecord;
    const Case cases[] = {
        // rounded to 230.123, then cut to six characters
        {&R::URMS, 230.1234f, PanelId::Panel_URMS, "230.12V"},
        {&R::IRMS, 12.34567f, PanelId::Panel_IRMS, "12.345"},
        {&R::UF, 50.0f, PanelId::Panel_UF, "50.00Hz"},
        {&R::UF, 49.9876f, PanelId::Panel_UF, "49.988Hz"},
        {&R::VTHD, 0.0345f, PanelId::Panel_VTHD, "3.4 %"},
        {&R::VTHD, 0.03f, PanelId::Panel_VTHD, "3.0 %"},
        {&R::ITHD, 0.0512f, PanelId::Panel_ITHD, "5.1 %"},
        {&R::ITHD, 1.0f, PanelId::Panel_ITHD, "100.0 %"},
        // halves go to the even neighbour (all values exact in binary)
        {&R::PF, 0.0625f, PanelId::Panel_PF, "0.062"},
        {&R::PF, 0.1875f, PanelId::Panel_PF, "0.188"},
        {&R::UF, 60.0625f, PanelId::Panel_UF, "60.062Hz"},
        {&R::IPA, 0.125f, PanelId::Panel_IPA, "0.12"},
        // the cut takes six characters without rounding
        {&R::URMS, 1234.5678f, PanelId::Panel_URMS, "1234.5V"},
        {&R::UPP, 311.1f, PanelId::Panel_UPP, "311.1V"},
        {&R::IPA, -123.456f, PanelId::Panel_IPA, "-123.4"},
        {&R::PS, 12345.0f, PanelId::Panel_PS, "12345."},
        {&R::WRMS, 1234567.0f, PanelId::Panel_WRMS, "123456"},
        {&R::IPP, 1.5f, PanelId::Panel_IPP, "1.5"},
        // the crest factors and the energy keep their whole text
        {&R::KWH, 1234.5678f, PanelId::Panel_KWH, "1234.568"},
        {&R::IKF, 1.41421f, PanelId::PANEL_IKF, "1.414"},
        {&R::VKF, 2.0f, PanelId::Panel_VKF, "2.0"},
        // a value rounding to -0 shows as zero
        {&R::PQ, -0.001f, PanelId::Panel_PQ, "0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.text);
        MeasurementRecord record = StartRecord();
        record.*c.field = c.value;
        EXPECT_EQ(FormatPanelTexts(record)[c.panel], QString::fromLatin1(c.text));
    }
}

TEST(PanelTexts, NaNReactivePowerShowsZeroAndIsClearedInTheRecord)
{
    MeasurementRecord record = StartRecord();
    record.PQ = std::numeric_limits<float>::quiet_NaN();

    EXPECT_EQ(FormatPanelTexts(record)[PanelId::Panel_PQ], "0.0");
    EXPECT_EQ(record.PQ, 0.0f);
    EXPECT_FALSE(std::signbit(record.PQ));
}

TEST(PanelTexts, PanelsFillTheValueGridOncePerCell)
{
    std::set<std::pair<int, int>> cells;
    for (std::size_t i = 0; i < kPanelCount; ++i) {
        const ValuePanelPlace place = PlaceOfPanel(static_cast<PanelId>(i));
        cells.insert({place.row, place.column});
    }
    EXPECT_EQ(cells.size(), kPanelCount);

    const ValuePanelPlace ikf = PlaceOfPanel(PanelId::PANEL_IKF);
    EXPECT_EQ(ikf.row, 4);
    EXPECT_EQ(ikf.column, 0);
    EXPECT_EQ(ikf.label, " IKF");
    EXPECT_EQ(ikf.name, "PANEL_IKF");
    const ValuePanelPlace ps = PlaceOfPanel(PanelId::Panel_PS);
    EXPECT_EQ(ps.row, 2);
    EXPECT_EQ(ps.column, 1);
    EXPECT_EQ(ps.label, QString::fromUtf8("視在"));
}

} // namespace
