// On Windows the browsers find the host through registry keys that Velsor's installer
// writes (and its uninstaller removes) for the machine or for the user who installed it.

#include "bridge_manifests.h"

namespace velsor::cli {
namespace {

[[noreturn]] void InstallersWork() {
  throw CommandError(
      "on Windows, Velsor's installer registers the host for Chrome, Edge and Firefox "
      "(run velsor-setup again to repair it; 'velsor doctor' tells what is missing)");
}

}  // namespace

int InstallManifests(Arguments) { InstallersWork(); }
int UninstallManifests(Arguments) { InstallersWork(); }
int PrintManifest(Arguments) { InstallersWork(); }

}  // namespace velsor::cli
