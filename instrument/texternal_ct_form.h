#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct LinkState;
class RequestSender;
class ResponseDispatcher;
class UserDialogs;

// The external current transformer window: the transformer's phase error at a
// mains frequency, sent to the instrument (register 129) as the time by which
// it shifts the current. Modeless; the frame's close box (or Escape) closes it.
// The instrument's setting is never read back, so the fields show what was
// typed last.
class TExternal_CT_form : public QDialog {
    Q_OBJECT
public:
    TExternal_CT_form(LinkState& link, RequestSender& sender, ResponseDispatcher& dispatcher,
                      UserDialogs& dialogs, QWidget* parent = nullptr);

    void SaveClick(); // "儲存到儀器"

    QLineEdit* Edit1 = nullptr; // phase difference, degrees
    QLineEdit* Edit2 = nullptr; // frequency, Hz
    QPushButton* SaveButton = nullptr;
    // Under the button: what became of the last "儲存到儀器".
    QLabel* StatusLabel = nullptr;

private:
    bool readField(QLineEdit* field, const QString& name, float* value);

    LinkState& link_;
    RequestSender& sender_;
    ResponseDispatcher& dispatcher_;
    UserDialogs& dialogs_;
};
