#include "platform/crypt/openssl/token_certificates.h"

#include <filesystem>
#include <span>

#include "platform/base/storage/sqlite_db.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/pkcs11_module.h"
#include "platform/crypt/openssl/token_key.h"

namespace velsor::crypt {
namespace {

struct KeyUses {
  bool sign = false;
  bool decrypt = false;
};

// What the key beside a certificate may do: read from the private key when the token
// shows it, else from the public key with the same id. A token that hides both until
// login still links the certificate, when it is an end entity's, by its key usage.
std::optional<KeyUses> KeyUsesFor(const Pkcs11Session& session, Bytes id, bool loginRequired,
                                  const CertContext& certificate) {
  CK_OBJECT_CLASS privateClass = CKO_PRIVATE_KEY;
  for (CK_OBJECT_HANDLE key :
       session.Find({AttributeOf(CKA_CLASS, privateClass), {CKA_ID, id.data(), id.size()}})) {
    return KeyUses{session.Flag(key, CKA_SIGN), session.Flag(key, CKA_DECRYPT)};
  }
  CK_OBJECT_CLASS publicClass = CKO_PUBLIC_KEY;
  for (CK_OBJECT_HANDLE key :
       session.Find({AttributeOf(CKA_CLASS, publicClass), {CKA_ID, id.data(), id.size()}})) {
    return KeyUses{session.Flag(key, CKA_VERIFY), session.Flag(key, CKA_ENCRYPT)};
  }
  X509* x509 = const_cast<X509*>(X509Of(certificate));
  if (!loginRequired || X509_check_ca(x509) != 0) return std::nullopt;
  const std::uint32_t usage = X509_get_key_usage(x509);
  if (usage == UINT32_MAX) return KeyUses{true, true};
  return KeyUses{(usage & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)) != 0,
                 (usage & KU_KEY_ENCIPHERMENT) != 0};
}

// A key that signs only is a signature key; one that decrypts, with or without signing,
// the exchange key, as the platform's providers file them.
DWORD KeySpecOf(const KeyUses& uses) {
  return uses.sign && !uses.decrypt ? AT_SIGNATURE : AT_KEYEXCHANGE;
}

std::vector<CK_OBJECT_HANDLE> CertificateObjects(const Pkcs11Session& session) {
  CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
  CK_CERTIFICATE_TYPE x509Type = CKC_X_509;
  return session.Find(
      {AttributeOf(CKA_CLASS, certificateClass), AttributeOf(CKA_CERTIFICATE_TYPE, x509Type)});
}

std::vector<TokenCertificate> CertificatesOn(const Pkcs11Session& session,
                                             std::span<const CK_OBJECT_HANDLE> objects,
                                             const std::string& modulePath,
                                             const CK_TOKEN_INFO& info) {
  std::vector<TokenCertificate> found;
  const std::u16string label = codepage::Utf8ToUtf16(TokenText(info.label, sizeof info.label));
  const bool loginRequired = (info.flags & CKF_LOGIN_REQUIRED) != 0;
  for (CK_OBJECT_HANDLE object : objects) {
    const auto value = session.Attribute(object, CKA_VALUE);
    const auto id = session.Attribute(object, CKA_ID);
    if (!value || !id || id->empty()) continue;
    auto certificate = CertContext::FromEncoded(*value);
    if (!certificate) continue;
    const auto uses = KeyUsesFor(session, *id, loginRequired, **certificate);
    if (!uses) continue;
    KeyProvInfo link;
    link.containerName = TokenKeyContainer(modulePath, info, *id);
    link.providerName = std::u16string(kTokenProvider);
    link.keySpec = KeySpecOf(*uses);
    if (link.containerName.empty()) continue;
    found.push_back({*value, std::move(link), label});
  }
  return found;
}

enum class SurveyDetail {
  EveryToken,
  // Only tokens that hold a certificate: a token's description is asked for only then,
  // since some modules read their token's files for it at every asking.
  CertificateHolders,
};

std::optional<TokenSurvey::Token> SurveySlot(const std::shared_ptr<Pkcs11Module>& module,
                                             CK_SLOT_ID slot, const std::string& path,
                                             SurveyDetail detail) {
  std::optional<CK_TOKEN_INFO> info;
  if (detail == SurveyDetail::EveryToken) {
    info = TokenInfo(*module, slot);
    if (!info || !(info->flags & CKF_TOKEN_INITIALIZED)) return std::nullopt;
  }
  // A token pulled out since the slot list, or not yet initialised, opens no session.
  auto session = Pkcs11Session::Open(module, slot);
  const std::vector<CK_OBJECT_HANDLE> objects =
      session ? CertificateObjects(*session) : std::vector<CK_OBJECT_HANDLE>{};
  if (!info) {
    if (objects.empty()) return std::nullopt;
    info = TokenInfo(*module, slot);
    if (!info || !(info->flags & CKF_TOKEN_INITIALIZED)) return std::nullopt;
  }
  TokenSurvey::Token token;
  token.slot = slot;
  token.label = TokenText(info->label, sizeof info->label);
  token.serial = TokenText(info->serialNumber, sizeof info->serialNumber);
  token.manufacturer = TokenText(info->manufacturerID, sizeof info->manufacturerID);
  token.loginRequired = (info->flags & CKF_LOGIN_REQUIRED) != 0;
  if (session) token.certificates = CertificatesOn(*session, objects, path, *info);
  return token;
}

TokenSurvey::Module SurveyModule(const std::string& path, const std::string& label, bool registered,
                                 SurveyDetail detail) {
  TokenSurvey::Module surveyed{path, label, registered, std::nullopt, {}};
  auto module = Pkcs11Module::Load(path);
  if (!module) {
    surveyed.error = module.error().detail;
    return surveyed;
  }
  for (CK_SLOT_ID slot : (*module)->SlotsWithToken()) {
    if (auto token = SurveySlot(*module, slot, path, detail)) {
      surveyed.tokens.push_back(std::move(*token));
    }
  }
  return surveyed;
}

TokenSurvey Survey(storage::Database& database, SurveyDetail detail) {
  TokenSurvey survey;
  std::vector<std::string> seen;
  auto configured = ConfiguredTokenModules(database);
  for (const TokenModuleEntry& entry : configured ? *configured : std::vector<TokenModuleEntry>{}) {
    seen.push_back(Pkcs11Module::SameFileKey(entry.path));
    survey.modules.push_back(SurveyModule(entry.path, entry.label, false, detail));
  }
  for (const std::string& path : Pkcs11Module::RegisteredPaths()) {
    const std::string key = Pkcs11Module::SameFileKey(path);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    survey.modules.push_back(SurveyModule(path, {}, true, detail));
  }
  return survey;
}

}  // namespace

