#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>

#include "host_process.h"
#include "platform/ui/dialog_host.h"

namespace velsor::bridge {

int TakeBrowserStreams() {
  // The pipes carry binary frames: no line-end translation either way.
  const int input = _fileno(stdin), output = _fileno(stdout), errors = _fileno(stderr);
  if (_setmode(input, _O_BINARY) < 0) return -1;
  const int toBrowser = _dup(output);
  if (toBrowser < 0 || _setmode(toBrowser, _O_BINARY) < 0 || _dup2(errors, output) < 0) return -1;
  return toBrowser;
}

void AnnouncePageOrigin(const std::string& origin) {
  _putenv_s(ui::kPageOriginVariable, origin.c_str());
}

// The control is an apartment-threaded class: this thread enters a single-threaded
// apartment for the process's life.
bool EnterControlThread() { return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }

}  // namespace velsor::bridge
