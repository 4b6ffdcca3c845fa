#include "crypto/raw_engine.h"

#include <algorithm>
#include <limits>

#include "certs/cert_text.h"
#include "crypto/cert_chain_check.h"
#include "crypto/cert_choice.h"
#include "crypto/engine_stores.h"
#include "crypto/transport.h"
#include "formats/base64.h"
#include "platform/crypt/algorithm_oids.h"
#include "platform/crypt/hash_object.h"
#include "platform/crypt/key_containers.h"

namespace velsor::crypto {
namespace {

using namespace status;

template <class Result>
Result Failed(std::int32_t status, HRESULT error) {
  Result failed{status};
  failed.lastError = error;
  return failed;
}

// The key the certificate is linked to, from its own container. A certificate without a
// link signs on the default container, which holds no key pair of its own; nothing then
// means the hash object cannot be made, a null key that the signature fails.
struct SigningKey {
  std::int32_t status = 0;
  bool withContext = true;
  crypt::EvpPkeyPtr key{};
};
SigningKey KeyOf(const crypt::CryptProvider& provider, DWORD keySpec) {
  auto key = provider.PrivateKey(keySpec);
  return {0, true, key ? std::move(*key) : nullptr};
}

SigningKey KeyToSignWith(const crypt::CertContext& signer, bool defaultContext) {
  DWORD keySpec = crypt::AT_SIGNATURE;
  if (const std::int32_t status = certs::GetCertKeySpec(signer, keySpec); status != 0) {
    return {status};
  }
  if (const auto link = signer.KeyProviderInfo()) {
    auto provider =
        crypt::CryptProvider::Acquire(std::u16string_view(link->containerName), link->providerName,
                                      crypt::PROV_RSA_FULL, 0, signer.database());
    if (!provider) return {kNoProviderContext};
    return KeyOf(*provider, keySpec);
  }
  if (!defaultContext) return {0, false};
  auto provider = crypt::CryptProvider::Acquire(std::nullopt, crypt::MS_ENHANCED_PROV,
                                                crypt::PROV_RSA_FULL, 0, signer.database());
  if (!provider) return {0, false};
  return KeyOf(*provider, keySpec);
}

// The length of the Base64 text of the digest named, 0 for an unknown one.
std::int32_t DigestTextLength(std::string_view digestOid) {
  const EVP_MD* digest = crypt::DigestForOid(digestOid);
  if (digest == nullptr) return 0;
  const Bytes value(static_cast<std::size_t>(EVP_MD_get_size(digest)));
  std::int32_t length = 0;
  formats::Base64Encode(value, {}, length, formats::kBase64LineBreaks);
  return length;
}

}  // namespace

SignResult RawSign(std::optional<ByteView> content, bool serverMode, std::u16string_view signerDn,
                   std::u16string_view dnSeparator, const RawSettings& settings) {
  if (!content) return {kMissingInput};
  const EngineStores opened = OpenEngineStores(crypt::MS_ENHANCED_PROV, {u"MY"});
  if (opened.status != 0) return {opened.status};
  const ChoiceRule rule{
      settings.signatureKeyOnly ? certs::KeyFamily::Signature : certs::KeyFamily::Plain,
      settings.chooser};
  const crypt::CertContextPtr signer =
      ChooseBySubject(opened.stores, serverMode, signerDn, dnSeparator, rule);
  if (!signer) return {kNoCertificate};
  SigningKey signing = KeyToSignWith(*signer, opened.withContext);
  if (signing.status != 0) return {signing.status};
  if (!signing.withContext) return Failed<SignResult>(kNoHashObject, NTE_BAD_KEYSET);

  auto hash = crypt::HashObject::Create(settings.digestOid);
  if (!hash) return Failed<SignResult>(kNoHashObject, hash.code());
  if (auto hashed = hash->Update(*content); !hashed) {
    return Failed<SignResult>(kHashingFailed, hashed.code());
  }
  auto signature = hash->SignLeastSignificantFirst(signing.key.get());
  if (!signature) return Failed<SignResult>(kHashSigningFailed, signature.code());
  std::reverse(signature->begin(), signature->end());
  PackedMessage packed = PackMessage(std::move(*signature), false, 0);
  if (packed.status != 0) return {packed.status};
  SignResult result{0, std::move(packed.base64)};
  certs::ExtractCertInfo(signer.get(), &result.signerInfo);
  return result;
}

VerifyResult RawVerify(std::optional<std::string_view> signatureBase64, bool serverMode,
                       std::optional<ByteView> content, std::u16string_view signerDn,
                       std::u16string_view dnSeparator, const RawSettings& settings) {
  if (!signatureBase64 || !content || signatureBase64->empty() || content->empty()) {
    return {kMissingInput};
  }
  UnpackedMessage signature = DecodeMessageText(*signatureBase64);
  if (signature.status != 0) return {signature.status};
  std::reverse(signature.message.begin(), signature.message.end());
  const EngineStores opened =
      OpenEngineStores(crypt::MS_ENHANCED_PROV, {u"CA", u"ROOT", u"AddressBOOK"});
  if (opened.status != 0) return {opened.status};
  const crypt::CertContextPtr signer =
      ChooseBySubject(opened.stores, serverMode, signerDn, dnSeparator, {.chooser = settings.chooser});
  if (!signer) return {kNoCertificate};
  if (const std::int32_t status = CheckCertChain(*signer, kCheckAll); status != 0) return {status};

  auto publicKey = crypt::ImportPublicKey(*signer);
  if (!publicKey) return Failed<VerifyResult>(kPublicKeyUnimportable, publicKey.code());
  auto hash = crypt::HashObject::Create(settings.digestOid);
  if (!hash) return Failed<VerifyResult>(kNoHashObject, hash.code());
  if (auto hashed = hash->Update(*content); !hashed) {
    return Failed<VerifyResult>(kHashingFailed, hashed.code());
  }
  if (auto verified = hash->VerifyLeastSignificantFirst(**publicKey, signature.message);
      !verified) {
    return Failed<VerifyResult>(kRawSignatureMismatch, verified.code());
  }
  VerifyResult result{0};
  certs::ExtractCertInfo(signer.get(), &result.signerInfo);
  return result;
}

std::int32_t HashAndEncode(std::optional<ByteView> content, std::optional<std::span<char>> output,
                           std::int32_t& outputLength, std::string_view digestOid) {
  if (!content) return kMissingInput;
  if (!output) {
    // The content length plus 80, as callers have always been told, but never less than
    // the text of the digest: 90 bytes for SHA-512 while the content is short.
    const auto answer = std::max<std::int64_t>(
        static_cast<std::int64_t>(std::min<std::size_t>(content->size(), INT32_MAX)) + 80,
        DigestTextLength(digestOid));
    outputLength = static_cast<std::int32_t>(std::min<std::int64_t>(answer, INT32_MAX));
    return 0;
  }
  auto digest = crypt::HashMessage(digestOid, *content);
  if (!digest) return kDecryptionFailed;
  std::int32_t length = 0;
  if (formats::Base64Encode(*digest, *output, length, formats::kBase64LineBreaks) !=
      formats::kBase64Ok) {
    return kBase64EncodeFailed;
  }
  outputLength = length;
  return 0;
}

}  // namespace velsor::crypto
