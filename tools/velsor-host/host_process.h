#pragma once
// What the host process needs of its system before it serves a browser: its standard streams
// as the browser's binary pipes, the page's origin where the control's dialogs read it, and
// (on Windows) a COM apartment for the control. One file per platform.

#include <string>

namespace velsor::bridge {

// The descriptor frames leave through, the browser's end of standard output; standard output
// itself then goes to the error stream, so that nothing a library prints breaks the framing.
// -1 when that cannot be arranged.
int TakeBrowserStreams();

// Read by the dialogs of the control made next, in this process only.
void AnnouncePageOrigin(const std::string& origin);

// What the thread that makes and calls the control needs first; false when it cannot have it.
bool EnterControlThread();

}  // namespace velsor::bridge
