#include "program.h"

#include "alarmwatch.h"
#include "baudratelist.h"
#include "brokerpanel.h"
#include "chartbox.h"
#include "instrumentforms.h"
#include "measurementarea.h"
#include "measurementtelemetry.h"
#include "portmap.h"
#include "recordcontrol.h"
#include "recordreport.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "reportstate.h"
#include "simulatedinstrument.h"
#include "skinsetting.h"
#include "snapshotcommands.h"
#include "tcommform.h"
#include "tenterinfoform.h"
#include "tharmonicform.h"
#include "tlimitsform.h"
#include "tmainform.h"
#include "tprinterform.h"
#include "trecordform.h"
#include "trecsetform.h"
#include "tskin.h"
#include "tvform.h"
#include "windowplacement.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace {

// The port number a demonstration run gives its simulated instrument: one
// without a device of its own, so no real port is shadowed.
constexpr int kDemoPort = 200;

// The demonstration's line runs at 115200 bit/s whatever rate is saved, so
// that the values refresh several times a second.
constexpr int kDemoBaudIndex = int(kBaudRateList.size()) - 1;
static_assert(kBaudRateList[kDemoBaudIndex].rate == TBaudRate::br115200);

// The record report takes the chart as the record window last drew it, its
// captions and its status panels 0, 2, 3 and 4.
RecordReportSource RecordWindowReportSource(const TRecordForm& form, const RecordState& record)
{
    return RecordReportSourceOf(
        record, form.chart->Pic4->size(), [&form] { return form.chartImage(); },
        [&form](int channel) { return form.channelCaption(channel); },
        [&form](int panel) { return form.statusText(panel); });
}

QSize screenSize()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->size();
    return {2400, 1600}; // no screen: surfaces large enough for any window
}

} // namespace

Program::Program(ProgramOptions options, UserDialogs* dialogs)
    : options_(std::move(options)),
      sysSet_(QDir(options_.settingsFolder).filePath(QStringLiteral("SysSet.ini"))),
      folderDialogs_(dialogs ? *dialogs : qtDialogs_, sysSet_), dialogs_(folderDialogs_)
{
    if (options_.demo)
        startDemo();
    link_.Comm1.setDeviceResolver([this](int n) { return PortMapDevicePath(n, &sysSet_); });
    createMainForm();
    createAppearanceForms();
    createCommForm();
    createReportForms();
    createHarmonicForm();
    createLimitsForm();
    createRecordForms();
    createInstrumentForms();
    createTelemetry();
}

Program::~Program() = default;

void Program::createTelemetry()
{
    const SavedBrokerSettings saved = ReadBrokerSettings(sysSet_);
    if (!saved.settings.enabled())
        return;
    BrokerPanel& panel = mainForm_->brokerPanel();
    BrokerSettings settings = saved.settings;
    panel.setBroker(settings, saved.invalidKeys);
    const BrokerFileProblem problem = LoadBrokerFiles(settings);
    if (problem != BrokerFileProblem::None) {
        panel.showFileProblem(problem);
        return;
    }
    telemetry_ = std::make_unique<MeasurementTelemetry>(settings);
    QObject::connect(&telemetry_->publisher(), &MqttPublisher::statusChanged, &panel,
                     &BrokerPanel::showStatus);
    // Every measurement taken in, of a single test or of continuous sampling.
    QObject::connect(
        &link_.dispatcher, &ResponseDispatcher::measured, &panel, [this](const QDateTime& when) {
            telemetry_->publish(state_.link.CurrentPort, sysSet_, state_.MeasurementRecord, when);
        });
}

