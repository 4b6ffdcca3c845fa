#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "host_process.h"
#include "platform/ui/dialog_host.h"

namespace velsor::bridge {

int TakeBrowserStreams() {
  // A browser that goes away makes writes fail, which ends the host.
  std::signal(SIGPIPE, SIG_IGN);
  const int toBrowser = ::dup(STDOUT_FILENO);
  if (toBrowser < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return -1;
  return toBrowser;
}

void AnnouncePageOrigin(const std::string& origin) {
  ::setenv(ui::kPageOriginVariable, origin.c_str(), 1);
}

bool EnterControlThread() { return true; }

}  // namespace velsor::bridge
