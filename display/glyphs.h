#pragma once

#include <QIcon>

// The pictures of the tool buttons, drawn by the program itself. A window
// draws them in its own look: the main window's tool bar, the record
// window's tool bar and the log window's picture buttons each have their own
// size and ink, and where two looks show the same thing (a folder, a
// printer, a magnifier) one shape is drawn with that look's measures, so
// that every window keeps its pictures.
enum class Glyph {
    None, // a button whose picture is set elsewhere
    Open,
    Create,
    Save,
    Print,
    Settings,
    Version,
    Record,
    HarmonicList,
    StartTest,
    Single,
    Continuous,
    StartRecording,
    Stop,
    Newer,
    Older,
    ZoomOut, // magnifier with minus
    ZoomIn,  // magnifier with plus
    ScaleUp,
    ScaleDown,
    ShowHide,
    Range,
    ExportCsv,
    ExportPng,
    Left,
    Right,
};

enum class GlyphLook {
    MainToolBar,   // 32 x 32, thin dark ink, its own greyed picture when disabled
    RecordToolBar, // 32 x 32, a heavier ink
    PictureButton, // 24 x 24, blue ink: the log window's view buttons
};

// The glyph in the look; a glyph the look does not draw gives a blank
// picture of the look's size.
QIcon GlyphIcon(Glyph glyph, GlyphLook look);
