// The current user's system stores through the system's certificate store functions. A
// certificate's id is its position in the store's enumeration, which is the order in
// which it was added.

#include "platform/crypt/cert_store.h"

#include "platform/crypt/stored_names.h"
#include "system_cert.h"

namespace velsor::crypt {

struct CertStore::Held {
  explicit Held(HCERTSTORE opened) : store(opened) {}
  ~Held() { CertCloseStore(store, 0); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  HCERTSTORE store;
};

namespace {

// Walks the store's certificates in order until `visit` answers false; each context
// handed over is the visitor's to keep (a duplicate).
template <class Visit>
void EachCertificate(HCERTSTORE store, Visit&& visit) {
  std::int64_t index = 0;
  for (PCCERT_CONTEXT at = CertEnumCertificatesInStore(store, nullptr); at != nullptr;
       at = CertEnumCertificatesInStore(store, at)) {
    if (!visit(CertDuplicateCertificateContext(at), index++)) {
      CertFreeCertificateContext(at);
      return;
    }
  }
}

// The store's own context of a certificate, to change it there; nothing when it is not in
// the store.
PCCERT_CONTEXT InStore(HCERTSTORE store, const CertContext& certificate) {
  return CertFindCertificateInStore(store, kEncodings, 0, CERT_FIND_EXISTING,
                                    SystemContextOf(certificate), nullptr);
}

// Writes a change through to where the store lives, so that another handle on the same
// store sees it at once. Forced, because Wine keeps changes in the handle until a commit
// and does not count a changed property as a change.
void Commit(HCERTSTORE store) {
  CertControlStore(store, CERT_STORE_CTRL_COMMIT_FORCE_FLAG, CERT_STORE_CTRL_COMMIT, nullptr);
}

}  // namespace

// The system's stores are read as they are at each call.
struct StoreSnapshot::Held {};
StoreSnapshot::StoreSnapshot(const CertStore&) {}
StoreSnapshot::~StoreSnapshot() = default;

Result<CertStore> CertStore::Open(std::u16string_view name) { return Open(name, nullptr); }

Result<CertStore> CertStore::Open(std::u16string_view name,
                                  std::shared_ptr<UserData> database) {
  const auto store = SystemStoreNamed(name);
  if (!store) return Failure(E_INVALIDARG, "no such store");
  (void)database;  // the system keeps the stores
  return Open(*store);
}

Result<CertStore> CertStore::Open(SystemStore store) {
  const std::wstring name = ToWide(SystemStoreName(store));
  HCERTSTORE opened = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                    CERT_SYSTEM_STORE_CURRENT_USER, name.c_str());
  if (opened == nullptr) return Failure(LastError(), "the store cannot be opened");
  return CertStore(store, nullptr, std::make_shared<const Held>(opened));
}

Result<CertStore> CertStore::Readable(CertStore store) { return store; }

Result<std::vector<CertContextPtr>> CertStore::Certificates(
    std::vector<std::int64_t>* undecodable) const {
  std::vector<CertContextPtr> certificates;
  EachCertificate(held_->store, [&](PCCERT_CONTEXT owned, std::int64_t index) {
    if (auto context = ContextFromSystem(owned, store_, index)) {
      certificates.push_back(std::move(*context));
    } else if (undecodable != nullptr) {
      undecodable->push_back(index);
    }
    return true;
  });
  return certificates;
}

Result<Done> CertStore::VisitNames(const std::function<bool(const StoredCertNames&)>& visit,
                                   Visit which) const {
  EachCertificate(held_->store, [&](PCCERT_CONTEXT owned, std::int64_t index) {
    auto context = ContextFromSystem(owned, store_, index);
    if (!context) return true;
    const StoredCertNames names = NamesOf(**context, index);
    return (which == Visit::WithKeyLink && !names.keyProvInfo) || visit(names);
  });
  return Done{};
}

std::vector<CertContextPtr> CertStore::Matching(
    const std::function<bool(const StoredCertNames&)>& matches, std::size_t most) const {
  std::vector<CertContextPtr> found;
  if (most == 0) return found;
  EachCertificate(held_->store, [&](PCCERT_CONTEXT owned, std::int64_t index) {
    auto context = ContextFromSystem(owned, store_, index);
    if (context && matches(NamesOf(**context, index))) found.push_back(std::move(*context));
    return found.size() < most;
  });
  return found;
}

Result<CertContextPtr> CertStore::Certificate(std::int64_t id) const {
  Result<CertContextPtr> found = Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
  EachCertificate(held_->store, [&](PCCERT_CONTEXT owned, std::int64_t index) {
    if (index != id) {
      CertFreeCertificateContext(owned);
      return true;
    }
    found = ContextFromSystem(owned, store_, index);
    return false;
  });
  return found;
}

Result<std::vector<CertContextPtr>> CertStore::AddAll(std::span<const Bytes> encodings) {
  // Every encoding is checked before the first is added, so a bad one adds none.
  for (const Bytes& encoded : encodings) {
    if (auto parsed = CertContext::FromEncoded(encoded); !parsed) return parsed.error();
  }
  std::vector<CertContextPtr> added;
  for (const Bytes& encoded : encodings) {
    PCCERT_CONTEXT stored = nullptr;
    if (!CertAddEncodedCertificateToStore(held_->store, kEncodings, encoded.data(),
                                          static_cast<DWORD>(encoded.size()),
                                          CERT_STORE_ADD_USE_EXISTING, &stored)) {
      return Failure(LastError(), "the certificate cannot be added");
    }
    // Its position is found again by enumeration, as ids are positions.
    std::int64_t position = -1;
    EachCertificate(held_->store, [&](PCCERT_CONTEXT owned, std::int64_t index) {
      const bool same = CertCompareCertificate(kEncodings, owned->pCertInfo, stored->pCertInfo);
      CertFreeCertificateContext(owned);
      if (same) position = index;
      return !same;
    });
    auto context = ContextFromSystem(stored, store_, position);
    if (!context) return context.error();
    added.push_back(std::move(*context));
  }
  Commit(held_->store);
  return added;
}

Result<Done> CertStore::Remove(const CertContext& certificate) {
  PCCERT_CONTEXT stored = InStore(held_->store, certificate);
  if (stored == nullptr) return Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
  // The deletion releases the context it is given.
  if (!CertDeleteCertificateFromStore(stored)) return Failure(LastError(), "not removed");
  Commit(held_->store);
  return Done{};
}

Result<Done> CertStore::SetProperty(const CertContext& certificate, DWORD id, ByteView value) {
  PCCERT_CONTEXT stored = InStore(held_->store, certificate);
  if (stored == nullptr) return Failure(CRYPT_E_NOT_FOUND, "the certificate is not in this store");
  bool set = false;
  if (id == CERT_KEY_PROV_INFO_PROP_ID) {
    const auto info = DecodeKeyProvInfo(value);
    set = info && SetKeyProvInfo(stored, *info);
  } else {
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(value.size()), const_cast<BYTE*>(value.data())};
    set = CertSetCertificateContextProperty(stored, id, 0, &blob) != FALSE;
  }
  const HRESULT error = set ? S_OK : LastError();
  CertFreeCertificateContext(stored);
  if (!set) return Failure(error, "the property cannot be set");
  Commit(held_->store);
  return Done{};
}

Result<std::vector<Bytes>> CertStore::Crls() const {
  std::vector<Bytes> crls;
  for (PCCRL_CONTEXT at = CertEnumCRLsInStore(held_->store, nullptr); at != nullptr;
       at = CertEnumCRLsInStore(held_->store, at)) {
    crls.emplace_back(at->pbCrlEncoded, at->pbCrlEncoded + at->cbCrlEncoded);
  }
  return crls;
}

Result<Done> CertStore::AddCrl(ByteView encoded) {
  if (!CertAddEncodedCRLToStore(held_->store, kEncodings, encoded.data(),
                                static_cast<DWORD>(encoded.size()), CERT_STORE_ADD_ALWAYS,
                                nullptr)) {
    return Failure(CRYPT_E_OSS_ERROR, "not a DER certificate revocation list");
  }
  Commit(held_->store);
  return Done{};
}

}  // namespace velsor::crypt
