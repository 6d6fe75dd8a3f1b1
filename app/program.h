#pragma once

#include "connectioncontroller.h"
#include "folderdialogs.h"
#include "helplinks.h"
#include "inifile.h"
#include "instrumentlink.h"
#include "portenvironment.h"
#include "qtdialogs.h"
#include "sharedstate.h"

#include <QStringList>

#include <memory>

class AlarmWatch;
class MeasurementTelemetry;
class InstrumentForms;
class MeasurementArea;
class SimulatedInstrument;
class SnapshotCommands;
class THarmonicForm;
class TLimitsForm;
class TRecSetForm;
class TRecordForm;
class RecordControl;
struct RecordState;
class TVForm;
class Tskin;
class TCommForm;
class TMainForm;
class TPrinterForm;
class TEnterInfoForm;
struct ReportState;

// Where the program keeps its files and what it was started with.
struct ProgramOptions {
    QString settingsFolder; // "SysSet.ini", "EnterInfo.ini"
    QString programFolder;  // "PenData", "SkinsFile"
    QStringList arguments;  // without the program name and without --demo
    bool demo = false;      // serve a simulated instrument and use it for this run
};

// The running program: it owns the shared state, the instrument link and
// every window, creates them once in their fixed order and wires them.
class Program {
public:
    explicit Program(ProgramOptions options, UserDialogs* dialogs = nullptr);
    ~Program();

    TMainForm& MainForm() { return *mainForm_; }
    TCommForm& CommForm() { return *commForm_; }
    THarmonicForm& HarmonicForm() { return *harmonicForm_; }
    TLimitsForm& LimitsForm() { return *limitsForm_; }
    TRecordForm& RecordForm() { return *recordForm_; }
    TRecSetForm& RecSetForm() { return *recSetForm_; }
    RecordControl& Recording() { return *recordControl_; }
    RecordState& Record() { return *record_; }
    Tskin& SkinForm() { return *skinForm_; }
    TPrinterForm& PrinterForm() { return *printerForm_; }
    TEnterInfoForm& EnterInfoForm() { return *enterInfoForm_; }
    ReportState& Report() { return *report_; }
    MeasurementArea& Display() { return *display_; }
    AlarmWatch& Alarms() { return *alarmWatch_; }
    SharedState& State() { return state_; }
    TComm& Comm1() { return link_.Comm1; }
    MeasurementControl& Control() { return link_.control; }
    ConnectionController& Connection() { return *connection_; }
    ResponseDispatcher& Dispatcher() { return link_.dispatcher; }
    InstrumentForms& Instrument() { return *instrumentForms_; }
    MeasurementTelemetry* Telemetry() { return telemetry_.get(); }
    const IniFile& SysSet() const { return sysSet_; }

    // DrawMeasurementView of the current record in the current chart colours.
    void DrawMeasurementView();

private:
    void createMainForm();
    void createCommForm();
    void createReportForms();
    void createHarmonicForm();
    void createLimitsForm();
    void showLimitsForm();
    void createRecordForms();
    void createInstrumentForms();
    void createAppearanceForms();
    void startDemo();
    void createTelemetry();

    ProgramOptions options_;
    QtDialogs qtDialogs_;
    IniFile sysSet_;
    FolderDialogs folderDialogs_; // the given dialogs, or Qt's
    UserDialogs& dialogs_;        // folderDialogs_
    SharedState state_;
    std::unique_ptr<SimulatedInstrument> simulator_;
    InstrumentLink link_{state_.link, state_.MeasurementRecord};
    SystemPorts ports_{sysSet_};
    std::unique_ptr<ConnectionController> connection_;
    std::unique_ptr<TMainForm> mainForm_;
    MeasurementArea* display_ = nullptr;
    std::unique_ptr<Tskin> skinForm_;
    std::unique_ptr<TVForm> versionForm_;
    HelpLinks helpLinks_;
    std::unique_ptr<TCommForm> commForm_;
    std::unique_ptr<AlarmWatch> alarmWatch_;
    std::unique_ptr<SnapshotCommands> snapshots_;
    std::unique_ptr<ReportState> report_;
    std::unique_ptr<TPrinterForm> printerForm_;
    std::unique_ptr<TEnterInfoForm> enterInfoForm_; // the preview's child, destroyed first
    std::unique_ptr<THarmonicForm> harmonicForm_;
    std::unique_ptr<TLimitsForm> limitsForm_;
    std::unique_ptr<RecordState> record_;
    std::unique_ptr<RecordControl> recordControl_;
    std::unique_ptr<TRecordForm> recordForm_;
    std::unique_ptr<TRecSetForm> recSetForm_;
    std::unique_ptr<InstrumentForms> instrumentForms_;
    std::unique_ptr<MeasurementTelemetry> telemetry_; // with a broker set only
};
