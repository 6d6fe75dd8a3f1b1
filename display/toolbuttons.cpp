#include "toolbuttons.h"

#include <QToolBar>
#include <QToolButton>

QToolButton* MakeToolButton(const ToolButtonRow& row, GlyphLook look, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    if (!row.name.isEmpty())
        button->setObjectName(row.name);
    if (row.glyph != Glyph::None)
        button->setIcon(GlyphIcon(row.glyph, look));
    button->setToolTip(row.tip);
    if (row.command)
        QObject::connect(button, &QToolButton::clicked, button, row.command);
    if (row.keep)
        *row.keep = button;
    return button;
}

void AddToolButtons(QToolBar& bar, const std::vector<ToolButtonRow>& rows, GlyphLook look)
{
    for (const ToolButtonRow& row : rows) {
        if (row.tip.isEmpty()) {
            bar.addSeparator();
            continue;
        }
        QToolButton* button = MakeToolButton(row, look, &bar);
        button->setAutoRaise(true);
        bar.addWidget(button);
    }
}
