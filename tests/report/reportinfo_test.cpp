#include "reportinfo.h"

#include "inifile.h"
#include "measurementrecord.h"
#include "qtprinters.h"
#include "recordingcanvas.h"
#include "recordingdialogs.h"
#include "recordreport.h"
#include "reportpages.h"
#include "tenterinfoform.h"

#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ReportInfoTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("EnterInfo.ini")); }
    QString fileText() const
    {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll());
    }
    void writeFile(const QByteArray& bytes) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    RecordingDialogs dialogs;
};

TEST_F(ReportInfoTest, MissingFileReadsEmptyFieldsAndCelsius)
{
    const ReportInfo info = ReadReportInfo(IniFile(path()));
    for (const QString& v :
         {info.ProjectName, info.company, info.conner, info.date, info.temperature})
        EXPECT_EQ(v, "");
    EXPECT_EQ(TemperatureSuffix(info.units), "℃");
    EXPECT_EQ(TemperatureText(info), "");

    TEnterInfoForm form{IniFile(path()), dialogs};
    EXPECT_EQ(form.windowTitle(), "列印信息");
    EXPECT_EQ(form.Edit(1)->text(), "");
    EXPECT_EQ(form.Edit(2)->text(), "");
    EXPECT_EQ(form.Edit(3)->text(), "");
    EXPECT_EQ(form.Edit(4)->text(), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_EQ(form.Edit(5)->text(), "");
    EXPECT_TRUE(form.CelsiusButton()->isChecked());
}

TEST_F(ReportInfoTest, KeysTheFileHasAreKeptAsTheyStand)
{
    // A file written with the old placeholders keeps them: only absent keys
    // change their reading.
    writeFile("[PrintInfo]\nProjectName=2\ncompany=\nconner=2\ndate=2\ntemperature=2\nunits=2\n");
    const ReportInfo info = ReadReportInfo(IniFile(path()));
    EXPECT_EQ(info.ProjectName, "2");
    EXPECT_EQ(info.company, "");
    EXPECT_EQ(info.conner, "2");
    EXPECT_EQ(info.date, "2");
    EXPECT_EQ(TemperatureText(info), "2F ");
    TEnterInfoForm form{IniFile(path()), dialogs};
    EXPECT_EQ(form.Edit(1)->text(), "2");
    EXPECT_TRUE(form.FahrenheitButton()->isChecked());

    // Only the unit present: an empty temperature still prints nothing.
    writeFile("[PrintInfo]\nunits=0\n");
    EXPECT_EQ(TemperatureText(ReadReportInfo(IniFile(path()))), "");
}

TEST_F(ReportInfoTest, AFreshInstallationPrintsNoPlaceholders)
{
    // No "EnterInfo.ini": every information line of both reports, on the
    // preview and on the printed page, is its label alone.
    const ReportInfo info = ReadReportInfo(IniFile(path()));
    const MeasurementRecord record{};
    const QString labels[] = {"項目：",     "測量企業：", "操作員：",
                              "測量日期：", "日期：",     "環境溫度："};
    const struct {
        const char* name;
        ReportDocument report;
    } reports[] = {{"analysis", AnalysisReport(record, info)},
                   {"record", RecordReport(RecordReportSource{})}};
    for (const auto& r : reports) {
        RecordingCanvas preview(96);
        DrawPreviewPage(preview, r.report, 708, 1001, info);
        RecordingCanvas printed(1200);
        DrawPrintedPage(printed, r.report, PageFrame::ForPage(9921, 14031), false, info);
        for (const RecordingCanvas* canvas : {&preview, &printed}) {
            int found = 0;
            for (const CanvasCall& call : canvas->calls()) {
                if (call.op != CanvasOp::TextOut)
                    continue;
                for (const QString& label : labels)
                    if (call.text.startsWith(label)) {
                        EXPECT_EQ(call.text, label) << r.name;
                        ++found;
                        break;
                    }
            }
            EXPECT_EQ(found, 5) << r.name;
        }
    }
    EXPECT_EQ(AnalysisReport(record, info).jobTitle, "TestReport");
}

TEST_F(ReportInfoTest, UnitsSuffix)
{
    const struct {
        const char* units;
        const char* suffix;
    } cases[] = {{"1", "℃"}, {"0", "F "}, {"2", "F "}, {"abc", "F "}, {"1.5", "F "}, {"", "F "}};
    for (const auto& c : cases)
        EXPECT_EQ(TemperatureSuffix(QString::fromUtf8(c.units)), QString::fromUtf8(c.suffix))
            << c.units;
}

TEST_F(ReportInfoTest, ConfirmWritesTheSixKeysInOrderAndTheyReadBackAtTheNextStart)
{
    {
        TEnterInfoForm form{IniFile(path()), dialogs};
        int saved = 0;
        QObject::connect(&form, &TEnterInfoForm::saved, [&] { ++saved; });
        form.Edit(1)->setText(QStringLiteral("廠房 A 二期"));
        form.Edit(2)->setText(QStringLiteral("量測 公司"));
        form.Edit(3)->setText(QStringLiteral("王 小明"));
        form.Edit(4)->setText(QStringLiteral("2026/12/01"));
        form.Edit(5)->setText(QStringLiteral("25.5"));
        form.CelsiusButton()->setChecked(true);
        form.Confirm();
        EXPECT_EQ(saved, 1);
        EXPECT_TRUE(dialogs.messages.empty());
    }
    EXPECT_EQ(fileText(),
              "[PrintInfo]\nProjectName=廠房 A 二期\ncompany=量測 公司\nconner=王 小明\n"
              "date=2026/12/01\ntemperature=25.5\nunits=1\n");

    TEnterInfoForm again{IniFile(path()), dialogs};
    EXPECT_EQ(again.Edit(1)->text(), "廠房 A 二期");
    EXPECT_EQ(again.Edit(3)->text(), "王 小明");
    // The stored date is not shown: the field starts with today.
    EXPECT_EQ(again.Edit(4)->text(),
              QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_TRUE(again.CelsiusButton()->isChecked());
    again.FahrenheitButton()->setChecked(true);
    again.Confirm();
    EXPECT_EQ(ReadReportInfo(IniFile(path())).units, "0");
}

TEST_F(ReportInfoTest, CancelKeepsTypedTextAndWritesNothing)
{
    TEnterInfoForm form{IniFile(path()), dialogs};
    form.Edit(1)->setText(QStringLiteral("未儲存"));
    form.reject();
    EXPECT_FALSE(QFile::exists(path()));
    EXPECT_EQ(form.Edit(1)->text(), "未儲存");
}

TEST_F(ReportInfoTest, NonIntegerUnitsSelectFahrenheit)
{
    writeFile("[PrintInfo]\nProjectName=P\nunits=abc\n");
    TEnterInfoForm form{IniFile(path()), dialogs};
    EXPECT_EQ(form.Edit(1)->text(), "P");
    EXPECT_TRUE(form.FahrenheitButton()->isChecked());
}

TEST_F(ReportInfoTest, PastedLineBreaksAreStoredAsBlanks)
{
    ReportInfo info;
    info.ProjectName = QStringLiteral("一\n[Evil]\r\nkey=1\t尾");
    ASSERT_TRUE(WriteReportInfo(IniFile(path()), info));
    EXPECT_EQ(ReadReportInfo(IniFile(path())).ProjectName, "一 [Evil]  key=1 尾");
    EXPECT_FALSE(fileText().contains(QStringLiteral("\n[Evil]")));
}

TEST_F(ReportInfoTest, RefusedWriteNamesTheFileAndKeepsTheWindowOpen)
{
    // A regular file where the folder should be: nothing can be created.
    QFile blocker(dir.filePath(QStringLiteral("folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = dir.filePath(QStringLiteral("folder/EnterInfo.ini"));
    TEnterInfoForm form{IniFile(unwritable), dialogs};
    form.show();
    int saved = 0;
    QObject::connect(&form, &TEnterInfoForm::saved, [&] { ++saved; });
    form.Edit(1)->setText(QStringLiteral("專案"));
    form.Confirm();
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Edit(1)->text(), "專案");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(unwritable))
        << dialogs.messages[0].text.toStdString();
}

} // namespace
