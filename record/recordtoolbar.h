#pragma once

#include <QToolBar>

#include <functional>

class QToolButton;

// What the record window's tool buttons and menu items ask for.
enum class RecordCommand {
    Open,
    Create,
    PrintReport,
    Settings,
    Start,
    Stop,
    SwitchView,
    Newer,
    Older,
    ZoomOut,
    ZoomIn,
    ExportCsv,
    ExportPng,
    StretchIn,
    Autoscale,
};

// The record window's tool bar "記錄工具列": one button a command, kept
// under the buttons' designer names so that the window can enable them.
class RecordToolBar : public QToolBar {
public:
    RecordToolBar(const std::function<void(RecordCommand)>& run, QWidget* parent = nullptr);

    QToolButton* SeSkinSpeedButton1 = nullptr;  // open
    QToolButton* SeSkinSpeedButton12 = nullptr; // create
    QToolButton* SeSkinSpeedButton3 = nullptr;  // print the record report
    QToolButton* SeSkinSpeedButton4 = nullptr;  // settings
    QToolButton* SeSkinSpeedButton5 = nullptr;  // start
    QToolButton* SeSkinSpeedButton6 = nullptr;  // stop
    QToolButton* SeSkinSpeedButton11 = nullptr; // view switch, its picture read from PenData
    QToolButton* SeSkinSpeedButton9 = nullptr;  // toward newer samples
    QToolButton* SeSkinSpeedButton10 = nullptr; // toward older samples
    QToolButton* SeSkinSpeedButton7 = nullptr;  // zoom out
    QToolButton* SeSkinSpeedButton8 = nullptr;  // zoom in
    QToolButton* exportCsvButton = nullptr;
    QToolButton* exportPngButton = nullptr;
};
