#pragma once

#include "connectioncontroller.h"
#include "inifile.h"
#include "measurementcontrol.h"
#include "portenvironment.h"
#include "qtdialogs.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "sharedstate.h"
#include "tcomm.h"

#include <QStringList>

#include <memory>

class MeasurementArea;
class SimulatedInstrument;
class TCommForm;
class TMainForm;

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
    MeasurementArea& Display() { return *display_; }
    SharedState& State() { return state_; }
    TComm& Comm1() { return comm_; }
    MeasurementControl& Control() { return control_; }
    ConnectionController& Connection() { return *connection_; }
    ResponseDispatcher& Dispatcher() { return dispatcher_; }
    const IniFile& SysSet() const { return sysSet_; }

    // DrawMeasurementView of the current record in the current chart colours.
    void DrawMeasurementView();

private:
    void configureComm1();
    void createMainForm();
    void createCommForm();
    void startDemo();

    ProgramOptions options_;
    QtDialogs qtDialogs_;
    UserDialogs& dialogs_;
    SharedState state_;
    IniFile sysSet_;
    std::unique_ptr<SimulatedInstrument> simulator_;
    TComm comm_{dialogs_};
    RequestSender sender_{comm_, state_.link};
    ResponseDispatcher dispatcher_{comm_, state_.link, state_.MeasurementRecord, sender_, dialogs_};
    MeasurementControl control_{state_.link, sender_, dispatcher_, dialogs_};
    SystemPorts ports_{sysSet_};
    std::unique_ptr<ConnectionController> connection_;
    std::unique_ptr<TMainForm> mainForm_;
    MeasurementArea* display_ = nullptr;
    std::unique_ptr<TCommForm> commForm_;
};
