#pragma once

#include <QIcon>

// The main window's tool-bar glyphs, drawn by the program itself.
enum class ToolIcon { Open, Save, Print, Version, Record, HarmonicList, StartTest, Single, Continuous, Stop };

QIcon ToolbarIcon(ToolIcon kind);