Result<Done> AddTokenModule(storage::Database& database, const std::string& path,
                            const std::string& label) {
  if (!std::filesystem::path(path).is_absolute()) {
    return Failure(E_INVALIDARG, "give the module's full path: " + path);
  }
  auto configured = ConfiguredTokenModules(database);
  if (!configured) return configured.error();
  for (const TokenModuleEntry& entry : *configured) {
    if (Pkcs11Module::SameFileKey(entry.path) == Pkcs11Module::SameFileKey(path)) {
      return Failure(NTE_EXISTS, "the module is configured already: " + entry.path);
    }
  }
  if (auto loaded = Pkcs11Module::Load(path); !loaded) return loaded.error();
  return storage::GuardDatabase([&]() -> Result<Done> {
    database.Prepare("INSERT INTO token_modules (path, label) VALUES (?1, ?2)")
        .Bind(1, path)
        .Bind(2, label)
        .Run();
    return Done{};
  });
}

Result<Done> RemoveTokenModule(storage::Database& database, const std::string& name) {
  return storage::GuardDatabase([&]() -> Result<Done> {
    database.Prepare("DELETE FROM token_modules WHERE path = ?1 OR (label <> '' AND label = ?1)")
        .Bind(1, name)
        .Run();
    if (database.Changes() == 0) return Failure(CRYPT_E_NOT_FOUND, "no token module " + name);
    return Done{};
  });
}

Result<std::vector<TokenModuleEntry>> ConfiguredTokenModules(storage::Database& database) {
  return storage::GuardDatabase([&]() -> Result<std::vector<TokenModuleEntry>> {
    std::vector<TokenModuleEntry> entries;
    auto query = database.Prepare("SELECT path, label FROM token_modules ORDER BY rowid");
    while (query.Step()) entries.push_back({query.Text(0), query.Text(1)});
    return entries;
  });
}

TokenSurvey SurveyTokens(storage::Database& database) {
  return Survey(database, SurveyDetail::EveryToken);
}

std::vector<TokenCertificate> TokenCertificates(storage::Database& database) {
  std::vector<TokenCertificate> certificates;
  for (TokenSurvey::Module& module : Survey(database, SurveyDetail::CertificateHolders).modules) {
    for (TokenSurvey::Token& token : module.tokens) {
      for (TokenCertificate& certificate : token.certificates) {
        certificates.push_back(std::move(certificate));
      }
    }
  }
  return certificates;
}

}  // namespace velsor::crypt
