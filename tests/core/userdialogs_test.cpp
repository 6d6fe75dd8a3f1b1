#include "recordingdialogs.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

struct OverwriteCase {
    const char* what;
    bool cancel;
    bool exists;
    bool yes;
    bool chosen; // the path comes back
    bool asked;  // the overwrite question was put
};

// The save dialog, then the overwrite question only for a file that is
// there; cancelling either gives no path.
TEST(UserDialogs, SaveFileNameAsksBeforeOverwritingAnExistingFile)
{
    const OverwriteCase cases[] = {
        {"dialog cancelled", true, false, true, false, false},
        {"new file", false, false, false, true, false},
        {"existing file, Yes", false, true, true, true, true},
        {"existing file, No", false, true, false, false, true},
    };
    for (const OverwriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.zqm"));
        if (c.exists) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        RecordingDialogs dialogs;
        dialogs.saveAnswer = c.cancel ? QString() : path;
        dialogs.yesAnswer = c.yes;
        const QString result = dialogs.saveFileNameOverwriting(
            QString(), QStringLiteral("F (*.zqm)"), QStringLiteral("offered"));
        EXPECT_EQ(result, c.chosen ? path : QString());
        EXPECT_EQ(dialogs.filters, QStringList{QStringLiteral("F (*.zqm)")});
        EXPECT_EQ(dialogs.offeredNames, QStringList{QStringLiteral("offered")});
        EXPECT_EQ(dialogs.questions,
                  c.asked ? QStringList{QStringLiteral("檔案存在|  檔案已經存在，是否覆蓋？  ")}
                          : QStringList{});
    }
}

// A window that words the question its own way keeps its words.
TEST(UserDialogs, SaveFileNamePutsTheCallersOwnQuestion)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.zqm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    RecordingDialogs dialogs;
    dialogs.saveAnswer = path;
    EXPECT_EQ(
        dialogs.saveFileNameOverwriting({}, {}, {}, QStringLiteral("  檔案已經存在，是否覆蓋")),
        path);
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("檔案存在|  檔案已經存在，是否覆蓋")});
}

} // namespace
