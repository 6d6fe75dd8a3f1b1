// The window's publishing: a broker set in "SysSet.ini", continuous sampling
// against the simulated instrument, the broker's panel in the status bar.
#include "brokerpanel.h"
#include "brokerrig.h"
#include "eventwait.h"
#include "measurementrecord.h"
#include "programrig.h"
#include "recordingdialogs.h"
#include "responsedispatcher.h"
#include "simulatedinstrument.h"
#include "tmainform.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 30000;
using State = BrokerStatus::State;
using Problem = BrokerStatus::Problem;

TEST(BrokerPanelTest, SaysTheStateTheQueueAndTheDropped)
{
    BrokerSettings settings;
    settings.host = QStringLiteral("broker.lab");
    struct Case {
        BrokerStatus status;
        const char16_t* text;
    };
    const Case cases[] = {
        {{State::Idle}, u"MQTT：採樣時發布到 broker.lab:1883"},
        {{State::Connecting, Problem::None, 2}, u"MQTT：正在連接 broker.lab:1883，2 筆待送"},
        {{State::Connected, Problem::None, 1}, u"MQTT：已連接 broker.lab:1883"},
        {{State::Connected, Problem::None, 0, 15}, u"MQTT：已連接 broker.lab:1883，已捨棄 15 筆"},
        {{State::Waiting, Problem::Unreachable, 0, 0, 1}, u"MQTT：伺服器無回應，1 秒後重試"},
        {{State::Waiting, Problem::UnknownHost, 3, 0, 2},
         u"MQTT：找不到主機 broker.lab，3 筆待送，2 秒後重試"},
        {{State::Waiting, Problem::NotAuthorised, 0, 0, 4},
         u"MQTT：使用者名稱或密碼被拒，4 秒後重試"},
        {{State::Waiting, Problem::Rejected, 0, 0, 8}, u"MQTT：伺服器拒絕連接，8 秒後重試"},
        {{State::Waiting, Problem::TlsFailed, 0, 0, 16}, u"MQTT：TLS 憑證不受信任，16 秒後重試"},
        {{State::Waiting, Problem::Lost, 10000, 42, 30},
         u"MQTT：連接中斷，10000 筆待送，已捨棄 42 筆，30 秒後重試"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrokerPanel::StatusText(c.status, settings), QString::fromUtf16(c.text));
    settings.passwordFile = QStringLiteral("/x/pw");
    EXPECT_EQ(BrokerPanel::FileProblemText(BrokerFileProblem::PasswordUnreadable, settings),
              QStringLiteral("MQTT：無法讀取密碼檔 /x/pw，不發布"));
    EXPECT_EQ(BrokerPanel::InvalidKeysText({QStringLiteral("Port"), QStringLiteral("Qos")}),
              QStringLiteral("（設定 Port、Qos 無效，已用預設值）"));
}

class BrokerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.start()) << rig.error().toStdString();
        ASSERT_TRUE(simulator.start());
        subscriber = std::make_unique<TestSubscriber>(rig.port(), QStringLiteral("lab/#"),
                                                      QStringLiteral("dashboard"));
        ASSERT_TRUE(WaitUntil([&] { return subscriber->subscribed(); }, kWaitMs));
    }

    std::unique_ptr<Program> start(const QString& passwordFile)
    {
        const QByteArray broker = QStringLiteral("[Mqtt]\nHost=127.0.0.1\nPort=%1\nUser=%2\n"
                                                 "PasswordFile=%3\nTopicPrefix=lab\nQos=1\n")
                                      .arg(rig.port())
                                      .arg(BrokerRig::kUser, passwordFile)
                                      .toUtf8();
        EXPECT_TRUE(WriteWholeFile(
            dir.filePath("SysSet.ini"),
            PortSettings(QByteArray::fromStdString(simulator.devicePath()), 7, 5, broker)));
        return StartProgram(dir.path(), dialogs);
    }

    // Synchronised, then continuous sampling; true once `count` more
    // measurements came in.
    bool sample(Program& program, int count)
    {
        TMainForm& form = program.MainForm();
        if (!WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, kWaitMs))
            return false;
        form.SeSkinSpeedButton8->click();
        return measured(program, count);
    }

    static bool measured(Program& program, int count)
    {
        int stored = 0;
        const auto counting = QObject::connect(
            &program.Dispatcher(), &ResponseDispatcher::measurementStored, [&stored] { ++stored; });
        const bool done = WaitUntil([&] { return stored >= count; }, kWaitMs);
        QObject::disconnect(counting);
        return done;
    }

    QString panelText(Program& program) { return program.MainForm().brokerPanel().text(); }

    QTemporaryDir dir;
    BrokerRig rig;
    SimulatedInstrument simulator;
    RecordingDialogs dialogs;
    std::unique_ptr<TestSubscriber> subscriber;
};

TEST_F(BrokerWindowTest, PublishesWhileSamplingAndShowsTheBrokerComingAndGoing)
{
    auto program = start(rig.passwordFile());
    BrokerPanel& panel = program->MainForm().brokerPanel();
    EXPECT_FALSE(panel.isHidden());
    ASSERT_TRUE(sample(*program, 3));
    const QByteArray topic = "lab/COM150/measurement";
    ASSERT_TRUE(WaitUntil([&] { return subscriber->payloads(topic).size() >= 3; }, kWaitMs));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(rig.port());
    EXPECT_EQ(panelText(*program), QStringLiteral("MQTT：已連接 ") + address);
    const QJsonObject first = QJsonDocument::fromJson(subscriber->payloads(topic).front()).object();
    bool sent = false;
    for (const MeasurementRecord& r : simulator.recentMeasurements())
        sent = sent || float(first.value(QLatin1String("urms")).toDouble()) == r.URMS;
    EXPECT_TRUE(sent) << "the voltage is one the instrument sent";

    // The broker goes away: sampling goes on, the window says so and queues.
    rig.stop();
    ASSERT_TRUE(
        WaitUntil([&] { return panel.text().contains(QStringLiteral("連接中斷")); }, kWaitMs));
    ASSERT_TRUE(measured(*program, 3));
    EXPECT_TRUE(panel.text().contains(QStringLiteral("筆待送"))) << panel.text().toStdString();
    ASSERT_TRUE(rig.start()) << rig.error().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return panel.text() == QStringLiteral("MQTT：已連接 ") + address; },
                          kWaitMs));
}

TEST_F(BrokerWindowTest, UnreadablePasswordFileIsShownAndSamplingGoesOn)
{
    const QString missing = dir.filePath(QStringLiteral("no-password"));
    auto program = start(missing);
    EXPECT_EQ(panelText(*program), QStringLiteral("MQTT：無法讀取密碼檔 %1，不發布").arg(missing));
    EXPECT_EQ(program->Telemetry(), nullptr);
    ASSERT_TRUE(sample(*program, 2));
}

TEST(BrokerWindowWithoutBrokerTest, ShowsNoBrokerPanel)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    ASSERT_TRUE(WriteWholeFile(dir.filePath("SysSet.ini"), PortSettings("/dev/null")));
    auto program = StartProgram(dir.path(), dialogs);
    EXPECT_TRUE(program->MainForm().brokerPanel().isHidden());
    EXPECT_EQ(program->Telemetry(), nullptr);
}

} // namespace
