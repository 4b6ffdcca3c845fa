#include "platform/crypt/openssl/session_caches.h"

#include <algorithm>

namespace velsor::crypt {

std::shared_ptr<const CertContext> DecodedCertificates::Find(ByteView encoded) const {
  const auto found = parsed_.find(KeyOf(encoded));
  return found != parsed_.end() ? found->second : nullptr;
}

void DecodedCertificates::Keep(std::shared_ptr<const CertContext> parsed) {
  if (parsed_.size() >= kMost) parsed_.clear();
  const std::string_view key = KeyOf(parsed->encoded());
  // An entry already there stays: its key views its own bytes.
  parsed_.try_emplace(key, std::move(parsed));
}

EvpPkeyPtr DecodedKeys::Find(ByteView pkcs8) const {
  for (const auto& [form, key] : keys_) {
    if (std::equal(form.begin(), form.end(), pkcs8.begin(), pkcs8.end()) &&
        EVP_PKEY_up_ref(key.get()) == 1) {
      return EvpPkeyPtr(key.get());
    }
  }
  return nullptr;
}

void DecodedKeys::Keep(ByteView pkcs8, const EVP_PKEY& key) {
  EVP_PKEY* shared = const_cast<EVP_PKEY*>(&key);
  if (EVP_PKEY_up_ref(shared) != 1) return;
  if (keys_.size() >= kMost) keys_.erase(keys_.begin());
  keys_.emplace_back(SecretBytes(pkcs8.begin(), pkcs8.end()), EvpPkeyPtr(shared));
}

// The certificate's length first, so that no two pairs make one key.
std::string VerifiedSignatures::KeyOf(ByteView certificate, ByteView issuer) {
  std::string key = std::to_string(certificate.size()) + ':';
  key.append(reinterpret_cast<const char*>(certificate.data()), certificate.size());
  key.append(reinterpret_cast<const char*>(issuer.data()), issuer.size());
  return key;
}

bool VerifiedSignatures::Verified(ByteView certificate, ByteView issuer) const {
  return pairs_.contains(KeyOf(certificate, issuer));
}

void VerifiedSignatures::Keep(ByteView certificate, ByteView issuer) {
  if (pairs_.size() >= kMost) pairs_.clear();
  pairs_.insert(KeyOf(certificate, issuer));
}

StoredNamesCache::Names StoredNamesCache::Find(const std::shared_ptr<storage::Database>& connection,
                                               std::string_view store, DatabaseState state) const {
  for (const Entry& entry : entries_) {
    if (entry.store == store && entry.connection.lock() == connection) {
      return entry.state == state ? entry.names : nullptr;
    }
  }
  return nullptr;
}

void StoredNamesCache::Keep(const std::shared_ptr<storage::Database>& connection,
                            std::string_view store, DatabaseState state, Names names) {
  // Entries of connections that are gone, and the store's older one, make way.
  std::erase_if(entries_, [&](const Entry& entry) {
    const auto held = entry.connection.lock();
    return !held || (held == connection && entry.store == store);
  });
  entries_.push_back({connection, std::string(store), state, std::move(names)});
}

}  // namespace velsor::crypt
