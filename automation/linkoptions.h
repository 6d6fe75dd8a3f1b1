#pragma once

#include <QString>

#include <vector>

class IniFile;
class QCommandLineParser;

// The link a command talks to the instrument over: the saved link settings
// of "SysSet.ini" unless an option names another port, rate or address.
struct LinkOptions {
    int comNumber = 0; // --port COMn (0: the saved port)
    QString device;    // --device PATH (empty: a COM port)
    int baud = 0;      // --baud N in bit/s (0: the saved rate)
    int address = 0;   // --address N, 1-255 (0: the saved address)
    QString url;       // --url URL: a network port, tcp:// or rfc2217:// (empty: none)
};

// The link options, for a command's parser and its help.
void AddLinkOptions(QCommandLineParser& parser);

struct OptionHelp {
    QString names; // "--port COMn"
    QString description;
};
std::vector<OptionHelp> LinkOptionHelp();

// Reads the link options of a parser that took AddLinkOptions. Returns what
// is wrong in one line, or an empty text.
QString ReadLinkOptions(const QCommandLineParser& parser, LinkOptions& options);

// What is wrong with `text` as a network port's address, as the end of a
// sentence that starts with the address ("has a port that is no ..."); empty
// when it is a usable address.
QString NetworkAddressProblem(const QString& text);

// Puts the link of `options` over `sysSet` for this run only: the port, rate
// and address the connection reads come from the options where given and
// from the file otherwise, and any write to them (the connection writes the
// address back) stays in memory. The file itself is never written.
void ApplyLinkOptions(const LinkOptions& options, IniFile& sysSet);

// The port number --device or --url gives its device or address: one above the ranges of real
// devices, so that no device of the machine is shadowed.
inline constexpr int kDeviceOptionPort = 200;