void Program::startDemo()
{
    simulator_ = std::make_unique<SimulatedInstrument>();
    std::string error;
    if (!simulator_->start(&error)) {
        dialogs_.message(QStringLiteral("無法啟動模擬儀器：") + QString::fromStdString(error),
                         UserDialogs::Icon::Error);
        simulator_.reset();
        return;
    }
    // The simulated instrument becomes the saved port of this run only; the
    // user's "SysSet.ini" is not changed.
    const QString com = QStringLiteral("COM%1").arg(kDemoPort);
    sysSet_.setOverride(QStringLiteral("PortMap"), com,
                        QString::fromStdString(simulator_->devicePath()));
    sysSet_.setOverride(QStringLiteral("CommPort"), QStringLiteral("Port"),
                        QString::number(kDemoPort));
    // A rate the user picks in the communication window replaces this one
    // for the rest of the run, and is not saved either.
    sysSet_.setOverride(QStringLiteral("CommBaudrate"), QStringLiteral("Baudrate"),
                        QString::number(kDemoBaudIndex));
}

void Program::DrawMeasurementView()
{
    display_->DrawMeasurementView(
        state_.MeasurementRecord,
        {QColor::fromRgb(state_.ChartBackColor), QColor::fromRgb(state_.ChartGridColor)});
}

void Program::createMainForm()
{
    mainForm_ = std::make_unique<TMainForm>(link_.control);
    TMainForm* form = mainForm_.get();

    // FormCreate: shared state and surfaces, layout, the command line.
    InitLinkAndMeasurement(state_);
    display_ = new MeasurementArea(form->Panel1(), screenSize());
    ApplySkinSetting(sysSet_, options_.programFolder, ApplicationStyleSheetSetter());
    display_->LayoutDisplay();
    // The command line: a snapshot is opened and shown now; a record file
    // goes to the record window a second after start-up.
    alarmWatch_ =
        std::make_unique<AlarmWatch>(state_.link, state_.MeasurementRecord, link_.dispatcher);
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::sendFailed, form,
                     [this](const SendFailure& failure) {
                         const QString text = TMainForm::SendFailureMessage(failure);
                         if (!text.isEmpty())
                             dialogs_.message(text);
                     });
    QObject::connect(alarmWatch_.get(), &AlarmWatch::breachesChanged, form,
                     [this, form](const std::vector<ThresholdBreach>& breaches) {
                         std::vector<PanelId> panels;
                         panels.reserve(breaches.size());
                         for (const ThresholdBreach& breach : breaches)
                             panels.push_back(PanelOfThreshold(breach.threshold));
                         display_->markAlarmPanels(panels);
                         form->showThresholdBreaches(breaches);
                     });
    // A snapshot is no live measurement: the instrument's thresholds of now
    // say nothing about it.
    snapshots_ = std::make_unique<SnapshotCommands>(state_, dialogs_, [this] {
        alarmWatch_->liveMeasurementLeft();
        DrawMeasurementView();
    });
    snapshots_->saved = [form](const QString& path) { form->showSnapshotSaved(path); };
    snapshots_->opened = [form](const QString& path, const QDateTime& taken) {
        form->showSnapshotOpened(path, taken);
    };
    if (snapshots_->OpenFromCommandLine(options_.arguments) == StartFileKind::RecordFile)
        form->MOpenTimer.start();
    QObject::connect(form, &TMainForm::openFileRequested, form, [this] { snapshots_->Open(); });
    QObject::connect(form, &TMainForm::saveFileRequested, form, [this] { snapshots_->Save(); });

    QObject::connect(form, &TMainForm::resized, form, [this] {
        display_->LayoutDisplay();
        DrawMeasurementView();
    });
    QObject::connect(&link_.control, &MeasurementControl::commandStatesChanged, form,
                     &TMainForm::applyCommandStates);
    QObject::connect(&link_.control, &MeasurementControl::runRequest, form,
                     &TMainForm::showRunRequest);
    QObject::connect(&link_.control, &MeasurementControl::runStateChanged, form,
                     &TMainForm::showRunState);
    QObject::connect(&link_.control, &MeasurementControl::redrawRequested, form,
                     [this] { DrawMeasurementView(); });
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::progressChanged, form,
                     &TMainForm::showProgress);
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::measurementStored, form,
                     [this] { DrawMeasurementView(); });
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::measured, form,
                     [this, form](const QDateTime& when) {
                         state_.MeasurementTime = when;
                         form->showMeasured(when);
                     });
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::readBackComplete, form,
                     [form] { form->showLinkStatus(LinkStatus::Synchronised); });
}

