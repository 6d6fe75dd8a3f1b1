#pragma once

#include <QIcon>

// The record window's tool button glyphs, drawn by the program.
enum class RecordGlyph {
    Open, Create, Print, Settings, Start, Stop, Newer, Older, ZoomOut, ZoomIn,
    ScaleUp, ScaleDown, ShowHide, Range, ExportCsv, ExportPng,
};

QIcon RecordGlyphIcon(RecordGlyph glyph);
