#include "platform/crypt/cert_store.h"

#include "platform/base/storage/sqlite_db.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/openssl/name_records.h"
#include "platform/crypt/openssl/openssl_ptr.h"
#include "platform/crypt/openssl/session_caches.h"
#include "platform/crypt/openssl/token_certificates.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypt {
namespace {

// How the store is named in the database.
std::string Key(SystemStore store) { return codepage::Utf16ToUtf8(SystemStoreName(store)); }

Error TokenUnchangeable() {
  return Failure(E_ACCESSDENIED, "a token's certificates are changed on the token");
}

struct TokenEntry {
  CertContextPtr certificate;
  StoredCertNames names;
};

// The certificates of the tokens present now, numbered -1, -2, ... after the stored ones.
std::vector<TokenEntry> LoadTokenEntries(storage::Database& database) {
  std::vector<TokenEntry> entries;
  std::int64_t id = 0;
  for (TokenCertificate& found : TokenCertificates(database)) {
    auto certificate =
        CertContext::FromToken(found.encoded, --id, found.link, std::move(found.token));
    if (!certificate) continue;
    StoredCertNames names = NamesOf(**certificate, id);
    entries.push_back({std::move(*certificate), std::move(names)});
  }
  return entries;
}

}  // namespace

// "MY" holds the tokens' certificates as they were when it was opened.
struct CertStore::Held {
  std::vector<TokenEntry> tokens;

  const TokenEntry* WithId(std::int64_t id) const {
    for (const TokenEntry& entry : tokens) {
      if (entry.names.id == id) return &entry;
    }
    return nullptr;
  }
};

// The snapshot keeps the connection it reads on: the stores that opened it may go first.
struct StoreSnapshot::Held {
  explicit Held(std::shared_ptr<UserData> connection)
      : database(std::move(connection)), transaction(*database) {}
  std::shared_ptr<UserData> database;
  storage::Database::ReadTransaction transaction;
};

StoreSnapshot::StoreSnapshot(const CertStore& store)
    : held_(store.database() ? std::make_unique<Held>(store.database()) : nullptr) {}

StoreSnapshot::~StoreSnapshot() = default;

Result<CertStore> CertStore::Open(std::u16string_view name) {
  const auto store = SystemStoreNamed(name);
  if (!store) return Failure(E_INVALIDARG, "no store named " + codepage::Utf16ToUtf8(name));
  return Open(*store);
}

Result<CertStore> CertStore::Open(std::u16string_view name,
                                  std::shared_ptr<UserData> database) {
  const auto store = SystemStoreNamed(name);
  if (!store) return Failure(E_INVALIDARG, "no store named " + codepage::Utf16ToUtf8(name));
  if (!database) return Open(*store);
  return Readable(CertStore(*store, std::move(database), nullptr));
}

Result<CertStore> CertStore::Open(SystemStore store) {
  auto database = OpenUserData();
  if (!database) return database.error();
  return Readable(CertStore(store, std::move(*database), nullptr));
}

// A damaged database can open and still fail every read; it is found out here, so that
// the store counts as one that cannot be opened rather than as an empty one.
Result<CertStore> CertStore::Readable(CertStore store) {
  auto read = store.VisitNames([](const StoredCertNames&) { return false; });
  if (!read) return read.error();
  if (store.store_ == SystemStore::My) {
    store.held_ = std::make_shared<const Held>(Held{LoadTokenEntries(*store.database_)});
  }
  return store;
}

Result<std::vector<CertContextPtr>> CertStore::Certificates(
    std::vector<std::int64_t>* undecodable) const {
  return storage::GuardDatabase([&]() -> Result<std::vector<CertContextPtr>> {
    std::vector<CertContextPtr> certificates;
    auto query =
        database_->Prepare("SELECT id, encoded FROM certificates WHERE store = ?1 ORDER BY id");
    query.Bind(1, Key(store_));
    while (query.Step()) {
      auto context = CertContext::FromStore(query.Blob(1), store_, query.Integer(0), database_);
      // A row that no longer parses is skipped rather than hiding the rest of the store.
      if (context) {
        certificates.push_back(std::move(*context));
      } else if (undecodable != nullptr) {
        undecodable->push_back(query.Integer(0));
      }
    }
    if (held_) {
      for (const TokenEntry& entry : held_->tokens) certificates.push_back(entry.certificate);
    }
    return certificates;
  });
}

