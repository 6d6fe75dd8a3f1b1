#include "fieldkeyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>

bool FieldKeyPasses(const QString& typedText, bool withControlModifier, bool allowMinus)
{
    if (withControlModifier || typedText.isEmpty())
        return true;
    for (const QChar c : typedText) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) // backspace, Tab, Enter, Delete
            continue;
        if (c.isDigit() && c.unicode() < 0x80)
            continue;
        if (c == QLatin1Char('.') || (allowMinus && c == QLatin1Char('-')))
            continue;
        return false;
    }
    return true;
}

FieldKeyFilter::FieldKeyFilter(QLineEdit* field, bool allowMinus)
    : QObject(field), allowMinus_(allowMinus)
{
    field->installEventFilter(this);
}

bool FieldKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool control =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!FieldKeyPasses(key->text(), control, allowMinus_))
            return true; // discarded
    }
    return QObject::eventFilter(watched, event);
}
