// The end of the program. Windows ends a session by a message that any wait
// of a frame below may serve (a call's forwarding or mail, a save's switch of
// the call source, a serial port's close), and it may end the process as soon
// as that message returns. So the end comes in two steps: what must be done
// by then is done at once, and nothing is freed, for a frame below still uses
// what it holds; the window and everything it owns go only once the main
// loop has returned.
#pragma once

#include "monitor/core/log.h"
#include "monitor/core/nastavcom.h"

namespace vx {

// The session's end: the log's closing lines, and the control's CAPI
// registration ended (also from inside a wait of the control's own stop).
void KoniecRelacie(TLog* log, ILinkorBinding* linkor);

// The log's closing lines, "Ukončenie programu Vestrix" and 42 hyphens,
// once: the session's end and the window's end both ask for them. The log
// takes no line after them.
void ZavriLog(TLog* log);

}  // namespace vx