namespace {

constexpr char kAllNames[] =
    "SELECT c.id, n.subject, n.issuer, n.subject_simple, n.issuer_simple, n.serial, "
    "n.encoded_issuer, p.value FROM certificates c "
    "JOIN certificate_names n ON n.certificate = c.id "
    "LEFT JOIN certificate_properties p ON p.certificate = c.id AND p.property = ?2 "
    "WHERE c.store = ?1 ORDER BY c.id";
// The linked ones are found from the key links, the few rows there are, rather than by
// walking the store ("CROSS JOIN" keeps SQLite's planner to that order).
constexpr char kLinkedNames[] =
    "SELECT c.id, n.subject, n.issuer, n.subject_simple, n.issuer_simple, n.serial, "
    "n.encoded_issuer, p.value FROM certificate_properties p "
    "CROSS JOIN certificates c ON c.id = p.certificate "
    "JOIN certificate_names n ON n.certificate = c.id "
    "WHERE p.property = ?2 AND c.store = ?1 ORDER BY c.id";

void ReadNames(const storage::Statement& query, StoredCertNames& names) {
  names.id = query.Integer(0);
  names.subject = query.Utf16Blob(1);
  names.issuer = query.Utf16Blob(2);
  names.subjectSimple = query.Utf16Blob(3);
  names.issuerSimple = query.Utf16Blob(4);
  names.serialBlob = query.Blob(5);
  names.encodedIssuer = query.Blob(6);
  names.keyProvInfo = query.OptionalBlob(7);
}

}  // namespace

// A control's session keeps the names of a store once read: while nothing was committed
// since, a search walks them in memory rather than reading thousands of rows again.
Result<Done> CertStore::VisitNames(const std::function<bool(const StoredCertNames&)>& visit,
                                   Visit which) const {
  return storage::GuardDatabase([&]() -> Result<Done> {
    const std::string key = Key(store_);
    bool going = true;
    if (SessionCaches* caches = ActiveSessionCaches()) {
      const StoredNamesCache::DatabaseState state{database_->DataVersion(),
                                                  database_->TotalChanges()};
      auto names = caches->storedNames.Find(database_, key, state);
      if (!names) {
        auto read = std::make_shared<std::vector<StoredCertNames>>();
        auto query = database_->Prepare(kAllNames);
        query.Bind(1, key).Bind(2, std::int64_t{CERT_KEY_PROV_INFO_PROP_ID});
        while (query.Step()) ReadNames(query, read->emplace_back());
        names = std::move(read);
        caches->storedNames.Keep(database_, key, state, names);
      }
      for (const StoredCertNames& entry : *names) {
        if (which == Visit::WithKeyLink && !entry.keyProvInfo) continue;
        if (!(going = visit(entry))) break;
      }
    } else {
      auto query = database_->Prepare(which == Visit::All ? kAllNames : kLinkedNames);
      query.Bind(1, key).Bind(2, std::int64_t{CERT_KEY_PROV_INFO_PROP_ID});
      StoredCertNames names;
      while (going && query.Step()) {
        ReadNames(query, names);
        going = visit(names);
      }
    }
    if (going && held_) {
      for (const TokenEntry& entry : held_->tokens) {
        if (which == Visit::WithKeyLink && !entry.names.keyProvInfo) continue;
        if (!visit(entry.names)) break;
      }
    }
    return Done{};
  });
}

std::vector<CertContextPtr> CertStore::Matching(
    const std::function<bool(const StoredCertNames&)>& matches, std::size_t most) const {
  std::vector<std::int64_t> ids;
  VisitNames([&](const StoredCertNames& names) {
    if (matches(names)) ids.push_back(names.id);
    return ids.size() < most;
  });
  std::vector<CertContextPtr> certificates;
  for (std::int64_t id : ids) {
    if (auto certificate = Certificate(id)) certificates.push_back(std::move(*certificate));
  }
  return certificates;
}

Result<CertContextPtr> CertStore::Certificate(std::int64_t id) const {
  if (id < 0) {
    if (const TokenEntry* entry = held_ ? held_->WithId(id) : nullptr) return entry->certificate;
    return Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
  }
  return storage::GuardDatabase([&]() -> Result<CertContextPtr> {
    auto query =
        database_->Prepare("SELECT encoded FROM certificates WHERE id = ?1 AND store = ?2");
    query.Bind(1, id).Bind(2, Key(store_));
    if (!query.Step()) return Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
    return CertContext::FromStore(query.Blob(0), store_, id, database_);
  });
}

