// The report windows inside the running program.
#include "program.h"
#include "recordingdialogs.h"
#include "reportstate.h"
#include "tenterinfoform.h"
#include "tmainform.h"
#include "tprinterform.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ProgramReports, PrintCommandShowsTheAnalysisPreviewModally)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    ProgramOptions options;
    options.settingsFolder = dir.path();
    options.programFolder = dir.path();
    Program program(options, &dialogs);

    TPrinterForm& preview = program.PrinterForm();
    EXPECT_EQ(program.EnterInfoForm().parentWidget(), &preview);
    program.Report().ReportKind = ReportKind::Record;

    bool modal = false;
    QTimer::singleShot(0, &preview, [&] {
        modal = QApplication::activeModalWidget() == &preview;
        preview.reject();
    });
    emit program.MainForm().printRequested();
    EXPECT_TRUE(modal);
    EXPECT_EQ(program.Report().ReportKind, ReportKind::Analysis);
    EXPECT_EQ(preview.PageSize(), QSize(708, 1001));
}

} // namespace