void Program::createAppearanceForms()
{
    TMainForm* form = mainForm_.get();
    // Its creation restores the chart colours and redraws the live view.
    skinForm_ = std::make_unique<Tskin>(
        state_, sysSet_, ApplicationStyleSheetSetter(), options_.programFolder,
        [this] { DrawMeasurementView(); }, form);
    versionForm_ = std::make_unique<TVForm>(form);
    QObject::connect(form, &TMainForm::appearanceRequested, form, [this] { skinForm_->exec(); });
    QObject::connect(form, &TMainForm::versionRequested, form, [this] { versionForm_->exec(); });
    QObject::connect(form, &TMainForm::webPageRequested, form,
                     [this] { helpLinks_.openWebPage(); });
    QObject::connect(form, &TMainForm::manualRequested, form, [this] {
        const ManualOutcome outcome = helpLinks_.openManual();
        if (outcome != ManualOutcome::Opened)
            dialogs_.message(TMainForm::ManualMessage(outcome, ManualUrl().toLocalFile()),
                             UserDialogs::Icon::Warning);
    });
}

void Program::createReportForms()
{
    TMainForm* main = mainForm_.get();
    const IniFile enterInfo(
        QDir(options_.settingsFolder).filePath(QStringLiteral("EnterInfo.ini")));
    report_ = std::make_unique<ReportState>();
    // Its creation builds the analysis preview once.
    printerForm_ = std::make_unique<TPrinterForm>(*report_, state_.MeasurementRecord, enterInfo,
                                                  dialogs_, SystemPrinterSetupDialog(), main);
    printerForm_->setMeasurementTimeSource([this] { return state_.MeasurementTime; });
    // A child of the preview, so that it stays usable above the modal preview.
    enterInfoForm_ = std::make_unique<TEnterInfoForm>(enterInfo, dialogs_, printerForm_.get());
    QObject::connect(printerForm_.get(), &TPrinterForm::enterInfoRequested, enterInfoForm_.get(),
                     [this] {
                         enterInfoForm_->show();
                         enterInfoForm_->raise();
                         enterInfoForm_->activateWindow();
                     });
    QObject::connect(enterInfoForm_.get(), &TEnterInfoForm::saved, printerForm_.get(),
                     &TPrinterForm::ScrollToTop);
    QObject::connect(main, &TMainForm::printRequested, printerForm_.get(), [this] {
        report_->ReportKind = ReportKind::Analysis;
        printerForm_->exec();
    });
}

void Program::createHarmonicForm()
{
    harmonicForm_ = std::make_unique<THarmonicForm>(state_, mainForm_.get(), &dialogs_);
    QObject::connect(mainForm_.get(), &TMainForm::harmonicListRequested, harmonicForm_.get(),
                     [this] { harmonicForm_->exec(); });
}

