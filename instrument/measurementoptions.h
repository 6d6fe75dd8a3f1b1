#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class RequestSender;
class ResponseDispatcher;
class UserDialogs;
struct LinkState;

// The four items of the band and method menus.
enum class OptionItem {
    N31,  // narrow current band: clears bit 0
    N32,  // wide current band: sets bit 0
    IEC2, // IEC harmonic method: clears bit 1
    CSA1, // CSA harmonic method: sets bit 1
};

// The option byte after choosing `item`: one bit changes, bits 2-7 stay.
std::uint8_t OptionByteAfter(std::uint8_t optionByte, OptionItem item);

// Captions of the band (N31, N32) and method (IEC2, CSA1) menu items. The
// active choice is marked with a trailing "<"; the texts set after a choice
// and after a read of the instrument differ in blanks and colons, and both
// sets are kept as the instrument's users know them.
struct OptionCaptions {
    QString N31, N32, IEC2, CSA1;
    bool operator==(const OptionCaptions&) const = default;
};
OptionCaptions CaptionsAfterRead(bool wideBand, bool csaMethod);
// Only the two captions of the chosen item's group change.
OptionCaptions CaptionsAfterChoice(OptionCaptions current, OptionItem item);

// Choosing a band or a method: the bit changes in OptionByte and the whole
// byte is written to register 128 (OptionByte, 0, 0, 0). With the port closed
// the send-failure message is shown; the choice stays made all the same.
class MeasurementOptions : public QObject {
    Q_OBJECT
public:
    MeasurementOptions(LinkState& link, RequestSender& sender, ResponseDispatcher& dispatcher,
                       UserDialogs& dialogs, QObject* parent = nullptr);

    void choose(OptionItem item);

signals:
    void chosen(OptionItem item);

private:
    LinkState& link_;
    RequestSender& sender_;
    ResponseDispatcher& dispatcher_;
    UserDialogs& dialogs_;
};
