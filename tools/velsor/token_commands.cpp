// velsor token: the PKCS#11 modules whose tokens show their certificates in MY.

#include <cstdio>
#include <string>

#include "cli.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/name_text.h"
#include "platform/crypt/openssl/token_certificates.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"

namespace velsor::cli {
namespace {

constexpr char kTokenUsage[] =
    "usage:\n"
    "  velsor token add MODULE.so [--label NAME]   use the tokens of a PKCS#11 module\n"
    "  velsor token list                           modules, tokens and their certificates\n"
    "  velsor token remove MODULE.so|NAME          stop using a module added before\n"
    "\n"
    "Modules that p11-kit's configuration registers are used without being added. The\n"
    "certificates of a present token appear in MY, linked to keys that stay on the token;\n"
    "its PIN is asked when a key is first used in an operation.\n";

std::shared_ptr<crypt::UserData> UserDatabase() {
  return Require(crypt::OpenUserData(), "opening the user's stores");
}

int Add(Arguments arguments) {
  if (arguments.empty()) throw CommandError("usage: velsor token add MODULE.so [--label NAME]");
  std::string label;
  if (arguments.size() == 3 && arguments[1] == "--label") {
    label = arguments[2];
  } else if (arguments.size() != 1) {
    throw CommandError("usage: velsor token add MODULE.so [--label NAME]");
  }
  const std::string path(arguments[0]);
  Require(crypt::AddTokenModule(*UserDatabase(), path, label), "adding " + path);
  std::printf("added %s%s\n", path.c_str(), label.empty() ? "" : (" as " + label).c_str());
  return 0;
}

int Remove(Arguments arguments) {
  if (arguments.size() != 1) throw CommandError("usage: velsor token remove MODULE.so|NAME");
  const std::string name(arguments[0]);
  Require(crypt::RemoveTokenModule(*UserDatabase(), name), "removing " + name);
  std::printf("removed %s\n", name.c_str());
  return 0;
}

const char* KeyKind(const crypt::KeyProvInfo& link) {
  return link.keySpec == crypt::AT_SIGNATURE ? "signature key" : "exchange key";
}

int List() {
  const crypt::TokenSurvey survey = crypt::SurveyTokens(*UserDatabase());
  if (survey.modules.empty()) std::puts("no token modules (velsor token add MODULE.so)");
  for (const auto& module : survey.modules) {
    std::printf("module %s (%s)\n", module.path.c_str(),
                module.registered      ? "registered with p11-kit"
                : module.label.empty() ? "added"
                                       : ("added as " + module.label).c_str());
    if (module.error) std::printf("  cannot be used: %s\n", module.error->c_str());
    if (!module.error && module.tokens.empty()) std::puts("  no token present");
    for (const auto& token : module.tokens) {
      std::printf("  slot %lu: token \"%s\", serial %s, %s%s\n", token.slot, token.label.c_str(),
                  token.serial.c_str(), token.manufacturer.c_str(),
                  token.loginRequired ? ", PIN required" : "");
      if (token.certificates.empty()) std::puts("    no certificate with a key");
      for (const auto& found : token.certificates) {
        const auto certificate = crypt::CertContext::FromEncoded(found.encoded);
        if (!certificate) continue;
        std::printf("    %s (%s)\n      key %s\n",
                    Utf8(crypt::SubjectText(**certificate)).c_str(),
                    KeyKind(found.link), Utf8(found.link.containerName).c_str());
      }
    }
  }
  return 0;
}

}  // namespace

int TokenCommand(Arguments arguments) {
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    std::fputs(kTokenUsage, arguments.empty() ? stderr : stdout);
    return arguments.empty() ? 2 : 0;
  }
  const std::string_view command = arguments[0];
  const Arguments rest = arguments.subspan(1);
  if (command == "add") return Add(rest);
  if (command == "list" && rest.empty()) return List();
  if (command == "remove") return Remove(rest);
  throw CommandError("unknown token command '" + std::string(command) +
                     "' (see velsor token --help)");
}

}  // namespace velsor::cli