void Program::createLimitsForm()
{
    TMainForm* main = mainForm_.get();
    limitsForm_ = std::make_unique<TLimitsForm>(sysSet_, main);
    TLimitsForm* limits = limitsForm_.get();
    // It follows every measurement, also while hidden, so that the highest
    // values of continuous sampling are held from the start.
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::measured, limits,
                     [this, limits](const QDateTime& when) {
                         const MeasurementSource source =
                             link_.control.runState() == RunState::ContinuousSampling
                                 ? MeasurementSource::ContinuousSampling
                                 : MeasurementSource::SingleTest;
                         limits->showMeasurement(state_.MeasurementRecord, when, source);
                     });
    const auto openedBefore = snapshots_->opened;
    snapshots_->opened = [openedBefore, limits, this](const QString& path, const QDateTime& taken) {
        if (openedBefore)
            openedBefore(path, taken);
        limits->showMeasurement(state_.MeasurementRecord, taken, MeasurementSource::Snapshot);
    };
    // A snapshot named on the command line was opened before this window existed.
    if (state_.MeasurementTime.isValid())
        limits->showMeasurement(state_.MeasurementRecord, state_.MeasurementTime,
                                MeasurementSource::Snapshot);

    printerForm_->setHarmonicLimitsReportSource([limits](const ReportInfo& info) {
        return HarmonicLimitsReport(limits->pageContent(), info);
    });
    QObject::connect(limits, &TLimitsForm::printRequested, printerForm_.get(), [this] {
        report_->ReportKind = ReportKind::HarmonicLimits;
        printerForm_->exec();
    });
    QObject::connect(limits, &TLimitsForm::savePdfRequested, printerForm_.get(), [this] {
        report_->ReportKind = ReportKind::HarmonicLimits;
        printerForm_->SaveAsPdf();
    });
    QObject::connect(main, &TMainForm::harmonicLimitsRequested, limits,
                     [this] { showLimitsForm(); });
    // The harmonic table is modal: it gives way to the limits window, which
    // is not, so that sampling can be started and stopped beside it.
    QObject::connect(harmonicForm_.get(), &THarmonicForm::limitsRequested, limits, [this] {
        harmonicForm_->accept();
        showLimitsForm();
    });
}

void Program::showLimitsForm()
{
    limitsForm_->show();
    limitsForm_->raise();
    limitsForm_->activateWindow();
}

void Program::createCommForm()
{
    connection_ = std::make_unique<ConnectionController>(
        state_.link, link_.Comm1, link_.sender, link_.dispatcher, link_.control, ports_, sysSet_);
    commForm_ = std::make_unique<TCommForm>(*connection_, dialogs_, mainForm_.get());
    QObject::connect(connection_.get(), &ConnectionController::linkStatusChanged, mainForm_.get(),
                     &TMainForm::showLinkStatus);
    // Opening the open port or writing to the closed one: said in the
    // communication window's words.
    QObject::connect(
        &link_.Comm1, &TComm::refused, commForm_.get(),
        [this](ECommError::Reason reason) { commForm_->showPortError(ECommError(reason)); });
    QObject::connect(&connection_->Recovery(), &LinkRecovery::linkLost, mainForm_.get(),
                     &TMainForm::showLinkLost);
    QObject::connect(&connection_->Recovery(), &LinkRecovery::linkRestored, mainForm_.get(),
                     &TMainForm::showLinkRestored);
    QObject::connect(mainForm_.get(), &TMainForm::commOptionsRequested, commForm_.get(),
                     [this] { commForm_->exec(); });
    // Creating the window connects: scan, open the saved port, first read.
    connection_->ScanPorts();
}

