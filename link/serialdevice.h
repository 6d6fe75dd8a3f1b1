#pragma once

#include "deviceholders.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The raw operations of a Linux serial device (a termios tty), with nothing of
// Qt or of TComm's properties. Kept in a unit of its own because the kernel's
// termios2 header, needed for arbitrary baud rates, cannot share a translation
// unit with the C library's <termios.h>.
//
// Every function works on a descriptor from OpenSerialDevice and reports
// failure without throwing; callers decide what a failure means.
struct termios2; // the kernel's, from <asm/termbits.h>

namespace serial {

struct LineSettings {
    enum class Parity { None, Odd, Even, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };
    enum class RtsMode { Off, On, Handshake };

    unsigned baudRate = 9600; // bits per second, any value the driver accepts
    int dataBits = 8;         // 5-8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    RtsMode rts = RtsMode::Off; // Handshake: CTS output flow control, RTS driven by the driver
    bool xonXoff = false;       // software flow control in both directions
};

// Line error counts kept by the driver (UARTs and most USB adapters).
struct ErrorCounters {
    std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufferOverrun = 0;
};

enum class OpenStatus { Ok, OpenFailed, Locked, NotATerminal, Held };

struct OpenResult {
    int fd = -1; // valid only with OpenStatus::Ok
    OpenStatus status = OpenStatus::OpenFailed;
    int error = 0;                     // errno of the failing step
    std::vector<DeviceHolder> holders; // Locked, Held: who has it, where known
};

// Opens the device for reading and writing without making it the controlling
// terminal, non-blocking and close-on-exec, and claims it for this descriptor
// alone: a non-blocking exclusive flock (which also binds root) plus TIOCEXCL
// (which stops other users' plain opens). A device held by another flock, or
// made exclusive by another opener (EBUSY), fails with Locked; one that
// another process has open without either fails with Held; a path that is no
// terminal fails with NotATerminal.
OpenResult OpenSerialDevice(const char* path);

// Gives up the claim and closes the descriptor.
void CloseSerialDevice(int fd);

// Turns `t` into the raw line of `settings`: no input or output processing,
// non-canonical with VMIN 0/VTIME 0, CLOCAL|CREAD, the rate exactly as
// c_ispeed/c_ospeed with BOTHER, character size, parity (INPCK with it; mark
// and space through CMSPAR), stop bits, CRTSCTS and IXON|IXOFF. Every other
// field keeps its value.
void ComposeLineSettings(termios2& t, const LineSettings& settings);

// Reads the device's settings, composes them with `settings`, writes them
// at once, and sets the RTS/DTR lines as the handshake asks (DTR low; RTS
// high only for RtsMode::On). False when the driver refuses.
bool ApplyLineSettings(int fd, const LineSettings& settings);

// Bytes the line discipline holds for reading (FIONREAD); -1 on failure,
// which is how a vanished or hung-up device shows.
int InputWaiting(int fd);

// Whether the device is gone: hung up (a pulled USB adapter, the far end of
// a pseudo-terminal closed) or in error. Never waits.
bool LineHungUp(int fd);

// Reads what is ready now, at most `capacity` bytes; never waits. Returns the
// count, 0 when nothing is ready or the device hung up, -1 on failure.
long ReadReady(int fd, std::uint8_t* buffer, std::size_t capacity);

// What a descriptor for WriteAll is: a socket is written without raising
// SIGPIPE when its far end has gone.
enum class FdKind { Device, Socket };

// Writes all `count` bytes, waiting for room in the output buffer while the
// driver accepts more within `stallMs`, and never longer than `totalMs` in
// all. Returns the number of bytes written.
std::size_t WriteAll(int fd, const std::uint8_t* data, std::size_t count, int stallMs, int totalMs,
                     FdKind kind = FdKind::Device);

// Discards the queued input, or input and output.
bool FlushInput(int fd);
bool FlushInputAndOutput(int fd);

enum class ModemLine { Dtr, Rts };
bool SetModemLine(int fd, ModemLine line, bool raised);

struct ModemStatus {
    bool carrier = false, dsr = false, ring = false, cts = false;
};
// False for devices without modem lines (pseudo-terminals) and on failure.
bool ReadModemStatus(int fd, ModemStatus* status);

// False for devices that keep no counts (pseudo-terminals) and on failure.
bool ReadErrorCounters(int fd, ErrorCounters* counters);

} // namespace serial
