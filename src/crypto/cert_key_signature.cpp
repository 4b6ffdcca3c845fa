#include "crypto/cert_key_signature.h"

#include <algorithm>

#include "crypto/engine_stores.h"
#include "platform/crypt/hash_object.h"
#include "platform/crypt/key_prov_info.h"

namespace velsor::crypto {
namespace {

using namespace status;

KeyOperation Failed(std::int32_t status, HRESULT error) { return {status, {}, error}; }

bool IsSmartCardError(HRESULT error) {
  return (static_cast<std::uint32_t>(error) & 0xFFFF0000u) == 0x80100000u;
}

std::int32_t SigningFailure(HRESULT error, bool smartCardCodes) {
  if (smartCardCodes && error == SCARD_W_CANCELLED_BY_USER) return kSmartCardCancelled;
  if (smartCardCodes && error == SCARD_F_WAITED_TOO_LONG) return kSmartCardTimedOut;
  return kHashSigningFailed;
}

}  // namespace

LinkedKey OpenLinkedKey(const crypt::CertContext& certificate) {
  const auto stored = certificate.Property(crypt::CERT_KEY_PROV_INFO_PROP_ID);
  if (!stored) return {kNoKeyProvInfo};
  const auto link = crypt::DecodeKeyProvInfo(*stored);
  if (!link) return {kKeyProvInfoUnreadable};
  auto provider =
      crypt::CryptProvider::Acquire(std::u16string_view(link->containerName), link->providerName,
                                    crypt::PROV_RSA_FULL, 0, certificate.database());
  if (!provider) return {kNoProviderContext, std::nullopt, 0, provider.code()};
  return {0, std::move(*provider), link->keySpec};
}

KeyOperation HashAndSign(std::string_view digestOid, ByteView content,
                         const Result<crypt::KeyHandle>& key, bool smartCardCodes) {
  auto hash = crypt::HashObject::Create(digestOid);
  if (!hash) return Failed(kNoHashObject, hash.code());
  if (auto hashed = hash->Update(content); !hashed) return Failed(kHashingFailed, hashed.code());
  // A token reports its own failure (no card, PIN dialog, PIN) where the platform's
  // signing call would; a software key that cannot be read signs with none, as ever.
  if (!key && IsSmartCardError(key.code())) {
    return Failed(SigningFailure(key.code(), true), key.code());
  }
  auto signature = hash->SignLeastSignificantFirst(key ? &*key : nullptr);
  if (!signature) return Failed(SigningFailure(signature.code(), smartCardCodes), signature.code());
  std::reverse(signature->begin(), signature->end());
  return {0, std::move(*signature)};
}

KeyOperation HashAndVerify(std::string_view digestOid, ByteView content,
                           const crypt::CertContext& signer, ByteView signature) {
  auto publicKey = crypt::ImportPublicKey(signer);
  if (!publicKey) return Failed(kPublicKeyUnimportable, publicKey.code());
  auto hash = crypt::HashObject::Create(digestOid);
  if (!hash) return Failed(kNoHashObject, hash.code());
  if (auto hashed = hash->Update(content); !hashed) return Failed(kHashingFailed, hashed.code());
  const Bytes leastSignificantFirst(signature.rbegin(), signature.rend());
  if (auto verified = hash->VerifyLeastSignificantFirst(*publicKey, leastSignificantFirst);
      !verified) {
    return Failed(kRawSignatureMismatch, verified.code());
  }
  return {};
}

KeyOperation SignWithCertKey(const crypt::CertContext& certificate, std::string_view digestOid,
                             ByteView content, const PinPrompt& pin) {
  LinkedKey linked = OpenLinkedKey(certificate);
  if (linked.status != 0) return {linked.status, {}, linked.lastError};
  return HashAndSign(digestOid, content, linked.provider->PrivateKey(linked.keySpec, pin), true);
}

KeyOperation VerifyWithCertKey(ByteView content, const crypt::CertContext& certificate,
                               std::string_view digestOid, ByteView signature) {
  const EngineStores context = OpenEngineStores(crypt::kEnhancedProvider, {});
  if (context.status != 0) return {context.status};
  return HashAndVerify(digestOid, content, certificate, signature);
}

}  // namespace velsor::crypto