Result<std::vector<CertContextPtr>> CertStore::AddAll(std::span<const Bytes> encodings) {
  std::vector<CertContextPtr> parsed;
  for (const Bytes& encoded : encodings) {
    auto certificate = CertContext::FromEncoded(encoded);
    if (!certificate) return certificate.error();
    parsed.push_back(std::move(*certificate));
  }
  return storage::GuardDatabase([&]() -> Result<std::vector<CertContextPtr>> {
    storage::Database::Transaction transaction(*database_);
    std::vector<CertContextPtr> added;
    for (const CertContextPtr& certificate : parsed) {
      const Bytes& encoded = certificate->encoded();
      auto existing = database_->Prepare(
          // "+c.store" keeps the planner on the digest index rather than walking the store.
          "SELECT c.id FROM certificate_names n JOIN certificates c ON c.id = n.certificate "
          "WHERE n.digest = ?1 AND +c.store = ?2 AND c.encoded = ?3 ORDER BY c.id LIMIT 1");
      existing.Bind(1, EncodingDigest(encoded)).Bind(2, Key(store_)).Bind(3, encoded);
      std::int64_t id = 0;
      if (existing.Step()) {
        id = existing.Integer(0);
      } else {
        database_->Prepare("INSERT INTO certificates (store, encoded) VALUES (?1, ?2)")
            .Bind(1, Key(store_))
            .Bind(2, encoded)
            .Run();
        id = database_->LastInsertId();
        RecordCertNames(*database_, id, *certificate);
      }
      auto stored = CertContext::FromStore(encoded, store_, id, database_);
      if (!stored) return stored.error();
      added.push_back(std::move(*stored));
    }
    transaction.Commit();
    return added;
  });
}

Result<Done> CertStore::Remove(const CertContext& certificate) {
  if (certificate.store() != store_ || !certificate.storedId()) {
    return Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
  }
  if (certificate.token()) return TokenUnchangeable();
  return storage::GuardDatabase([&]() -> Result<Done> {
    database_->Prepare("DELETE FROM certificates WHERE id = ?1")
        .Bind(1, *certificate.storedId())
        .Run();
    return Done{};
  });
}

Result<Done> CertStore::SetProperty(const CertContext& certificate, DWORD id, ByteView value) {
  if (certificate.store() != store_ || !certificate.storedId()) {
    return Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
  }
  if (certificate.token()) return TokenUnchangeable();
  return storage::GuardDatabase([&]() -> Result<Done> {
    database_
        ->Prepare(
            "INSERT INTO certificate_properties (certificate, property, value) VALUES (?1, ?2, ?3) "
            "ON CONFLICT (certificate, property) DO UPDATE SET value = excluded.value")
        .Bind(1, *certificate.storedId())
        .Bind(2, std::int64_t{id})
        .Bind(3, value)
        .Run();
    return Done{};
  });
}

Result<std::vector<Bytes>> CertStore::Crls() const {
  return storage::GuardDatabase([&]() -> Result<std::vector<Bytes>> {
    std::vector<Bytes> crls;
    auto query = database_->Prepare("SELECT encoded FROM crls WHERE store = ?1 ORDER BY id");
    query.Bind(1, Key(store_));
    while (query.Step()) crls.push_back(query.Blob(0));
    return crls;
  });
}

Result<Done> CertStore::AddCrl(ByteView encoded) {
  const unsigned char* cursor = encoded.data();
  X509CrlPtr crl(d2i_X509_CRL(nullptr, &cursor, static_cast<long>(encoded.size())));
  if (!crl || cursor != encoded.data() + encoded.size()) {
    return Failure(CRYPT_E_OSS_ERROR, "not a DER certificate revocation list");
  }
  return storage::GuardDatabase([&]() -> Result<Done> {
    database_->Prepare("INSERT INTO crls (store, encoded) VALUES (?1, ?2)")
        .Bind(1, Key(store_))
        .Bind(2, encoded)
        .Run();
    return Done{};
  });
}

}  // namespace velsor::crypt
