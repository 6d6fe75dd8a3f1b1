#include "quitsignals.h"

#include "stopsignals.h"

#include <QWidget>

#include <csignal>

void CloseOnQuitSignals(QWidget* window)
{
    CallOnSignals({SIGTERM, SIGINT, SIGHUP}, window, [window] { window->close(); });
}
