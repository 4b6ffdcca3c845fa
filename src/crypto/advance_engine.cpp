#include "crypto/advance_engine.h"

#include "certs/cert_text.h"
#include "crypto/cert_chain_check.h"
#include "crypto/cert_choice.h"
#include "crypto/cert_key_signature.h"
#include "crypto/engine_stores.h"
#include "crypto/platform_errors.h"
#include "crypto/signed_data_codec.h"
#include "crypto/transport.h"

namespace velsor::crypto {
using namespace status;

SignResult AdvanceSign(std::optional<ByteView> content, bool serverMode,
                       std::u16string_view signerDn, std::u16string_view dnSeparator,
                       const SignSettings& settings) {
  if (!content) return {kMissingInput};
  const ChosenSigner chosen = ChooseSignerBySubject(serverMode, signerDn, dnSeparator,
                                                    settings.signatureKeyOnly, settings.chooser);
  if (chosen.status != 0) return {chosen.status};
  const crypt::CertContextPtr& signer = chosen.certificate;

  KeyOperation signature =
      SignWithCertKey(*signer, settings.digestOid, *content, PinPromptOf(settings.chooser.host));
  if (signature.status != 0) {
    return FailedWith<SignResult>(signature.status, signature.lastError);
  }
  BuiltSignedData built = BuildSignedData(settings.detached, *content, *signer, settings.digestOid,
                                          signature.signature);
  if (built.status != 0) return {built.status};
  PackedMessage packed = PackMessage(std::move(built.message), true, settings.compressThreshold);
  if (packed.status != 0) return {packed.status};
  SignResult result{0, std::move(packed.base64)};
  certs::ExtractCertInfo(signer.get(), result.signerInfo);
  return result;
}

VerifyResult AdvanceVerify(std::optional<std::string_view> message, VerifyMode mode,
                           std::optional<ByteView> content) {
  if (!message) return {kMissingInput};
  UnpackedMessage received = UnpackMessage(*message);
  if (received.status != 0) return {received.status};
  const bool attached = mode == VerifyMode::Attached;
  ParsedSignedData parsed = ParseSignedData(received.message, attached);
  if (parsed.status != 0) return {parsed.status};
  const ByteView signedContent = attached ? ByteView(parsed.content) : content.value_or(ByteView());
  const KeyOperation verified =
      VerifyWithCertKey(signedContent, *parsed.certificate, parsed.digestOid, parsed.signature);
  if (verified.status != 0) {
    return FailedWith<VerifyResult>(verified.status, verified.lastError);
  }
  VerifyResult result{0};
  if (attached) result.content = std::move(parsed.content);
  result.status = CheckCertChain(*parsed.certificate, kCheckAll);
  if (result.status != 0) return result;
  certs::ExtractCertInfo(parsed.certificate.get(), result.signerInfo);
  return result;
}

}  // namespace velsor::crypto
