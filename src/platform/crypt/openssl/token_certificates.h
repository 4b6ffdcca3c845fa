#pragma once
// The user's tokens: the PKCS#11 modules the user added (`velsor token add`) and those
// p11-kit's configuration registers, and the certificates on the tokens present now that
// have a key beside them. Those certificates take part in "MY" while their token is
// present; nothing of them is ever written into the user's stores.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/key_prov_info.h"

namespace velsor::storage {
class Database;
}

namespace velsor::crypt {

struct TokenModuleEntry {
  std::string path;
  std::string label;  // the user's name for it; may be empty
};

// Adds a module after loading it once to see that it starts; E_FAIL when it does not,
// NTE_EXISTS when that module is configured already.
Result<Done> AddTokenModule(storage::Database& database, const std::string& path,
                            const std::string& label);
// Removes the module whose path or label is `name`; CRYPT_E_NOT_FOUND when none is.
Result<Done> RemoveTokenModule(storage::Database& database, const std::string& name);
Result<std::vector<TokenModuleEntry>> ConfiguredTokenModules(storage::Database& database);

struct TokenCertificate {
  Bytes encoded;
  KeyProvInfo link;
  std::u16string token;  // the token's label
};

struct TokenSurvey {
  struct Token {
    unsigned long slot = 0;
    std::string label, serial, manufacturer;
    bool loginRequired = false;
    std::vector<TokenCertificate> certificates;
  };
  struct Module {
    std::string path;
    std::string label;      // as configured; empty for a module p11-kit registers
    bool registered = false;  // found through p11-kit rather than added by the user
    std::optional<std::string> error;
    std::vector<Token> tokens;
  };
  std::vector<Module> modules;
};

// Every module in order (the user's first, then p11-kit's not already among them), each
// with its present tokens and their certificates.
TokenSurvey SurveyTokens(storage::Database& database);

// The certificates of SurveyTokens, in order.
std::vector<TokenCertificate> TokenCertificates(storage::Database& database);

}  // namespace velsor::crypt
