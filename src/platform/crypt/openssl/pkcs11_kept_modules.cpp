// The process's loaded token modules: each is started once, at its first use, and
// finalised when the process ends or this library is unloaded.

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/crypt/openssl/file_stamp.h"
#include "platform/crypt/openssl/pkcs11_module.h"

namespace velsor::crypt {
namespace {

class KeptModules {
 public:
  static KeptModules& Instance() {
    static KeptModules kept;
    return kept;
  }

  Result<std::shared_ptr<Pkcs11Module>> Load(const std::string& path) {
    const std::lock_guard lock(mutex_);
    Entry& entry = byPath_[path];
    if (entry.module) return entry.module;
    // A module that did not start is tried again only once its file changed: a missing
    // or broken module costs a look at its file, not a load, on every call.
    auto stamp = StampOf(path);
    if (entry.failure && entry.failedStamp == stamp) return *entry.failure;
    auto started = Pkcs11Module::Start(path);
    if (!started) {
      entry.failure = started.error();
      entry.failedStamp = std::move(stamp);
      return started.error();
    }
    entry = Entry{std::move(*started), std::nullopt, std::nullopt};
    // A module's own static objects go at exit before anything made earlier, this map
    // among them, and some modules cannot be finalised once theirs are gone. A handler
    // registered after the module loaded runs before its objects go.
    std::atexit([] { Instance().FinaliseAll(); });
    return entry.module;
  }

  void FinaliseAll() {
    std::map<std::string, Entry, std::less<>> finalised;
    const std::lock_guard lock(mutex_);
    finalised.swap(byPath_);
  }

  std::string SameFileKey(const std::string& path) {
    const std::lock_guard lock(mutex_);
    auto known = keys_.find(path);
    if (known != keys_.end()) return known->second;
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return keys_.emplace(path, error ? path : canonical.string()).first->second;
  }

 private:
  struct Entry {
    std::shared_ptr<Pkcs11Module> module;
    std::optional<Error> failure;
    std::optional<FileStamp> failedStamp;
  };
  std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> byPath_;
  std::map<std::string, std::string, std::less<>> keys_;
};

}  // namespace

Result<std::shared_ptr<Pkcs11Module>> Pkcs11Module::Load(const std::string& path) {
  return KeptModules::Instance().Load(path);
}

std::string Pkcs11Module::SameFileKey(const std::string& path) {
  return KeptModules::Instance().SameFileKey(path);
}

}  // namespace velsor::crypt
