// velsor doctor: whether a page in each browser on this machine can reach the control, and
// what to do where it cannot. Each browser found is checked along the road a page takes:
// the extension where the browser loads it, the host manifest it reads, the host program;
// then the class's registration, the user's data folder and the token modules. One line per
// finding; every problem names its fix, and any problem makes the exit status 1. What
// hinders no page (a confined browser beside the Debian one, another package's token
// module that does not start for this user) is a note.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "doctor_checks.h"
#include "host_manifest.h"
#include "platform/base/storage/machine_data.h"
#include "platform/base/storage/velsor_home.h"
#include "platform/codepage/utf.h"
#include "platform/com/activation.h"
#include "platform/crypt/openssl/token_certificates.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"
#include "platform/registry/registry.h"

namespace velsor::cli {
namespace {

namespace fs = std::filesystem;
using bridge::Browser;

constexpr char kProgId[] = "Velsor.TolvaneVelsor20_64.1";
constexpr char kFirefoxExtensions[] =
    "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/bridge@velsor";

struct BrowserPlace {
  Browser browser;
  const char* name;
  std::vector<fs::path> programs;
  std::optional<fs::path> extensionFolder;  // where it loads extensions for every user
};

std::vector<BrowserPlace> KnownBrowsers() {
  return {
      {Browser::Chromium, "Chromium", {"/usr/bin/chromium", "/usr/bin/chromium-browser"},
       fs::path("/usr/share/chromium/extensions/velsor")},
      {Browser::Chrome, "Chrome", {"/usr/bin/google-chrome", "/opt/google/chrome/chrome"}, {}},
      {Browser::Edge, "Edge", {"/usr/bin/microsoft-edge", "/opt/microsoft/msedge/msedge"}, {}},
      {Browser::Firefox, "Firefox", {"/usr/bin/firefox-esr", "/usr/bin/firefox"},
       fs::path(kFirefoxExtensions)},
  };
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::optional<fs::path> FirstExisting(const std::vector<fs::path>& paths) {
  for (const fs::path& path : paths) {
    if (Exists(path)) return path;
  }
  return std::nullopt;
}

// The manifest the browser reads (the user's before the machine's) and what is wrong with it.
void CheckManifest(Report& report, const BrowserPlace& place) {
  const fs::path user = bridge::ManifestPath(place.browser, std::nullopt);
  const fs::path machine = bridge::SystemManifestPath(place.browser);
  const fs::path manifest = Exists(user) ? user : machine;
  const std::string installFix =
      "reinstall the Velsor package, or run 'velsor bridge install --browser " +
      std::string(bridge::NameOf(place.browser)) + "'";
  if (!Exists(manifest)) {
    report.Problem(std::string(place.name) + ": no host manifest at " + machine.string() +
                       " or " + user.string(),
                   installFix);
    return;
  }
  const ManifestCheck checked = CheckHostManifest(manifest, place.browser == Browser::Firefox);
  if (!checked.problem.empty()) {
    report.Problem(std::string(place.name) + ": the host manifest " + manifest.string() + " " +
                       checked.problem,
                   installFix);
    return;
  }
  report.Ok(std::string(place.name) + ": host manifest " + manifest.string() + " starts " +
            checked.program);
}

void CheckBrowsers(Report& report) {
  bool found = false;
  for (const BrowserPlace& place : KnownBrowsers()) {
    const auto program = FirstExisting(place.programs);
    if (!program) continue;
    found = true;
    report.Ok(std::string(place.name) + " found: " + program->string());
    if (place.extensionFolder) {
      if (Exists(*place.extensionFolder / "manifest.json")) {
        report.Ok(std::string(place.name) + ": extension in " + place.extensionFolder->string());
      } else {
        report.Problem(std::string(place.name) + ": no extension in " +
                           place.extensionFolder->string(),
                       "reinstall the Velsor package");
      }
    } else {
      report.Note(std::string(place.name) +
                  " loads extensions only from its web store or its policies: add the "
                  "Velsor extension there");
    }
    CheckManifest(report, place);
  }
  if (!found) report.Note("no browser found in /usr/bin or /opt");

  // Confined browsers start no program outside their confinement.
  const char* home = std::getenv("HOME");
  const std::vector<std::pair<fs::path, std::string>> confined = {
      {"/snap/bin/chromium", "Chromium as a snap cannot start velsor-host: use Debian's "
                             "chromium package for Velsor"},
      {"/snap/bin/firefox", "Firefox as a snap starts native hosts only through the desktop "
                            "portal where it offers that; Debian's firefox-esr works"},
      {"/var/lib/flatpak/app/org.chromium.Chromium", "Chromium as a flatpak cannot start "
                                                     "velsor-host: use Debian's chromium"},
      {"/var/lib/flatpak/app/org.mozilla.firefox", "Firefox as a flatpak cannot start "
                                                   "velsor-host: use Debian's firefox-esr"},
      {fs::path(home != nullptr ? home : "/") / ".local/share/flatpak/app/org.mozilla.firefox",
       "Firefox as a flatpak cannot start velsor-host: use Debian's firefox-esr"},
  };
  for (const auto& [path, what] : confined) {
    if (Exists(path)) report.Note(what + " (" + path.string() + ")");
  }
}

// Where the class is registered, for the machine and for this user, and whether its module
// is where the registration says.
void CheckRegistration(Report& report) {
  if (auto machineFile = storage::MachineFileToRead("registry.db"); !machineFile) {
    report.Problem("the machine's registry cannot be used: " + machineFile.error().detail,
                   "sudo chown root: /var/lib/velsor/registry.db && sudo chmod 644 "
                   "/var/lib/velsor/registry.db, or reinstall the Velsor package");
  }
  bool registered = false;
  using View = registry::Registry::View;
  for (const auto& [view, scope] : {std::pair{View::MachineOnly, "for the machine"},
                                    std::pair{View::UserOnly, "for this user"}}) {
    auto opened = registry::Registry::Open(view);
    if (!opened) continue;
    auto clsid = opened->QueryValue(registry::Root::ClassesRoot,
                                    codepage::AsciiToUtf16(std::string(kProgId) + "\\CLSID"), u"");
    if (!clsid) continue;
    auto server = opened->QueryValue(registry::Root::ClassesRoot,
                                     u"CLSID\\" + clsid->data + u"\\InprocServer32", u"");
    const std::string module = server ? Utf8(server->data) : "";
    if (module.empty() || !Exists(module)) {
      report.Problem(std::string("the class is registered ") + scope + " with a module that is "
                         "not there (" + module + ")",
                     "reinstall the Velsor package, or run velsor-regsvr on the module");
      continue;
    }
    registered = true;
    report.Ok(std::string("the class is registered ") + scope + ": " + module);
  }
  if (!registered) {
    report.Problem("the class " + std::string(kProgId) + " is not registered",
                   "reinstall the Velsor package (it registers it for every user), or run "
                   "'sudo velsor-regsvr --machine MODULE'");
    return;
  }
  auto created = CreateDispatchObject(codepage::AsciiToUtf16(kProgId));
  if (created) {
    report.Ok("the control is made from its registration");
  } else {
    report.Problem("the control cannot be made: " + created.error().detail,
                   "reinstall the Velsor package");
  }
}

// Modes that keep the user's keys the user's.
void CheckDataFolder(Report& report) {
  auto home = storage::VelsorHome();
  if (!home) {
    report.Problem("your data folder cannot be used: " + home.error().detail,
                   "make it yours and private (chmod 700), or set VELSOR_HOME");
    return;
  }
  report.Ok("your data folder: " + home->string());
  for (const char* name : {"certstore.db", "registry.db", "bridge.db"}) {
    const fs::path file = *home / name;
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) continue;
    if ((status.st_mode & 077) != 0 || status.st_uid != geteuid()) {
      report.Problem(file.string() + " may be read or changed by others",
                     "chmod 600 " + file.string());
    }
  }
}

void CheckTokens(Report& report) {
  auto database = crypt::OpenUserData();
  if (!database) return;  // the data folder's problem is reported already
  const crypt::TokenSurvey survey = crypt::SurveyTokens(**database);
  if (survey.modules.empty()) report.Note("no PKCS#11 module registered (smart cards need one)");
  for (const auto& module : survey.modules) {
    const std::string origin = module.registered ? "registered with p11-kit" : "added by you";
    if (module.error && !module.registered) {
      report.Problem("the token module " + module.path + " (" + origin +
                         ") does not load: " + *module.error,
                     "velsor token remove " + module.path + ", or add a module that loads");
    } else if (module.error) {
      // Another package's module, registered for every program: only its tokens are lost.
      const bool softHsm = module.path.find("softhsm") != std::string::npos;
      report.Note("the token module " + module.path + " (" + origin + ") does not load for "
                  "you, so its tokens are not offered: " + *module.error +
                  (softHsm ? " (SoftHSM2 serves the members of group softhsm)" : ""));
    } else {
      report.Ok("the token module " + module.path + " (" + origin + ") loads, " +
                std::to_string(module.tokens.size()) + " token(s) present");
    }
  }
}

}  // namespace

int DoctorCommand(Arguments arguments) {
  if (auto answer = DoctorUsage(arguments)) return *answer;
  Report report;
  CheckBrowsers(report);
  CheckRegistration(report);
  CheckDataFolder(report);
  CheckTokens(report);
  return report.Finish();
}

}  // namespace velsor::cli
