#pragma once
// A token's PKCS#11 module, loaded and initialised through p11-kit, which counts
// initialisations per module, so that two holders in one process never finalise it under
// each other. A process loads each module once, at its first use, and keeps it until the
// process ends or this library is unloaded: loading and starting a module (OpenSC reads
// its configuration and reaches for the card service) costs far more than a signature.
// A key on a token keeps its module, so a session outlives even that.

#include <p11-kit/pkcs11.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/result.h"

namespace velsor::crypt {

class Pkcs11Module {
 public:
  // The process's instance of the module at `path`. E_FAIL naming the path when it cannot
  // be loaded or initialised; that answer stands until the file changes.
  static Result<std::shared_ptr<Pkcs11Module>> Load(const std::string& path);

  // The modules p11-kit's configuration registers for this program, as paths; trust
  // modules (which hold authorities, never a user's keys) are left out. The configuration
  // is read again only when one of its files or folders changes.
  static std::vector<std::string> RegisteredPaths();

  // One name for every spelling of a module's file (a link, a relative part).
  static std::string SameFileKey(const std::string& path);

  CK_FUNCTION_LIST& functions() const { return *functions_; }
  const std::string& path() const { return path_; }

  // The slots that hold a token now.
  std::vector<CK_SLOT_ID> SlotsWithToken() const;

  // Loads and initialises the module itself; the process keeps what Load answers.
  static Result<std::shared_ptr<Pkcs11Module>> Start(const std::string& path);

  Pkcs11Module(std::string path, CK_FUNCTION_LIST* functions)
      : path_(std::move(path)), functions_(functions) {}
  ~Pkcs11Module();
  Pkcs11Module(const Pkcs11Module&) = delete;
  Pkcs11Module& operator=(const Pkcs11Module&) = delete;

 private:
  std::string path_;
  CK_FUNCTION_LIST* functions_;
};

// An open session; closed with its last holder. It keeps its module.
class Pkcs11Session {
 public:
  static Result<Pkcs11Session> Open(std::shared_ptr<Pkcs11Module> module, CK_SLOT_ID slot,
                                    bool readWrite = false);

  CK_FUNCTION_LIST& functions() const { return module_->functions(); }
  CK_SESSION_HANDLE handle() const { return state_->handle; }
  CK_SLOT_ID slot() const { return slot_; }
  const std::shared_ptr<Pkcs11Module>& module() const { return module_; }

  // The objects whose attributes equal every one of `match`.
  std::vector<CK_OBJECT_HANDLE> Find(const std::vector<CK_ATTRIBUTE>& match) const;
  // One attribute's value; nothing when the object has none or hides it.
  std::optional<Bytes> Attribute(CK_OBJECT_HANDLE object, CK_ATTRIBUTE_TYPE type) const;
  // A CK_BBOOL attribute; false when unreadable.
  bool Flag(CK_OBJECT_HANDLE object, CK_ATTRIBUTE_TYPE type) const;

 private:
  struct State {
    std::shared_ptr<Pkcs11Module> module;
    CK_SESSION_HANDLE handle = 0;
    ~State();
  };
  Pkcs11Session(std::shared_ptr<Pkcs11Module> module, CK_SLOT_ID slot,
                std::shared_ptr<State> state)
      : module_(std::move(module)), slot_(slot), state_(std::move(state)) {}

  std::shared_ptr<Pkcs11Module> module_;
  CK_SLOT_ID slot_;
  std::shared_ptr<State> state_;
};

// A token's fixed-width, space-padded text field without its padding.
std::string TokenText(const unsigned char* field, std::size_t width);

// The token in `slot`; nothing when it cannot be read.
std::optional<CK_TOKEN_INFO> TokenInfo(const Pkcs11Module& module, CK_SLOT_ID slot);

// A CK_ATTRIBUTE over a value that lives as long as the attribute is used.
template <class T>
CK_ATTRIBUTE AttributeOf(CK_ATTRIBUTE_TYPE type, T& value) {
  return CK_ATTRIBUTE{type, &value, sizeof value};
}

}  // namespace velsor::crypt
