#include "platform/crypt/key_containers.h"

#include <openssl/decoder.h>
#include <openssl/err.h>
#include <openssl/rand.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/base/hex.h"
#include "platform/base/storage/sqlite_db.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/openssl/key_handle_openssl.h"
#include "platform/crypt/openssl/name_records.h"
#include "platform/crypt/openssl/session_caches.h"
#include "platform/crypt/openssl/token_key.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypt {
namespace {

using DecoderContextPtr = std::unique_ptr<OSSL_DECODER_CTX, OpenSslFree<OSSL_DECODER_CTX_free>>;

// Containers hold RSA keys, so the decoder is asked for exactly that: a third of the time
// of letting OpenSSL try every decoder it has. Anything else still reads the general way.
EvpPkeyPtr DecodePrivateKey(ByteView pkcs8) {
  EVP_PKEY* decoded = nullptr;
  DecoderContextPtr decoder(OSSL_DECODER_CTX_new_for_pkey(&decoded, "DER", "PrivateKeyInfo", "RSA",
                                                          EVP_PKEY_KEYPAIR, nullptr, nullptr));
  const unsigned char* cursor = pkcs8.data();
  std::size_t remaining = pkcs8.size();
  if (decoder && OSSL_DECODER_from_data(decoder.get(), &cursor, &remaining) == 1 &&
      decoded != nullptr) {
    return EvpPkeyPtr(decoded);
  }
  EVP_PKEY_free(decoded);
  ERR_clear_error();
  cursor = pkcs8.data();
  Pkcs8Ptr info(d2i_PKCS8_PRIV_KEY_INFO(nullptr, &cursor, static_cast<long>(pkcs8.size())));
  return EvpPkeyPtr(info ? EVP_PKCS82PKEY(info.get()) : nullptr);
}

bool KnownProvider(std::u16string_view provider) {
  return provider == kEnhancedProvider || provider == kBaseProvider;
}

bool ContainerExists(storage::Database& database, const std::string& name) {
  auto query = database.Prepare("SELECT 1 FROM key_containers WHERE name = ?1");
  query.Bind(1, name);
  return query.Step();
}

bool ContainerHoldsKeys(storage::Database& database, const std::string& name) {
  auto query = database.Prepare("SELECT 1 FROM container_keys WHERE container = ?1");
  query.Bind(1, name);
  return query.Step();
}

Result<SecretBytes> Pkcs8Of(const EVP_PKEY& key) {
  Pkcs8Ptr info(EVP_PKEY2PKCS8(&key));
  if (!info) return Failure(NTE_BAD_KEYSET, "the key cannot be stored as PKCS#8");
  unsigned char* der = nullptr;
  const int length = i2d_PKCS8_PRIV_KEY_INFO(info.get(), &der);
  if (length <= 0) return Failure(NTE_BAD_KEYSET, "the key cannot be stored as PKCS#8");
  SecretBytes bytes(der, der + length);
  OPENSSL_clear_free(der, static_cast<std::size_t>(length));
  return bytes;
}

void InsertKey(storage::Database& database, const std::string& container, DWORD keySpec,
               ByteView pkcs8) {
  database.Prepare("INSERT INTO container_keys (container, key_spec, pkcs8) VALUES (?1, ?2, ?3)")
      .Bind(1, container)
      .Bind(2, std::int64_t{keySpec})
      .Bind(3, pkcs8)
      .Run();
}

// Nothing when no random bytes can be had: a predictable name could meet another's.
std::optional<std::string> NewContainerName() {
  unsigned char random[12];
  if (RAND_bytes(random, sizeof random) != 1) return std::nullopt;
  return "velsor-" + HexText(ByteView(random), HexCase::Lower);
}

}  // namespace

std::u16string DefaultContainerName() {
  // The process's user does not change, so the user database is read once.
  static const std::u16string name = [] {
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
      return codepage::Utf8ToUtf16(entry->pw_name);
    }
    return codepage::Utf8ToUtf16("uid" + std::to_string(geteuid()));
  }();
  return name;
}

