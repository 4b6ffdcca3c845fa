#pragma once
// What a control object's session keeps decoded between its calls. Decoding a
// certificate or a private key takes OpenSSL's decoder machinery, and a freshly decoded
// RSA key sets up its blinding on first use: together several times the signature itself.
// Each entry is found by the stored form it was decoded from, so a form that changed, in
// this object or another or another process, is simply a form not seen before.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/secret_bytes.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/openssl/openssl_ptr.h"
#include "platform/crypt/stored_names.h"

namespace velsor::storage {
class Database;
}

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

// The certificates whose signature was found to verify with an issuer's key, each pair by
// both encodings (the signature is part of one, the key of the other).
class VerifiedSignatures {
 public:
  bool Verified(ByteView certificate, ByteView issuer) const;
  void Keep(ByteView certificate, ByteView issuer);

 private:
  static constexpr std::size_t kMost = 1024;
  static std::string KeyOf(ByteView certificate, ByteView issuer);
  std::unordered_set<std::string> pairs_;
};

// The names of a store's certificates as one connection last read them, and the state of
// the database they were read in: any commit, by this connection or another, is a new
// state, and the names are read again.
class StoredNamesCache {
 public:
  struct DatabaseState {
    std::int64_t otherCommits = 0;  // SQLite's data version: moves with other connections
    std::int64_t ownChanges = 0;    // rows this connection changed
    bool operator==(const DatabaseState&) const = default;
  };
  using Names = std::shared_ptr<const std::vector<StoredCertNames>>;
  // Null when this connection did not read the store in this state. What it answers stays
  // valid while held, even when the names are read again meanwhile.
  Names Find(const std::shared_ptr<storage::Database>& connection, std::string_view store,
             DatabaseState state) const;
  void Keep(const std::shared_ptr<storage::Database>& connection, std::string_view store,
            DatabaseState state, Names names);

 private:
  struct Entry {
    std::weak_ptr<storage::Database> connection;
    std::string store;
    DatabaseState state;
    Names names;
  };
  std::vector<Entry> entries_;
};

struct SessionCaches {
  DecodedCertificates certificates;
  DecodedKeys keys;
  VerifiedSignatures signatures;
  StoredNamesCache storedNames;
};

// The caches of the session whose scope is active on this thread; null outside one, when
// everything is decoded afresh.
SessionCaches* ActiveSessionCaches();

}  // namespace velsor::crypt
