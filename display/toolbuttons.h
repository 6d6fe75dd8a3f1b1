#pragma once

#include "glyphs.h"

#include <QString>

#include <functional>
#include <vector>

class QToolBar;
class QToolButton;
class QWidget;

// One tool button as a window lists it: its object name (empty for none),
// its picture, its tip, what a click runs and where the window keeps the
// button (nullptr where it needs no hold on it). A row without a tip stands
// for a separator in a tool bar.
struct ToolButtonRow {
    QString name;
    Glyph glyph = Glyph::None;
    QString tip;
    std::function<void()> command;
    QToolButton** keep = nullptr;
};

inline ToolButtonRow ToolSeparator()
{
    return {};
}

// The button of a row, its picture in the window's look.
QToolButton* MakeToolButton(const ToolButtonRow& row, GlyphLook look, QWidget* parent = nullptr);

// Adds the rows to a tool bar in their order: buttons that rise under the
// mouse, and separators.
void AddToolButtons(QToolBar& bar, const std::vector<ToolButtonRow>& rows, GlyphLook look);
