// The plain rules of the instrument windows: how a field is read, which keys
// reach it, the transformer's time shift, and the option bits and captions.
#include "decimalfield.h"
#include "externalct.h"
#include "fieldkeyfilter.h"
#include "measurementoptions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Status = DecimalField::Status;

TEST(DecimalField, ReadsPlainDecimalsAndRefusesEverythingElse)
{
    const struct {
        const char* text;
        Status status;
        float value;
    } cases[] = {
        {"", Status::Ok, 0.0f},
        {"   ", Status::Ok, 0.0f},
        {"300", Status::Ok, 300.0f},
        {" 0.2 ", Status::Ok, 0.2f},
        {"5.", Status::Ok, 5.0f},
        {".5", Status::Ok, 0.5f},
        {"-5", Status::Ok, -5.0f},
        {"-0.0001", Status::Ok, -0.0001f},
        {"123.45678", Status::Ok, 123.45678f},
        {".", Status::NotANumber, 0},
        {"-", Status::NotANumber, 0},
        {"-.", Status::NotANumber, 0},
        {"1.2.3", Status::NotANumber, 0},
        {"1,5", Status::NotANumber, 0},
        {"1e5", Status::NotANumber, 0},
        {"nan", Status::NotANumber, 0},
        {"inf", Status::NotANumber, 0},
        {"+5", Status::NotANumber, 0},
        {"5-", Status::NotANumber, 0},
        {"--5", Status::NotANumber, 0},
        {"12a", Status::NotANumber, 0},
        {"1 2", Status::NotANumber, 0},
        {"٣", Status::NotANumber, 0}, // a digit of another script
        {"340282350000000000000000000000000000000", Status::Ok, 3.4028235e38f},
        {"340282370000000000000000000000000000000", Status::OutOfRange, 0},
        {"1000000000000000000000000000000000000000000", Status::OutOfRange, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const DecimalField field = ParseDecimalField(QString::fromUtf8(c.text));
        EXPECT_EQ(field.status, c.status);
        EXPECT_EQ(field.value, c.value);
        EXPECT_TRUE(std::isfinite(field.value));
    }
}

TEST(FieldKeyFilter, JudgesTypedCharactersOnly)
{
    const struct {
        const char* text;
        bool control;
        bool allowMinus;
        bool passes;
    } cases[] = {
        {"7", false, false, true},    {".", false, false, true},  {"\b", false, false, true},
        {"a", false, false, false},   {"-", false, false, false}, {"-", false, true, true},
        {",", false, true, false},    {"e", false, true, false},  {" ", false, false, false},
        {"", false, false, true},                                 // arrows, Home, End
        {"\x7f", false, false, true}, {"\t", false, false, true}, // Delete, Tab
        {"\r", false, false, true},   {"a", true, false, true},   // Enter, Ctrl+A
        {"c", true, false, true},     {"x", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FieldKeyPasses(QString::fromLatin1(c.text), c.control, c.allowMinus), c.passes);
    }
}

TEST(ExternalCtShift, AcceptsInclusiveBoundsAndJudgesTheFrequencyFirst)
{
    using Refusal = ExternalCtShift::Refusal;
    const struct {
        float f, p;
        Refusal refusal;
    } cases[] = {
        {50, 0, Refusal::None},
        {61, 30, Refusal::None},
        {49, -30, Refusal::None},
        {61.01f, 0, Refusal::FrequencyHigh},
        {48.99f, 0, Refusal::FrequencyLow},
        {0, 0, Refusal::FrequencyLow},
        {50, 30.01f, Refusal::PhaseHigh},
        {50, -30.01f, Refusal::PhaseLow},
        {70, 45, Refusal::FrequencyHigh}, // both wrong: the frequency is named
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f << " Hz " << c.p << " deg");
        EXPECT_EQ(ComputeExternalCtShift(c.f, c.p).refusal, c.refusal);
    }
    EXPECT_EQ(ComputeExternalCtShift(50, 0).seconds, 0.0f);
    EXPECT_EQ(ComputeExternalCtShift(50, 30).seconds, float(1.0 / 50 * (30.0 / 360)));
    EXPECT_NEAR(ComputeExternalCtShift(50, 30).seconds, 0.0016667f, 1e-7);
    EXPECT_NEAR(ComputeExternalCtShift(60, -30).seconds, -0.0013889f, 1e-7);
}

TEST(MeasurementOptions, EachItemChangesOneBitAndKeepsTheOthers)
{
    const struct {
        OptionItem item;
        std::uint8_t before, after;
    } cases[] = {
        {OptionItem::N32, 2, 3},        {OptionItem::N31, 3, 2},
        {OptionItem::CSA1, 0, 2},       {OptionItem::IEC2, 0xFF, 0xFD},
        {OptionItem::N31, 0xFD, 0xFC},  {OptionItem::N32, 0xFC, 0xFD},
        {OptionItem::CSA1, 0x81, 0x83}, {OptionItem::N32, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.item));
        EXPECT_EQ(OptionByteAfter(c.before, c.item), c.after);
    }
}

TEST(MeasurementOptions, CaptionsAfterAChoiceAndAfterARead)
{
    const OptionCaptions start = CaptionsAfterRead(false, false);
    EXPECT_EQ(start, (OptionCaptions{"窄頻 &(Y)<", "寬頻 &(Z)", "%f： IEC方式 &(Y)<",
                                     "%r： CSA方式 &(Z)"}));
    EXPECT_EQ(
        CaptionsAfterRead(true, true),
        (OptionCaptions{"窄頻 &(Y)", "寬頻 &(Z)<", "%f： IEC方式 &(Y)", "%r： CSA方式 &(Z)<"}));
    EXPECT_EQ(CaptionsAfterChoice(start, OptionItem::N31),
              (OptionCaptions{"窄頻&(Y)<", "寬頻&(Z)", start.IEC2, start.CSA1}));
    EXPECT_EQ(CaptionsAfterChoice(start, OptionItem::N32),
              (OptionCaptions{"窄頻&(Y)", "寬頻&(Z)<", start.IEC2, start.CSA1}));
    EXPECT_EQ(CaptionsAfterChoice(start, OptionItem::IEC2),
              (OptionCaptions{start.N31, start.N32, "%f：IEC方式 &(Y)<", "%r：CSA方式 &(Z)"}));
    EXPECT_EQ(CaptionsAfterChoice(start, OptionItem::CSA1),
              (OptionCaptions{start.N31, start.N32, "%f： IEC方式 &(Y)", "%r:  CSA方式 &(Z)<"}));
}

} // namespace
