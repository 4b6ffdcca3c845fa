// velsor doctor on Windows: for Chrome, Edge and Firefox the NativeMessagingHosts key the
// installer writes (the user's before the machine's) and the manifest it names, then the
// class's registration and whether the control is made from it.

#include <windows.h>
#include <objbase.h>

#include "cli.h"
#include "doctor_checks.h"
#include "platform/codepage/utf.h"
#include "platform/com/activation.h"
#include "platform/registry/registry.h"

namespace velsor::cli {
namespace {

struct BrowserKey {
  const char* name;
  const char16_t* key;
  bool firefox;
};

constexpr BrowserKey kBrowsers[] = {
    {"Chrome", u"Software\\Google\\Chrome\\NativeMessagingHosts\\velsor.host", false},
    {"Edge", u"Software\\Microsoft\\Edge\\NativeMessagingHosts\\velsor.host", false},
    {"Firefox", u"Software\\Mozilla\\NativeMessagingHosts\\velsor.host", true},
};

constexpr char kRepair[] = "run Velsor's installer again (velsor-setup)";

void CheckBrowserKeys(Report& report) {
  auto registry = registry::Registry::Open();
  if (!registry) {
    report.Problem("the registry cannot be read: " + registry.error().detail, kRepair);
    return;
  }
  for (const BrowserKey& browser : kBrowsers) {
    auto manifest = registry->QueryValue(registry::Root::CurrentUser, browser.key, u"");
    if (!manifest) manifest = registry->QueryValue(registry::Root::LocalMachine, browser.key, u"");
    const std::string where = Utf8(browser.key);
    if (!manifest || manifest->data.empty()) {
      report.Problem(std::string(browser.name) + ": no host registered (" + where + ")", kRepair);
      continue;
    }
    const std::string path = Utf8(manifest->data);
    const ManifestCheck checked = CheckHostManifest(std::filesystem::u8path(path), browser.firefox);
    if (!checked.problem.empty()) {
      report.Problem(std::string(browser.name) + ": the host manifest " + path + " " +
                         checked.problem,
                     kRepair);
      continue;
    }
    report.Ok(std::string(browser.name) + ": host manifest " + path + " starts " +
              checked.program);
  }
}

void CheckControl(Report& report) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    report.Problem("COM cannot be used in this process", kRepair);
    return;
  }
  {  // the object goes before COM does
    auto created = CreateDispatchObject(u"Velsor.TolvaneVelsor20_64.1");
    if (created) {
      report.Ok("the control is registered and made from its registration");
    } else {
      report.Problem("the control cannot be made: " + created.error().detail,
                     std::string(kRepair) + ", or regsvr32 OmbrelVelsor20_64.DLL");
    }
  }
  CoUninitialize();
}

}  // namespace

int DoctorCommand(Arguments arguments) {
  if (auto answer = DoctorUsage(arguments)) return *answer;
  Report report;
  CheckBrowserKeys(report);
  CheckControl(report);
  return report.Finish();
}

}  // namespace velsor::cli
