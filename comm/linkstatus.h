#pragma once

// Where the link to the instrument stands, as the main window's status bar
// names it.
enum class LinkStatus {
    Searching,             // a scan of the ports has started
    PortOpened,            // the scan opened the saved port
    Connected,             // a port picked in the list was opened
    Failed,                // no port could be opened
    PortInUse,             // the saved port is held by another program
    InstrumentLost,        // the USB link's port could not be reopened
    InstrumentReconnected, // the USB link's port was reopened
    DeviceLost,            // the port's device vanished: waiting for it
    DeviceRestored,        // the device came back and was reopened
    Synchronised,          // the instrument's settings have been read back
};
