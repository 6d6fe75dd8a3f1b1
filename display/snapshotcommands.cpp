#include "snapshotcommands.h"

#include "sharedstate.h"
#include "snapshotfile.h"
#include "userdialogs.h"

#include <QFileInfo>

#include <utility>

namespace {

// The file dialogs' filters, in Qt's "name (patterns)" form. "All files" is
// "*" because "*.*" would skip names without a dot on this system.
const QString kSaveFilter = QStringLiteral("Quorvane測量檔案(.zqm) (*.zqm)");
const QString kOpenFilter = QStringLiteral("QuorvaneFile (*.zqm);;AllFile (*)");
const QString kDefaultSaveName = QStringLiteral("TestFile.zqm");

} // namespace

QString StartFileFromArguments(const QStringList& arguments)
{
    QString file = arguments.join(QLatin1Char(' ')).trimmed();
    // A path given in quotes (as a shell without quote handling passes it)
    // is taken without them.
    if (file.startsWith(QLatin1Char('"'))) {
        file.remove(0, 1);
        if (file.endsWith(QLatin1Char('"')))
            file.chop(1);
    }
    return file;
}

QDateTime SnapshotTakenTime(const QString& path)
{
    return QFileInfo(path).lastModified();
}

StartFileKind KindOfStartFile(const QString& file)
{
    // Letter case does not matter: the desktop's file types claim "a.zQr" as
    // a recording (their glob patterns ignore case), so the program takes it
    // as one too rather than opening nothing.
    const QString ending = file.right(3);
    if (ending.compare(QLatin1String("zqm"), Qt::CaseInsensitive) == 0)
        return StartFileKind::Snapshot;
    if (ending.compare(QLatin1String("zqr"), Qt::CaseInsensitive) == 0)
        return StartFileKind::RecordFile;
    return StartFileKind::None;
}

SnapshotCommands::SnapshotCommands(SharedState& state, UserDialogs& dialogs,
                                   std::function<void()> drawMeasurementView)
    : state_(state), dialogs_(dialogs), drawMeasurementView_(std::move(drawMeasurementView))
{
}

void SnapshotCommands::Save()
{
    const QString path = dialogs_.saveFileNameOverwriting(
        QString(), kSaveFilter, kDefaultSaveName, QStringLiteral("  檔案已經存在，是否覆蓋"));
    if (path.isEmpty())
        return;
    const SnapshotFileResult result = SaveSnapshotFile(path, state_.MeasurementRecord);
    if (!result.ok()) {
        dialogs_.message(result.error, UserDialogs::Icon::Error);
        return;
    }
    if (saved)
        saved(path);
}

void SnapshotCommands::Open()
{
    const QString path = dialogs_.openFileName(QString(), kOpenFilter, QString());
    if (path.isEmpty())
        return;
    openInto(path);
}

StartFileKind SnapshotCommands::OpenFromCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return StartFileKind::None;
    state_.link.OpenedWithFile = true;
    state_.CommandLineFile = StartFileFromArguments(arguments);
    const StartFileKind kind = KindOfStartFile(state_.CommandLineFile);
    if (kind == StartFileKind::Snapshot)
        openInto(state_.CommandLineFile);
    return kind;
}

bool SnapshotCommands::openInto(const QString& path)
{
    const SnapshotFileResult result = OpenSnapshotFile(path, state_.MeasurementRecord);
    if (!result.ok()) {
        dialogs_.message(result.error, UserDialogs::Icon::Error);
        return false;
    }
    state_.MeasurementTime = SnapshotTakenTime(path);
    if (drawMeasurementView_)
        drawMeasurementView_();
    if (opened)
        opened(path, state_.MeasurementTime);
    return true;
}
