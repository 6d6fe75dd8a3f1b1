#include "fittedlabel.h"

#include "recordchart.h"

#include <QLabel>

int LabelTextRoom(const QLabel& label)
{
    const QFontMetrics metrics = label.fontMetrics();
    // A framed label without an indent of its own indents by half an "x".
    int indent = label.indent();
    if (indent < 0)
        indent = label.frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    return label.contentsRect().width() - 2 * label.margin() - indent;
}

void ShowFittedText(QLabel& label, const QStringList& forms, const QString& whole)
{
    const QFontMetrics metrics = label.fontMetrics();
    label.setText(FirstThatFits(
        forms, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); },
        LabelTextRoom(label)));
    label.setToolTip(whole);
}
