#pragma once
// The current user's system stores: "MY" for the user's own certificates (linked to their
// keys), "CA" for intermediate authorities, "ROOT" for trusted roots and "AddressBOOK" for
// other people. Names compare without regard to case. A store lists its certificates in
// the order they were added. "MY" also shows the certificates of the tokens present when
// it was opened, after its own, with negative ids; they cannot be changed through it.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/stored_names.h"

namespace velsor::crypt {

std::optional<SystemStore> SystemStoreNamed(std::u16string_view name);
std::u16string_view SystemStoreName(SystemStore store);

class CertStore {
 public:
  // E_INVALIDARG for a name that is not one of the four stores; the database's failure
  // when the store cannot be read.
  static Result<CertStore> Open(std::u16string_view name);
  static Result<CertStore> Open(SystemStore store);
  // On a connection the caller already has, so that one operation opens the file once.
  static Result<CertStore> Open(std::u16string_view name,
                                std::shared_ptr<UserData> database);

  // Another of the user's stores on this store's connection.
  Result<CertStore> Sibling(std::u16string_view name) const { return Open(name, database_); }
  const std::shared_ptr<UserData>& database() const { return database_; }

  SystemStore which() const { return store_; }

  // The rows that no longer decode are left out; their ids go to `undecodable` if given.
  Result<std::vector<CertContextPtr>> Certificates(
      std::vector<std::int64_t>* undecodable = nullptr) const;
  // Visits the names of the store's certificates in enumeration order, without decoding
  // them, until `visit` answers false. WithKeyLink visits only those linked to a key,
  // without reading the rest: a search for a signer costs what the user's keys cost, not
  // what a store of thousands of other certificates does.
  enum class Visit { All, WithKeyLink };
  Result<Done> VisitNames(const std::function<bool(const StoredCertNames&)>& visit,
                          Visit which = Visit::All) const;
  // The certificates whose names `matches` accepts, in enumeration order, at most `most`
  // of them; only these are decoded. None when the store cannot be read.
  std::vector<CertContextPtr> Matching(const std::function<bool(const StoredCertNames&)>& matches,
                                       std::size_t most = SIZE_MAX) const;
  // The stored certificate with that id, decoded; CRYPT_E_NOT_FOUND when the store has none.
  Result<CertContextPtr> Certificate(std::int64_t id) const;
  // Adds a certificate; one already in the store is kept and returned instead.
  Result<CertContextPtr> Add(ByteView encoded);
  // Adds several in one transaction: all of them, or none when one cannot be added.
  Result<std::vector<CertContextPtr>> AddAll(std::span<const Bytes> encodings);
  Result<Done> Remove(const CertContext& certificate);
  Result<Done> SetProperty(const CertContext& certificate, DWORD id, ByteView value);

  Result<std::vector<Bytes>> Crls() const;
  Result<Done> AddCrl(ByteView encoded);

  // What the platform holds for an open store, defined by the service's implementation.
  struct Held;
  CertStore(SystemStore store, std::shared_ptr<UserData> database,
            std::shared_ptr<const Held> held)
      : store_(store), database_(std::move(database)), held_(std::move(held)) {}

 private:
  static Result<CertStore> Readable(CertStore store);

  SystemStore store_;
  std::shared_ptr<UserData> database_;
  std::shared_ptr<const Held> held_;
};

// While it lives, the stores opened on `store`'s connection read one state of the user's
// stores, whatever another process changes meanwhile.
class StoreSnapshot {
 public:
  explicit StoreSnapshot(const CertStore& store);
  ~StoreSnapshot();
  StoreSnapshot(const StoreSnapshot&) = delete;
  StoreSnapshot& operator=(const StoreSnapshot&) = delete;

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

}  // namespace velsor::crypt
