#pragma once
// The bridge commands that write, remove and print host manifests. On Windows the installer
// registers the host for the browsers, so they say so there.

#include "cli.h"

namespace velsor::cli {

int InstallManifests(Arguments arguments);
int UninstallManifests(Arguments arguments);
int PrintManifest(Arguments arguments);

}  // namespace velsor::cli
