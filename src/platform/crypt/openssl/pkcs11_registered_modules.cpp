// The modules p11-kit registers, read from its configuration only when that changed.
// Reading it is no small thing: p11-kit parses every module file and loads each module
// it names to learn its flags.

#include <p11-kit/p11-kit.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/crypt/openssl/file_stamp.h"
#include "platform/crypt/openssl/pkcs11_module.h"

namespace velsor::crypt {
namespace {

namespace fs = std::filesystem;

struct MallocText {
  void operator()(char* text) const { std::free(text); }
};
using OwnedText = std::unique_ptr<char, MallocText>;

// Where p11-kit reads its configuration: the system's file and module folders, the
// package folder p11-kit was built with, and the user's file and folder.
std::vector<std::string> ConfigurationFolders() {
  std::vector<std::string> folders{"/etc/pkcs11", "/etc/pkcs11/modules", VELSOR_P11_MODULE_CONFIGS};
  for (const char* variable : {"XDG_CONFIG_HOME", "HOME"}) {
    const char* base = std::getenv(variable);
    if (base == nullptr || base[0] != '/') continue;
    const fs::path config = variable[0] == 'X' ? fs::path(base) : fs::path(base) / ".config";
    folders.push_back((config / "pkcs11").string());
    folders.push_back((config / "pkcs11" / "modules").string());
  }
  return folders;
}

// The stamps of the folders and of every file in them: a file edited in place changes
// only its own.
struct Stamped {
  std::string path;
  std::optional<FileStamp> stamp;
  bool folder = false;
  bool operator==(const Stamped&) const = default;
};
using Stamps = std::vector<Stamped>;

Stamps StampsOf(const std::vector<std::string>& folders, const Stamps* previous) {
  Stamps stamps;
  for (const std::string& folder : folders) {
    const Stamped stamped{folder, StampOf(folder), true};
    const bool folderUnchanged =
        previous != nullptr &&
        std::find(previous->begin(), previous->end(), stamped) != previous->end();
    stamps.push_back(stamped);
    if (!stamped.stamp) continue;
    if (folderUnchanged) {
      // The same entries as before: only their own stamps can have changed.
      for (const Stamped& old : *previous) {
        if (!old.folder && fs::path(old.path).parent_path() == folder) {
          stamps.push_back({old.path, StampOf(old.path), false});
        }
      }
      continue;
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      if (entry.is_regular_file(error)) {
        stamps.push_back({entry.path().string(), StampOf(entry.path().string()), false});
      }
    }
  }
  return stamps;
}

std::vector<std::string> ReadRegistrations() {
  std::vector<std::string> paths;
  CK_FUNCTION_LIST** modules = p11_kit_modules_load(nullptr, 0);
  if (modules == nullptr) return paths;
  for (CK_FUNCTION_LIST** module = modules; *module != nullptr; ++module) {
    if (p11_kit_module_get_flags(*module) & P11_KIT_MODULE_TRUSTED) continue;
    if (OwnedText file(p11_kit_module_get_filename(*module)); file) paths.emplace_back(file.get());
  }
  p11_kit_modules_release(modules);
  return paths;
}

class Registrations {
 public:
  static Registrations& Instance() {
    static Registrations registrations;
    return registrations;
  }

  std::vector<std::string> Paths() {
    const std::lock_guard lock(mutex_);
    const auto folders = ConfigurationFolders();
    Stamps now = StampsOf(folders, read_ ? &stamps_ : nullptr);
    if (!read_ || now != stamps_) {
      paths_ = ReadRegistrations();
      stamps_ = std::move(now);
      read_ = true;
    }
    return paths_;
  }

 private:
  std::mutex mutex_;
  bool read_ = false;
  Stamps stamps_;
  std::vector<std::string> paths_;
};

}  // namespace

std::vector<std::string> Pkcs11Module::RegisteredPaths() {
  return Registrations::Instance().Paths();
}

}  // namespace velsor::crypt