Result<CryptProvider> CryptProvider::Acquire(std::optional<std::u16string_view> container,
                                             std::u16string_view provider, DWORD provType,
                                             DWORD flags, std::shared_ptr<UserData> open) {
  if (provider == kTokenProvider) {
    // A token's keys are made and removed on the token; only its containers open here.
    if (!container || (flags & (CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET))) {
      return Failure(NTE_BAD_KEYSET, "a token key is opened by its container name");
    }
    return CryptProvider(std::u16string(provider), std::u16string(*container), std::move(open));
  }
  if (!KnownProvider(provider)) return Failure(NTE_KEYSET_NOT_DEF, "unknown provider");
  if (provType != PROV_RSA_FULL) return Failure(NTE_PROV_TYPE_NOT_DEF, "unknown provider type");
  auto database =
      open ? Result<std::shared_ptr<UserData>>(std::move(open)) : OpenUserData();
  if (!database) return database.error();
  if (flags & CRYPT_VERIFYCONTEXT) {
    return CryptProvider(std::u16string(provider), std::nullopt, std::move(*database));
  }
  const std::u16string name(container.value_or(DefaultContainerName()));
  const std::string key = codepage::Utf16ToUtf8(name);
  return storage::GuardDatabase([&]() -> Result<CryptProvider> {
    storage::Database& db = **database;
    // Only creating and deleting write; opening reads, so that processes that open
    // contexts all day never wait for each other.
    if (!(flags & (CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET))) {
      if (!ContainerExists(db, key)) return Failure(NTE_BAD_KEYSET, "no such key container");
      return CryptProvider(std::u16string(provider), name, std::move(*database));
    }
    storage::Database::Transaction transaction(db);
    const bool exists = ContainerExists(db, key);
    if (flags & CRYPT_DELETEKEYSET) {
      if (!exists) return Failure(NTE_BAD_KEYSET, "no such key container");
      if (ContainerHoldsKeys(db, key)) {
        return Failure(E_ACCESSDENIED, "a key container that holds keys is never deleted");
      }
      db.Prepare("DELETE FROM key_containers WHERE name = ?1").Bind(1, key).Run();
      transaction.Commit();
      return CryptProvider(std::u16string(provider), std::nullopt, std::move(*database));
    }
    if (exists) return Failure(NTE_EXISTS, "the key container exists");
    db.Prepare("INSERT INTO key_containers (name) VALUES (?1)").Bind(1, key).Run();
    transaction.Commit();
    return CryptProvider(std::u16string(provider), name, std::move(*database));
  });
}

Result<KeyHandle> CryptProvider::PrivateKey(DWORD keySpec, const PinPrompt& pin) const {
  if (!container_) return Failure(NTE_NO_KEY, "a verification context has no keys");
  if (provider_ == kTokenProvider) {
    auto key = OpenTokenKey(*container_, pin);
    if (!key) return key.error();
    return HoldKey(std::move(*key));
  }
  return storage::GuardDatabase([&]() -> Result<KeyHandle> {
    auto query = database_->Prepare(
        "SELECT pkcs8 FROM container_keys WHERE container = ?1 AND key_spec = ?2");
    query.Bind(1, codepage::Utf16ToUtf8(*container_)).Bind(2, std::int64_t{keySpec});
    if (!query.Step()) return Failure(NTE_NO_KEY, "the container holds no such key");
    const SecretBytes pkcs8 = query.SecretBlob(0);
    SessionCaches* caches = ActiveSessionCaches();
    if (caches != nullptr) {
      if (EvpPkeyPtr known = caches->keys.Find(pkcs8)) return HoldKey(std::move(known));
    }
    EvpPkeyPtr key = DecodePrivateKey(pkcs8);
    if (!key) return Failure(NTE_BAD_KEYSET, "the stored key cannot be read");
    if (caches != nullptr) caches->keys.Keep(pkcs8, *key);
    return HoldKey(std::move(key));
  });
}

