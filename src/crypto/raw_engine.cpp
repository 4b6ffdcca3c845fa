#include "crypto/raw_engine.h"

#include "certs/cert_text.h"
#include "crypto/cert_chain_check.h"
#include "crypto/cert_choice.h"
#include "crypto/cert_key_signature.h"
#include "crypto/engine_stores.h"
#include "crypto/platform_errors.h"
#include "crypto/transport.h"
#include "formats/base64.h"
#include "platform/crypt/hash_object.h"
#include "platform/crypt/key_containers.h"

namespace velsor::crypto {
namespace {

using namespace status;

// The key the certificate is linked to, from its own container. A certificate without a
// link signs on the default container, which holds no key pair of its own: without that
// context there is no hash object, with it a null key that the signature fails.
struct SigningKey {
  std::int32_t status = 0;
  bool withContext = true;
  Result<crypt::KeyHandle> key = Failure(NTE_NO_KEY, "no key");
};
SigningKey KeyToSignWith(const crypt::CertContext& signer, bool defaultContext,
                         const PinPrompt& pin) {
  LinkedKey linked = OpenLinkedKey(signer);
  if (linked.status == kNoKeyProvInfo) {
    auto fallback = crypt::CryptProvider::Acquire(std::nullopt, crypt::kEnhancedProvider,
                                                  crypt::PROV_RSA_FULL, 0, signer.database());
    if (!defaultContext || !fallback) return {0, false};
    linked.provider = std::move(*fallback);
    linked.keySpec = crypt::AT_SIGNATURE;
  } else if (linked.status != 0) {
    return {linked.status};
  }
  return {0, true, linked.provider->PrivateKey(linked.keySpec, pin)};
}

}  // namespace

SignResult RawSign(std::optional<ByteView> content, bool serverMode, std::u16string_view signerDn,
                   std::u16string_view dnSeparator, const RawSettings& settings) {
  if (!content) return {kMissingInput};
  const ChosenSigner chosen = ChooseSignerBySubject(serverMode, signerDn, dnSeparator,
                                                    settings.signatureKeyOnly, settings.chooser);
  if (chosen.status != 0) return {chosen.status};
  const crypt::CertContextPtr& signer = chosen.certificate;
  SigningKey signing =
      KeyToSignWith(*signer, chosen.withContext, PinPromptOf(settings.chooser.host));
  if (signing.status != 0) return {signing.status};
  if (!signing.withContext) {
    return FailedWith<SignResult>(kNoHashObject, NTE_BAD_KEYSET);
  }
  KeyOperation signature = HashAndSign(settings.digestOid, *content, signing.key);
  if (signature.status != 0) {
    return FailedWith<SignResult>(signature.status, signature.lastError);
  }
  PackedMessage packed = PackMessage(std::move(signature.signature), false, 0);
  if (packed.status != 0) return {packed.status};
  SignResult result{0, std::move(packed.base64)};
  certs::ExtractCertInfo(signer.get(), result.signerInfo);
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
  const EngineStores opened =
      OpenEngineStores(crypt::kEnhancedProvider, {u"CA", u"ROOT", u"AddressBOOK"});
  if (opened.status != 0) return {opened.status};
  const crypt::CertContextPtr signer = ChooseBySubject(opened.stores, serverMode, signerDn,
                                                       dnSeparator, {.chooser = settings.chooser});
  if (!signer) return {kNoCertificate};
  if (const std::int32_t status = CheckCertChain(*signer, kCheckAll); status != 0) return {status};

  const KeyOperation verified =
      HashAndVerify(settings.digestOid, *content, *signer, signature.message);
  VerifyResult result{verified.status};
  result.lastError = verified.lastError;
  if (verified.status != 0) return result;
  certs::ExtractCertInfo(signer.get(), result.signerInfo);
  return result;
}

Result<std::string> HashAndEncode(std::optional<ByteView> content, std::string_view digestOid) {
  if (!content) return Failure(kMissingInput, "no content");
  auto digest = crypt::HashMessage(digestOid, *content);
  if (!digest) return Failure(kDecryptionFailed, "no digest");
  Result<std::string> text = formats::Base64Encode(*digest);
  if (!text) return Failure(kBase64EncodeFailed, text.error().detail);
  return text;
}

}  // namespace velsor::crypto