void Program::createRecordForms()
{
    TMainForm* main = mainForm_.get();
    record_ = std::make_unique<RecordState>();
    recordControl_ = std::make_unique<RecordControl>(*record_, state_, dialogs_);
    recordForm_ = std::make_unique<TRecordForm>(*recordControl_, *record_, state_,
                                                options_.programFolder, main);
    // The record window's creation reads the record settings: periods,
    // status texts, channel codes and captions.
    recordControl_->ApplySettings(ReadRecordSettings(sysSet_));
    // "啟動記錄" may start continuous sampling as "連續採樣" does; the
    // recording follows once the command has run (it waits for an answer
    // on its way).
    recordControl_->setSamplingStarter({[this] { return link_.control.states().continuousButton; },
                                        [this](std::function<void()> started) {
                                            link_.control.ContinuousSampling();
                                            link_.dispatcher.whenIdle(nullptr, std::move(started));
                                        }});
    recSetForm_ =
        std::make_unique<TRecSetForm>(sysSet_, *recordControl_, dialogs_, recordForm_.get());

    QObject::connect(main, &TMainForm::recordRequested, recordForm_.get(), [this] {
        recordForm_->show();
        recordForm_->raise();
        recordForm_->activateWindow();
    });
    QObject::connect(main, &TMainForm::recordFileOpenRequested, recordForm_.get(),
                     [this] { recordControl_->OpenTimer.start(); });
    QObject::connect(recordForm_.get(), &TRecordForm::settingsRequested, recSetForm_.get(), [this] {
        // Modal over the record window, centred on the main window.
        recSetForm_->move(mainForm_->frameGeometry().center() - recSetForm_->rect().center());
        KeepInsideScreen(*recSetForm_);
        recSetForm_->exec();
    });
    // The print button: the record report's preview, modal.
    printerForm_->setRecordReportSource(
        [this] { return RecordWindowReportSource(*recordForm_, *record_); });
    QObject::connect(recordForm_.get(), &TRecordForm::recordReportRequested, printerForm_.get(),
                     [this] {
                         report_->ReportKind = ReportKind::Record;
                         printerForm_->exec();
                     });
    // Closing the program keeps the samples of a recording in progress.
    QObject::connect(main, &TMainForm::closing, recordForm_.get(),
                     [this] { recordControl_->SaveOnExit(); });
}

void Program::createInstrumentForms()
{
    TMainForm* form = mainForm_.get();
    instrumentForms_ = std::make_unique<InstrumentForms>(
        state_.link, link_.Comm1, link_.sender, link_.dispatcher, dialogs_, form,
        [this] {
            return ChartColors{QColor::fromRgb(state_.ChartBackColor),
                               QColor::fromRgb(state_.ChartGridColor)};
        },
        screenSize());
    InstrumentForms& instrument = *instrumentForms_;
    // The band and method items: a read of the instrument marks all four, a
    // choice its own group.
    QObject::connect(&link_.dispatcher, &ResponseDispatcher::optionsRead, form,
                     [form](bool wideBand, bool csaMethod) {
                         const OptionCaptions c = CaptionsAfterRead(wideBand, csaMethod);
                         form->setOptionCaptions(c.N31, c.N32, c.IEC2, c.CSA1);
                     });
    QObject::connect(
        &instrument.options, &MeasurementOptions::chosen, form, [form](OptionItem item) {
            const OptionCaptions c = CaptionsAfterChoice(
                {form->N31->text(), form->N32->text(), form->IEC2->text(), form->CSA1->text()},
                item);
            form->setOptionCaptions(c.N31, c.N32, c.IEC2, c.CSA1);
        });
    auto choose = [&instrument](OptionItem item) {
        return [&instrument, item] { instrument.options.choose(item); };
    };
    QObject::connect(form, &TMainForm::narrowBandRequested, form, choose(OptionItem::N31));
    QObject::connect(form, &TMainForm::wideBandRequested, form, choose(OptionItem::N32));
    QObject::connect(form, &TMainForm::iecMethodRequested, form, choose(OptionItem::IEC2));
    QObject::connect(form, &TMainForm::csaMethodRequested, form, choose(OptionItem::CSA1));
    QObject::connect(form, &TMainForm::calibrateRequested, form,
                     [&instrument] { instrument.CalibrateForm->show(); });
    QObject::connect(form, &TMainForm::alarmRequested, form,
                     [&instrument] { instrument.AlarmForm->OpenFromMenu(); });
    QObject::connect(form, &TMainForm::startTestRequested, form, [this, form] {
        TStartingForm& starting = *instrumentForms_->StartingForm;
        if (!starting.isVisible()) { // centred on the main window when it opens
            starting.move(form->frameGeometry().center() - starting.rect().center());
            KeepInsideScreen(starting);
        }
        starting.show();
        starting.raise();
        starting.activateWindow();
    });
    QObject::connect(form, &TMainForm::externalCtRequested, form,
                     [&instrument] { instrument.External_CT_form->show(); });
}
