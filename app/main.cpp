#include "program.h"
#include "quitsignals.h"
#include "settingsfolder.h"
#include "tlogoform.h"
#include "tmainform.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TLogoForm splash;
    splash.showNow();

    QApplication::setApplicationName(QStringLiteral("Quorvane QPA3600"));

    ProgramOptions options;
    options.settingsFolder = SettingsFolder();
    options.programFolder = ProgramFolder();
    for (const QString& argument : QApplication::arguments().mid(1)) {
        if (argument == QLatin1String("--demo"))
            options.demo = true;
        else
            options.arguments << argument;
    }

    Program program(options);
    TMainForm& mainForm = program.MainForm();
    if (const QScreen* screen = QApplication::primaryScreen())
        mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
    mainForm.show();
    CloseOnQuitSignals(&mainForm);
    splash.close();
    return app.exec();
}
