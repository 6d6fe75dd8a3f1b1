#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// Whether a key press may reach a number field. Only typed characters are
// judged: a printable character passes when it is a digit, the point, or
// (where allowed) the minus sign. Keys that type nothing (arrows, Home, End,
// Delete, Tab, Enter), backspace and shortcuts with Ctrl or Alt always pass.
bool FieldKeyPasses(const QString& typedText, bool withControlModifier, bool allowMinus);

// Installs that filter on a field.
class FieldKeyFilter : public QObject {
public:
    FieldKeyFilter(QLineEdit* field, bool allowMinus);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool allowMinus_;
};
