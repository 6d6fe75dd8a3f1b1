#pragma once

#include <QByteArray>
#include <QString>

// The far end of a pseudo-terminal that a test drives by hand: it reads what
// the program sent and writes exactly the bytes the test chooses, when it
// chooses. The program opens path() as its serial port.
class ScriptedLine {
public:
    ScriptedLine();
    ~ScriptedLine();
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    QString path() const { return path_; }

    void write(const QByteArray& bytes);
    // Everything the program has sent since the last call.
    QByteArray takeSent();
    // Runs the event loop until `count` bytes were sent (or the timeout).
    QByteArray waitForSent(int count, int timeoutMs = 5000);

private:
    int master_ = -1;
    int keepSlave_ = -1; // keeps the line up while the program closes and reopens it
    QString path_;
    QByteArray pending_;
};

// A frame with its checksum appended, from hex text ("01 03 04 ...").
QByteArray FrameWithCrc(const char* hexText);
QByteArray FrameWithCrc(QByteArray body);
