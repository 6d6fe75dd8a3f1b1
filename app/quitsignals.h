#pragma once

class QWidget;

// SIGTERM, SIGINT and SIGHUP end the program the way closing `window` does,
// so that everything closing does (the instrument told, a recording in
// progress saved) also happens when the session ends or the user presses
// Ctrl+C. The signal handler only writes a byte to a socket pair; the close
// runs in the event loop.
void CloseOnQuitSignals(QWidget* window);
