#include "crypto/sign_engine.h"

#include "certs/cert_text.h"
#include "crypto/cert_choice.h"
#include "crypto/engine_stores.h"
#include "crypto/platform_errors.h"
#include "crypto/transport.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/signed_message.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypto {
namespace {

using namespace status;

ChoiceRule SignerRule(const SignSettings& settings) {
  return SignerChoice(settings.signatureKeyOnly, settings.chooser);
}

// The steps both operations share, around the choice of the signer.
template <class ChooseSigner>
SignResult Sign(std::optional<ByteView> content, const SignSettings& settings,
                ChooseSigner&& chooseSigner) {
  if (!content) return {kMissingInput};
  const crypt::UserDataSnapshot snapshot;
  const ChosenSigner chosen = ChooseSignerInPersonalStore(chooseSigner);
  if (chosen.status != 0) return {chosen.status};
  const crypt::CertContextPtr& signer = chosen.certificate;

  auto message = crypt::SignPkcs7(*signer, settings.digestOid, *content, settings.detached,
                                  PinPromptOf(settings.chooser.host));
  if (!message) {
    return FailedWith<SignResult>(MapMessageError(message.code(), kSigningFailed), message.code());
  }
  PackedMessage packed =
      PackMessage(std::move(*message), !settings.detached, settings.compressThreshold);
  if (packed.status != 0) return {packed.status};
  SignResult result{0, std::move(packed.base64)};
  certs::ExtractCertInfo(signer.get(), result.signerInfo);
  return result;
}

}  // namespace

SignResult SignMessage(std::optional<ByteView> content, bool serverMode,
                       std::u16string_view signerDn, std::u16string_view dnSeparator,
                       const SignSettings& settings) {
  return Sign(content, settings, [&](std::span<const crypt::CertStore> stores) {
    return ChooseBySubject(stores, serverMode, signerDn, dnSeparator, SignerRule(settings));
  });
}

SignResult SignMessageBySerial(std::optional<ByteView> content, std::u16string_view serialNumbers,
                               std::u16string_view issuerDn, const SignSettings& settings) {
  return Sign(content, settings, [&](std::span<const crypt::CertStore> stores) {
    return ChooseByIssuerSerial(stores, serialNumbers, issuerDn, SignerRule(settings));
  });
}

}  // namespace velsor::crypto
