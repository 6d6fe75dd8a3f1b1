// File dialogs start in the folder last used for their kind of file, kept in
// the settings file.
#include "folderdialogs.h"
#include "recordingdialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Remembers where each file dialog started.
class StartRecordingDialogs : public RecordingDialogs {
public:
    QString openFileName(const QString& caption, const QString& filter,
                         const QString& folder) override
    {
        openFolders << folder;
        return RecordingDialogs::openFileName(caption, filter, folder);
    }
    QStringList openFolders;
};

QString firstUseFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

class FolderDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kOtherSettings);
        for (const char* folder : {"snapshots", "records", "exports", "pictures", "pdf"})
            ASSERT_TRUE(QDir(dir.path()).mkdir(QLatin1String(folder)));
    }
    QString settingsPath() const { return dir.filePath(QStringLiteral("SysSet.ini")); }
    QString folder(const char* name) const { return dir.filePath(QLatin1String(name)); }

    static constexpr const char* kOtherSettings = "; kept\r\n[CommPort]\r\nPort=3\r\n";
    QTemporaryDir dir;
    StartRecordingDialogs inner;
};

TEST_F(FolderDialogsTest, EachKindOfFileStartsWhereOneWasLastChosen)
{
    FolderDialogs dialogs(inner, IniFile(settingsPath()));
    const struct Kind {
        const char* filter; // as the windows ask
        const char* name;   // the name their save dialog offers
        const char* folder; // where the user saves one
    } kinds[] = {
        {"Quorvane測量檔案(.zqm) (*.zqm)", "TestFile.zqm", "snapshots"},
        {"Quorvane記錄檔案(.zqr) (*.zqr)", "RecordFile.zqr", "records"},
        {"CSV (*.csv)", "RecordFile.csv", "exports"},
        {"圖像文件(.bmp) (*.bmp);;PNG (*.png);;CSV (*.csv)", "StartingTestFile.bmp", "pictures"},
        {"PDF (*.pdf)", "TestReport.pdf", "pdf"},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.filter);
        const QString filter = QString::fromUtf8(k.filter);
        const QString name = QString::fromUtf8(k.name);
        // Never used: the documents folder, not the folder the program runs in.
        inner.saveAnswer.clear();
        EXPECT_EQ(dialogs.saveFileName({}, filter, name), QString());
        EXPECT_EQ(inner.offeredNames.last(), QDir(firstUseFolder()).filePath(name));

        inner.saveAnswer = QDir(folder(k.folder)).filePath(QStringLiteral("chosen"));
        EXPECT_EQ(dialogs.saveFileName({}, filter, name), inner.saveAnswer);
        dialogs.saveFileName({}, filter, name);
        EXPECT_EQ(inner.offeredNames.last(), QDir(folder(k.folder)).filePath(name));
        dialogs.openFileName({}, filter, {});
        EXPECT_EQ(inner.openFolders.last(), folder(k.folder));
    }

    // The record window's PNG export is an export too.
    dialogs.saveFileName({}, QStringLiteral("PNG (*.png)"), QStringLiteral("RecordChart.png"));
    EXPECT_EQ(inner.offeredNames.last(), QDir(folder("exports")).filePath("RecordChart.png"));
    // A cancelled dialog keeps the folder; a snapshot opened elsewhere moves it.
    inner.openAnswer = dir.filePath(QStringLiteral("elsewhere.zqm"));
    dialogs.openFileName({}, QStringLiteral("QuorvaneFile (*.zqm);;AllFile (*)"), {});
    dialogs.openFileName({}, QStringLiteral("QuorvaneFile (*.zqm);;AllFile (*)"), {});
    EXPECT_EQ(inner.openFolders.last(), dir.path());
    // A folder the window chose itself stays (an export beside its record file).
    const QString beside = dir.filePath(QStringLiteral("records/run.csv"));
    dialogs.saveFileName({}, QStringLiteral("CSV (*.csv)"), beside);
    EXPECT_EQ(inner.offeredNames.last(), beside);

    // A new run finds the folders in the settings file, beside what was there.
    FolderDialogs later(inner, IniFile(settingsPath()));
    later.openFileName({}, QStringLiteral("Quorvane記錄檔案(.zqr) (*.zqr)"), {});
    EXPECT_EQ(inner.openFolders.last(), folder("records"));
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    EXPECT_TRUE(written.startsWith(kOtherSettings)) << written.toStdString();
    EXPECT_TRUE(written.contains("[FileDialogs]")) << written.toStdString();
    EXPECT_TRUE(written.contains("ReportPdfs=" + QFile::encodeName(folder("pdf"))));
}

TEST_F(FolderDialogsTest, AVanishedFolderOrAnUnknownKindStartsAsBefore)
{
    FolderDialogs dialogs(inner, IniFile(settingsPath()));
    inner.saveAnswer = QDir(folder("snapshots")).filePath(QStringLiteral("a.zqm"));
    dialogs.saveFileName({}, QStringLiteral("(*.zqm)"), QStringLiteral("TestFile.zqm"));
    ASSERT_TRUE(QDir(folder("snapshots")).removeRecursively());
    dialogs.openFileName({}, QStringLiteral("(*.zqm)"), {});
    EXPECT_EQ(inner.openFolders.last(), firstUseFolder());

    // No kind of its own: passed on as asked.
    dialogs.openFileName({}, QStringLiteral("AllFile (*)"), {});
    EXPECT_EQ(inner.openFolders.last(), QString());
    dialogs.saveFileName({}, QStringLiteral("Text (*.txt)"), QStringLiteral("a.txt"));
    EXPECT_EQ(inner.offeredNames.last(), "a.txt");
}

} // namespace
