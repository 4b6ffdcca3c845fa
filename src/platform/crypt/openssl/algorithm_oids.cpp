#include "platform/crypt/openssl/algorithm_oids.h"

#include <openssl/provider.h>

#include <array>
#include <optional>

namespace velsor::crypt {
namespace {

struct KnownDigest {
  std::string_view oid;
  const EVP_MD* (*digest)();
};
constexpr std::array kDigests{
    KnownDigest{"1.2.840.113549.2.5", &EVP_md5},
    KnownDigest{"1.3.14.3.2.26", &EVP_sha1},
    KnownDigest{"2.16.840.1.101.3.4.2.1", &EVP_sha256},
    KnownDigest{"2.16.840.1.101.3.4.2.2", &EVP_sha384},
    KnownDigest{"2.16.840.1.101.3.4.2.3", &EVP_sha512},
};

constexpr std::string_view kRc4Oid = "1.2.840.113549.3.4";

struct KnownCipher {
  std::string_view oid;
  const char* name;
  bool legacy;
};
constexpr std::array kCiphers{
    KnownCipher{kRc4Oid, "RC4", true},
    KnownCipher{"1.2.840.113549.3.2", "RC2-CBC", true},
    KnownCipher{"1.3.14.3.2.7", "DES-CBC", true},
    KnownCipher{"1.2.840.113549.3.7", "DES-EDE3-CBC", false},
    KnownCipher{"2.16.840.1.101.3.4.1.2", "AES-128-CBC", false},
    KnownCipher{"2.16.840.1.101.3.4.1.22", "AES-192-CBC", false},
    KnownCipher{"2.16.840.1.101.3.4.1.42", "AES-256-CBC", false},
};

using ProviderPtr = std::unique_ptr<OSSL_PROVIDER, OpenSslFree<OSSL_PROVIDER_unload>>;

struct LoadedProviders {
  ProviderPtr standard{OSSL_PROVIDER_load(nullptr, "default")};
  ProviderPtr legacy{OSSL_PROVIDER_load(nullptr, "legacy")};
};

// Loading the legacy provider hides the default one unless it is loaded explicitly too.
// Both are loaded once and stay for the life of the process.
bool LegacyCiphersAvailable() {
  static const LoadedProviders providers;
  return providers.standard && providers.legacy;
}

}  // namespace

const EVP_MD* DigestForOid(std::string_view oid) {
  for (const KnownDigest& known : kDigests) {
    if (known.oid == oid) return known.digest();
  }
  return nullptr;
}

std::optional<ContentCipher> ContentCipherForOid(std::string_view oid) {
  for (const KnownCipher& known : kCiphers) {
    if (known.oid != oid) continue;
    if (known.legacy && !LegacyCiphersAvailable()) return std::nullopt;
    EvpCipherPtr cipher(EVP_CIPHER_fetch(nullptr, known.name, nullptr));
    if (!cipher) return std::nullopt;
    return ContentCipher{std::move(cipher), known.oid == kRc4Oid};
  }
  return std::nullopt;
}

std::string OidText(const ASN1_OBJECT* oid) {
  if (oid == nullptr) return {};
  char text[128] = "";
  const int length = OBJ_obj2txt(text, sizeof text, oid, 1);
  if (length <= 0 || length >= static_cast<int>(sizeof text)) return {};
  return text;
}

}  // namespace velsor::crypt
