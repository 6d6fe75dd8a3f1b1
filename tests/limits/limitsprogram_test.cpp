// The limits window inside the running program.
#include "program.h"
#include "programrig.h"
#include "recordingdialogs.h"
#include "reportstate.h"
#include "snapshotfile.h"
#include "tharmonicform.h"
#include "tlimitsform.h"
#include "tmainform.h"

#include "measurements.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <numbers>

namespace {

TEST(LimitsProgram, OpensFromTheMenuAndTheHarmonicTableAndFollowsASnapshot)
{
    QTemporaryDir dir;
    MeasurementRecord over = ZeroMeasurement();
    over.IHarmonic[1] = float(4.0 * std::numbers::sqrt2);
    over.IHarmonic[3] = float(2.5 * std::numbers::sqrt2);
    over.PF = 0.9f;
    over.WRMS = 800.0f;
    const QString snapshot = dir.filePath(QStringLiteral("over.zqm"));
    ASSERT_TRUE(SaveSnapshotFile(snapshot, over).ok());

    RecordingDialogs dialogs;
    const auto started = StartProgram(dir.path(), dialogs, {snapshot});
    Program& program = *started;
    TLimitsForm& limits = program.LimitsForm();
    // The snapshot named on the command line was opened before the window.
    EXPECT_EQ(limits.assessment().verdict, OverallVerdict::Exceeded);
    EXPECT_EQ(limits.pageContent().taken, program.State().MeasurementTime);
    EXPECT_FALSE(limits.isVisible());

    emit program.MainForm().harmonicLimitsRequested();
    EXPECT_TRUE(limits.isVisible());
    limits.hide();

    // The modal harmonic table gives way to the limits window.
    THarmonicForm& table = program.HarmonicForm();
    QTimer::singleShot(0, &table, [&table] { table.limitsButton->click(); });
    emit program.MainForm().harmonicListRequested();
    EXPECT_FALSE(table.isVisible());
    EXPECT_TRUE(limits.isVisible());

    // "儲存PDF": the limits page through the report's PDF saving.
    dialogs.saveAnswer = dir.filePath(QStringLiteral("limits.pdf"));
    limits.pdfButton->click();
    EXPECT_EQ(program.Report().ReportKind, ReportKind::HarmonicLimits);
    QFile pdf(dialogs.saveAnswer);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