Result<Done> StoreKey(const CryptProvider& provider, DWORD keySpec, const EVP_PKEY& key) {
  if (provider.providerName() == kTokenProvider) {
    return Failure(NTE_BAD_KEYSET, "keys are put on a token there");
  }
  const auto& container = provider.containerName();
  const auto& database = provider.database();
  if (!container) return Failure(NTE_BAD_KEYSET, "a verification context has no container");
  if (keySpec != AT_KEYEXCHANGE && keySpec != AT_SIGNATURE) {
    return Failure(E_INVALIDARG, "a key is an exchange or a signature key");
  }
  auto pkcs8 = Pkcs8Of(key);
  if (!pkcs8) return pkcs8.error();
  return storage::GuardDatabase([&]() -> Result<Done> {
    storage::Database::Transaction transaction(*database);
    const std::string name = codepage::Utf16ToUtf8(*container);
    auto existing =
        database->Prepare("SELECT 1 FROM container_keys WHERE container = ?1 AND key_spec = ?2");
    existing.Bind(1, name).Bind(2, std::int64_t{keySpec});
    if (existing.Step()) return Failure(NTE_EXISTS, "the container has such a key already");
    InsertKey(*database, name, keySpec, *pkcs8);
    transaction.Commit();
    return Done{};
  });
}

Result<CertContextPtr> ImportCertificateWithKey(ByteView certificate, const EVP_PKEY& key,
                                                DWORD keySpec, std::u16string_view provider) {
  if (!KnownProvider(provider)) return Failure(NTE_KEYSET_NOT_DEF, "unknown provider");
  if (keySpec != AT_KEYEXCHANGE && keySpec != AT_SIGNATURE) {
    return Failure(E_INVALIDARG, "a key is an exchange or a signature key");
  }
  auto parsed = CertContext::FromEncoded(certificate);
  if (!parsed) return parsed.error();
  if (X509_check_private_key(X509Of(*(*parsed)), &key) != 1) {
    return Failure(E_INVALIDARG, "the key does not belong to the certificate");
  }
  auto pkcs8 = Pkcs8Of(key);
  if (!pkcs8) return pkcs8.error();
  auto database = OpenUserData();
  if (!database) return database.error();

  const auto newName = NewContainerName();
  if (!newName) return Failure(E_FAIL, "no random bytes for a container name");
  const std::string& container = *newName;
  KeyProvInfo link;
  link.containerName = codepage::Utf8ToUtf16(container);
  link.providerName = std::u16string(provider);
  link.keySpec = keySpec;
  return storage::GuardDatabase([&]() -> Result<CertContextPtr> {
    storage::Database& db = **database;
    storage::Database::Transaction transaction(db);
    db.Prepare("INSERT INTO key_containers (name) VALUES (?1)").Bind(1, container).Run();
    InsertKey(db, container, keySpec, *pkcs8);
    db.Prepare("INSERT INTO certificates (store, encoded) VALUES (?1, ?2)")
        .Bind(1, codepage::Utf16ToUtf8(SystemStoreName(SystemStore::My)))
        .Bind(2, certificate)
        .Run();
    const std::int64_t id = db.LastInsertId();
    RecordCertNames(db, id, **parsed);
    db.Prepare(
          "INSERT INTO certificate_properties (certificate, property, value) VALUES (?1, ?2, ?3)")
        .Bind(1, id)
        .Bind(2, std::int64_t{CERT_KEY_PROV_INFO_PROP_ID})
        .Bind(3, EncodeKeyProvInfo(link))
        .Run();
    transaction.Commit();
    return CertContext::FromStore(certificate, SystemStore::My, id, *database);
  });
}

}  // namespace velsor::crypt
