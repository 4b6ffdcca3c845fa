// Hashes on the system's providers. A hash is made on a context without keys; signing or
// checking carries its value over to a hash on the key's own provider.

#include "platform/crypt/hash_object.h"

#include <array>

#include "system_cert.h"
#include "system_keys.h"

namespace velsor::crypt {

struct HashObject::State {
  ~State() {
    if (hash != 0) CryptDestroyHash(hash);
    if (provider != 0) CryptReleaseContext(provider, 0);
  }
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  DigestAlgorithm algorithm{};
};

HashObject::HashObject(std::unique_ptr<State> state) : state_(std::move(state)) {}
HashObject::HashObject(HashObject&&) noexcept = default;
HashObject& HashObject::operator=(HashObject&&) noexcept = default;
HashObject::~HashObject() = default;

namespace {

struct KnownDigest {
  std::string_view oid;
  DigestAlgorithm algorithm;
};
constexpr std::array kDigests{
    KnownDigest{"1.2.840.113549.2.5", {CALG_MD5, 16}},
    KnownDigest{"1.3.14.3.2.26", {CALG_SHA1, 20}},
    KnownDigest{"2.16.840.1.101.3.4.2.1", {CALG_SHA_256, 32}},
    KnownDigest{"2.16.840.1.101.3.4.2.2", {CALG_SHA_384, 48}},
    KnownDigest{"2.16.840.1.101.3.4.2.3", {CALG_SHA_512, 64}},
};

// A hash on `provider` holding `value`, ready to be signed or checked there.
Result<HCRYPTHASH> HashWithValue(HCRYPTPROV provider, ALG_ID algorithm, const Bytes& value) {
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider, algorithm, 0, 0, &hash)) {
    return Failure(NTE_BAD_ALGID, "the key's provider has no such digest");
  }
  if (!CryptSetHashParam(hash, HP_HASHVAL, value.data(), 0)) {
    const HRESULT error = LastError();
    CryptDestroyHash(hash);
    return Failure(error, "hash value");
  }
  return hash;
}

}  // namespace

std::optional<DigestAlgorithm> DigestForOid(std::string_view oid) {
  for (const KnownDigest& known : kDigests) {
    if (known.oid == oid) return known.algorithm;
  }
  return std::nullopt;
}

HCRYPTPROV VerifyContext() {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    return 0;
  }
  return provider;
}

std::optional<std::size_t> DigestSize(std::string_view digestOid) {
  const auto algorithm = DigestForOid(digestOid);
  if (!algorithm) return std::nullopt;
  return algorithm->size;
}

Result<HashObject> HashObject::Create(std::string_view digestOid) {
  const auto algorithm = DigestForOid(digestOid);
  if (!algorithm) return Failure(NTE_BAD_ALGID, "no such digest algorithm");
  auto state = std::make_unique<State>();
  state->algorithm = *algorithm;
  state->provider = VerifyContext();
  if (state->provider == 0) return Failure(LastError(), "no provider context");
  if (!CryptCreateHash(state->provider, algorithm->id, 0, 0, &state->hash)) {
    return Failure(NTE_BAD_ALGID, "digest");
  }
  return HashObject(std::move(state));
}

Result<Done> HashObject::Update(ByteView data) {
  // The system takes at most 4 GiB less one byte at a time.
  constexpr std::size_t kMostAtOnce = 0x40000000;
  while (!data.empty()) {
    const std::size_t part = std::min(data.size(), kMostAtOnce);
    if (!CryptHashData(state_->hash, data.data(), static_cast<DWORD>(part), 0)) {
      return Failure(LastError(), "hashing");
    }
    data = data.subspan(part);
  }
  return Done{};
}

Result<Bytes> HashObject::Finish() {
  Bytes value(state_->algorithm.size);
  DWORD size = static_cast<DWORD>(value.size());
  if (!CryptGetHashParam(state_->hash, HP_HASHVAL, value.data(), &size, 0)) {
    return Failure(LastError(), "hashing");
  }
  value.resize(size);
  return value;
}

Result<Bytes> HashObject::SignLeastSignificantFirst(const KeyHandle* key) {
  if (key == nullptr || key->held().keySpec == 0) return Failure(NTE_NO_KEY, "no private key");
  auto value = Finish();
  if (!value) return value.error();
  auto hash = HashWithValue(key->held().provider, state_->algorithm.id, *value);
  if (!hash) return hash.error();
  DWORD size = 0;
  Bytes signature;
  bool signed_ = CryptSignHashW(*hash, key->held().keySpec, nullptr, 0, nullptr, &size) != FALSE;
  if (signed_) {
    signature.resize(size);
    signed_ = CryptSignHashW(*hash, key->held().keySpec, nullptr, 0, signature.data(), &size);
  }
  const HRESULT error = signed_ ? S_OK : LastError();
  CryptDestroyHash(*hash);
  if (!signed_) return Failure(error, "signing");
  signature.resize(size);
  return signature;  // the system's signatures are least significant byte first already
}

Result<Done> HashObject::VerifyLeastSignificantFirst(const KeyHandle& publicKey,
                                                     ByteView signature) {
  auto value = Finish();
  if (!value) return value.error();
  auto hash = HashWithValue(publicKey.held().provider, state_->algorithm.id, *value);
  if (!hash) return hash.error();
  const bool verified = CryptVerifySignatureW(*hash, signature.data(),
                                              static_cast<DWORD>(signature.size()),
                                              publicKey.held().key, nullptr, 0) != FALSE;
  CryptDestroyHash(*hash);
  if (!verified) return Failure(NTE_BAD_SIGNATURE, "the signature does not match");
  return Done{};
}

Result<KeyHandle> ImportPublicKey(const CertContext& certificate) {
  HCRYPTPROV provider = VerifyContext();
  if (provider == 0) return Failure(LastError(), "no provider context");
  HCRYPTKEY key = 0;
  if (!CryptImportPublicKeyInfo(provider, X509_ASN_ENCODING,
                                &SystemContextOf(certificate)->pCertInfo->SubjectPublicKeyInfo,
                                &key)) {
    CryptReleaseContext(provider, 0);
    return Failure(CRYPT_E_OSS_ERROR, "public key");
  }
  return KeyHandle(std::make_shared<const KeyHandle::Held>(provider, key, 0));
}


}  // namespace velsor::crypt
