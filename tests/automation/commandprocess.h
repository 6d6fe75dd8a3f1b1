#pragma once

#include "programrig.h"
#include "simulatedinstrument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

// A command of the program (`qpa3600 COMMAND ...`) as a script runs it: a
// copy of the program in a folder of its own (its settings folder), no
// display, standard output and error pipes, the simulated instrument on a
// pseudo-terminal at 115200 bit/s with address 1.
class CommandProcessTest : public ::testing::Test {
protected:
    static constexpr int kWaitMs = 30000;

    explicit CommandProcessTest(QString command) : command_(std::move(command)) {}

    void SetUp() override
    {
        SimulatedInstrument::Options options;
        options.address = 1;
        sim = std::make_unique<SimulatedInstrument>(options);
        ASSERT_TRUE(sim->start());
        device = QString::fromStdString(sim->devicePath());
        // Beside the built program, so that a hard link saves copying it.
        const QDir built = QFileInfo(QStringLiteral(QPA3600_BINARY)).dir();
        dir = std::make_unique<QTemporaryDir>(built.filePath(command_ + QStringLiteral("-XXXXXX")));
        ASSERT_TRUE(dir->isValid());
        binary = dir->filePath(QStringLiteral("qpa3600"));
        if (::link(QPA3600_BINARY, QFile::encodeName(binary).constData()) != 0) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(QPA3600_BINARY), binary));
        }
        // Its data beside it makes its own folder the settings folder.
        ASSERT_TRUE(QFile::link(built.filePath(QStringLiteral("SkinsFile")),
                                dir->filePath(QStringLiteral("SkinsFile"))));
        settings = dir->filePath(QStringLiteral("SysSet.ini"));
    }

    void saveSettings() { ASSERT_TRUE(WriteWholeFile(settings, savedSettings())); }
    QByteArray savedSettings() const { return PortSettings(device.toUtf8(), 7, 1); }

    std::unique_ptr<QProcess> start(const QStringList& words)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        process->setProcessEnvironment(env);
        process->start(binary, QStringList{command_} + words);
        EXPECT_TRUE(process->waitForStarted(kWaitMs));
        return process;
    }

    struct Result {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };
    static Result finish(QProcess& process)
    {
        Result result;
        if (!process.waitForFinished(kWaitMs) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    Result run(const QStringList& words) { return finish(*start(words)); }

    std::unique_ptr<SimulatedInstrument> sim;
    QString device;
    std::unique_ptr<QTemporaryDir> dir;
    QString binary;
    QString settings;

private:
    QString command_;
};
