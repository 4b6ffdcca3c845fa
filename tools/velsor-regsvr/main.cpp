// velsor-regsvr [-u] [--machine] MODULE: registers a COM server module, or unregisters it
// with -u, by calling its DllRegisterServer or DllUnregisterServer; with --machine, for
// every user of the machine (root's business, as the package's scripts do it).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/com/activation.h"
#include "platform/registry/registry.h"

namespace {

using Entry = velsor::HRESULT (*)();

int Usage() {
  std::fprintf(stderr, "usage: velsor-regsvr [-u] [--machine] MODULE\n");
  return 2;
}

// Why the registry may have refused the module's entries, as far as it can be told from
// here: a registry that cannot be opened, read or written.
std::string RegistryTrouble() {
  auto registry = velsor::registry::Registry::Open();
  if (!registry) return ": the registry cannot be opened: " + registry.error().detail;
  if (auto writable = registry->CheckWritable(); !writable) {
    return ": the registry cannot be written: " + writable.error().detail;
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "-u") {
      unregister = true;
    } else if (argument == "--machine") {
      // The module's own registration reads it: its keys go to the machine's registry.
      setenv("VELSOR_MACHINE_WIDE", "1", 1);
    } else if (path.empty() && !argument.empty() && argument[0] != '-') {
      path = argument;
    } else {
      return Usage();
    }
  }
  if (path.empty()) return Usage();
  std::error_code ignored;
  const std::filesystem::path full = std::filesystem::absolute(path, ignored);
  auto module = velsor::LoadModule(full.string());
  if (!module) {
    std::fprintf(stderr, "velsor-regsvr: cannot load %s: %s\n", path.c_str(),
                 module.error().detail.c_str());
    return 1;
  }
  const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto entry = reinterpret_cast<Entry>(velsor::ModuleFunction(*module, name));
  if (entry == nullptr) {
    std::fprintf(stderr, "velsor-regsvr: %s has no %s\n", path.c_str(), name);
    return 1;
  }
  const velsor::HRESULT hr = entry();
  if (hr != velsor::S_OK) {
    std::fprintf(stderr, "velsor-regsvr: %s failed with 0x%08X%s\n", name,
                 static_cast<unsigned>(hr), RegistryTrouble().c_str());
    return 1;
  }
  std::printf("%s succeeded for %s\n", name, full.c_str());
  return 0;
}
