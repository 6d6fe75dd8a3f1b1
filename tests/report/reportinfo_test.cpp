#include "reportinfo.h"

#include "inifile.h"
#include "qtprinters.h"
#include "recordingdialogs.h"
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

TEST_F(ReportInfoTest, MissingFileReadsTwoEverywhereAndFahrenheit)
{
    const ReportInfo info = ReadReportInfo(IniFile(path()));
    for (const QString& v : {info.ProjectName, info.company, info.conner, info.date,
                             info.temperature, info.units})
        EXPECT_EQ(v, "2");
    EXPECT_EQ(TemperatureSuffix(info.units), "F ");

    TEnterInfoForm form{IniFile(path()), dialogs};
    EXPECT_EQ(form.windowTitle(), "列印信息");
    EXPECT_EQ(form.Edit(1)->text(), "2");
    EXPECT_EQ(form.Edit(2)->text(), "2");
    EXPECT_EQ(form.Edit(3)->text(), "2");
    EXPECT_EQ(form.Edit(4)->text(), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_EQ(form.Edit(5)->text(), "2");
    EXPECT_TRUE(form.FahrenheitButton()->isChecked());
}

TEST_F(ReportInfoTest, UnitsSuffix)
{
    const struct {
        const char* units;
        const char* suffix;
    } cases[] = {{"1", "℃"}, {"0", "F "}, {"2", "F "}, {"abc", "F "}, {"1.5", "F "}, {"", "F "}};
    for (const auto& c : cases)
        EXPECT_EQ(TemperatureSuffix(QString::fromUtf8(c.units)), QString::fromUtf8(c.suffix)) << c.units;
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
    EXPECT_EQ(fileText(), "[PrintInfo]\nProjectName=廠房 A 二期\ncompany=量測 公司\nconner=王 小明\n"
                          "date=2026/12/01\ntemperature=25.5\nunits=1\n");

    TEnterInfoForm again{IniFile(path()), dialogs};
    EXPECT_EQ(again.Edit(1)->text(), "廠房 A 二期");
    EXPECT_EQ(again.Edit(3)->text(), "王 小明");
    // The stored date is not shown: the field starts with today.
    EXPECT_EQ(again.Edit(4)->text(), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
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
    EXPECT_TRUE(dialogs.messages[0].text.contains(unwritable)) << dialogs.messages[0].text.toStdString();
}

} // namespace
