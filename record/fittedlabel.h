#pragma once

#include <QString>
#include <QStringList>

class QLabel;

// The pixels a label has for its text: inside its frame, margin and indent.
int LabelTextRoom(const QLabel& label);
// Shows the first of `forms` that fits the label whole (the last when none
// does) and `whole`, the full text, as its tooltip.
void ShowFittedText(QLabel& label, const QStringList& forms, const QString& whole);
