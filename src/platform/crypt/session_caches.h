#pragma once
// What a control object's session keeps decoded between its calls. Decoding a
// certificate or a private key takes OpenSSL's decoder machinery, and a freshly decoded
// RSA key sets up its blinding on first use: together several times the signature itself.
// Each entry is found by the stored form it was decoded from, so a form that changed, in
// this object or another or another process, is simply a form not seen before.

#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/secret_bytes.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/openssl_ptr.h"

namespace velsor::crypt {

class DecodedCertificates {
 public:
  // A certificate parsed from exactly these bytes before, with no store of its own.
  std::shared_ptr<const CertContext> Find(ByteView encoded) const;
  void Keep(std::shared_ptr<const CertContext> parsed);

 private:
  // Past this many the cache starts again: enough for every authority and a busy "MY".
  static constexpr std::size_t kMost = 4096;
  static std::string_view KeyOf(ByteView encoded) {
    return {reinterpret_cast<const char*>(encoded.data()), encoded.size()};
  }
  // Keys view the bytes their own entry holds.
  std::unordered_map<std::string_view, std::shared_ptr<const CertContext>> parsed_;
};

class DecodedKeys {
 public:
  // Another reference to the key decoded from exactly this PKCS#8 before; null if none.
  EvpPkeyPtr Find(ByteView pkcs8) const;
  void Keep(ByteView pkcs8, const EVP_PKEY& key);

 private:
  static constexpr std::size_t kMost = 16;
  std::vector<std::pair<SecretBytes, EvpPkeyPtr>> keys_;
};

struct SessionCaches {
  DecodedCertificates certificates;
  DecodedKeys keys;
};

// The caches of the session whose scope is active on this thread; null outside one, when
// everything is decoded afresh.
SessionCaches* ActiveSessionCaches();

}  // namespace velsor::crypt
