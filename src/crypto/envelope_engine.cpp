#include "crypto/envelope_engine.h"

#include "certs/cert_text.h"
#include "crypto/cert_chain_check.h"
#include "crypto/cert_choice.h"
#include "crypto/engine_stores.h"
#include "crypto/platform_errors.h"
#include "crypto/transport.h"
#include "platform/crypt/enveloped_message.h"
#include "platform/crypt/key_containers.h"

namespace velsor::crypto {
namespace {

using namespace status;

SealedEnvelope EncryptionFailure(HRESULT error) {
  return FailedWith<SealedEnvelope>(MapMessageError(error, kEncryptionFailed), error);
}

OpenedEnvelopeResult DecryptionFailure(HRESULT error, const KeyUse& keyUse) {
  // The user is asked, as when a key exists; only once they allow it does the page
  // learn that none does.
  if (error == CRYPT_E_NO_DECRYPT_CERT && keyUse.approveWithoutKey && !keyUse.approveWithoutKey()) {
    error = HRESULT_ERROR_CANCELLED;
  }
  const std::int32_t status = error == HRESULT_ERROR_CANCELLED
                                  ? kUserCancelled
                                  : MapMessageError(error, kDecryptionFailed, true);
  return FailedWith<OpenedEnvelopeResult>(status, error);
}

// The message leaves as Base64 with line breaks, never compressed.
SealedEnvelope Seal(Result<Bytes> message) {
  if (!message) return EncryptionFailure(message.code());
  PackedMessage packed = PackMessage(std::move(*message), false, 0);
  return {packed.status, std::move(packed.base64)};
}

// Opens the message with the user's "MY" store; `open` is the platform call.
template <class Open>
OpenedEnvelopeResult Unseal(std::optional<std::string_view> message, Open&& open) {
  if (!message) return {kMissingInput};
  UnpackedMessage received = DecodeMessageText(*message);
  if (received.status != 0) return {received.status};
  const EngineStores opened = OpenEngineStores(crypt::kBaseProvider, {u"MY"});
  if (opened.status != 0) return {opened.status};
  return open(received.message, opened.stores.front());
}

}  // namespace

KeyUse KeyUseThrough(ui::DialogHost& dialogs) {
  KeyUse use{.pin = PinPromptOf(dialogs)};
  if (dialogs.Requester().empty()) return use;
  const auto ask = [&dialogs](std::u16string certificate) {
    const ui::ConsentRequest request{
        u"用以下证书的私钥解密发给您的数据 (decrypt data sent to you with the private key of):",
        std::move(certificate)};
    return dialogs.Confirm(request) == ui::DialogOutcome::Done;
  };
  use.approve = [ask](const crypt::CertContext& recipient) {
    return ask(certs::GetCertText(recipient, certs::CertDetail::Subject).value_or(u""));
  };
  use.approveWithoutKey = [ask] {
    return ask(u"（您的证书都不能打开此数据）(none of your certificates opens this message)");
  };
  return use;
}

SealedEnvelope EncryptEnvelope(std::optional<ByteView> content, bool serverMode,
                               std::u16string_view recipientDn, std::u16string_view dnSeparator,
                               const EnvelopeSettings& settings) {
  if (!content) return {kMissingInput};
  const EngineStores opened =
      OpenEngineStores(crypt::kBaseProvider, {u"CA", u"ROOT", u"AddressBOOK"});
  if (opened.status != 0) return {opened.status};
  const crypt::CertContextPtr recipient = ChooseBySubject(
      opened.stores, serverMode, recipientDn, dnSeparator, {.chooser = settings.chooser});
  if (!recipient) return {kNoCertificate};
  SealedEnvelope sealed = Seal(crypt::EnvelopePkcs7(*recipient, settings.symmetricOid, *content));
  if (sealed.status == 0) certs::ExtractCertInfo(recipient.get(), sealed.recipientInfo);
  return sealed;
}

SealedEnvelope SignAndEncryptEnvelope(std::optional<ByteView> content, bool serverMode,
                                      std::u16string_view signerDn, std::u16string_view recipientDn,
                                      std::u16string_view dnSeparator,
                                      const EnvelopeSettings& settings) {
  if (!content) return {kMissingInput};
  const EngineStores opened =
      OpenEngineStores(crypt::kBaseProvider, {u"CA", u"ROOT", u"AddressBOOK", u"MY"});
  if (opened.status != 0) return {opened.status};
  const std::span<const crypt::CertStore> all(opened.stores);
  const crypt::CertContextPtr signer =
      ChooseBySubject(all.subspan(3), serverMode, signerDn, dnSeparator,
                      SignerChoice(settings.signatureKeyOnly, settings.chooser));
  if (!signer) return {kNoCertificate};
  const crypt::CertContextPtr recipient = ChooseBySubject(
      all.first(3), serverMode, recipientDn, dnSeparator, {.chooser = settings.chooser});
  if (!recipient) return {kNoCertificate};
  SealedEnvelope sealed = Seal(crypt::SignAndEnvelopePkcs7(*signer, settings.digestOid, *recipient,
                                                           settings.symmetricOid, *content,
                                                           PinPromptOf(settings.chooser.host)));
  if (sealed.status == 0) {
    certs::ExtractCertInfo(signer.get(), sealed.signerInfo);
    certs::ExtractCertInfo(recipient.get(), sealed.recipientInfo);
  }
  return sealed;
}

SealedEnvelope EncryptFileForCertificate(std::optional<ByteView> content,
                                         std::string_view certificateBase64,
                                         std::string_view symmetricOid) {
  if (!content) return {kMissingInput};
  UnpackedMessage decoded = DecodeMessageText(certificateBase64);
  if (decoded.status != 0) return {decoded.status};
  auto recipient = crypt::CertContext::FromEncoded(decoded.message);
  if (!recipient) return {kCertificateUndecodable};
  return Seal(crypt::EnvelopePkcs7(**recipient, symmetricOid, *content));
}

OpenedEnvelopeResult DecryptEnvelope(std::optional<std::string_view> message,
                                     const KeyUse& keyUse) {
  return Unseal(message, [&](ByteView received, const crypt::CertStore& personal) {
    auto envelope = crypt::OpenEnvelopePkcs7(received, personal, keyUse.approve, keyUse.pin);
    if (!envelope) return DecryptionFailure(envelope.code(), keyUse);
    OpenedEnvelopeResult result{0, std::move(envelope->content)};
    certs::ExtractCertInfo(envelope->recipient.get(), result.recipientInfo);
    return result;
  });
}

OpenedEnvelopeResult DecryptAndVerifyEnvelope(std::optional<std::string_view> message,
                                              const KeyUse& keyUse) {
  return Unseal(message, [&](ByteView received, const crypt::CertStore& personal) {
    auto envelope = crypt::OpenSignedEnvelopePkcs7(received, personal, keyUse.approve, keyUse.pin);
    if (!envelope) return DecryptionFailure(envelope.code(), keyUse);
    OpenedEnvelopeResult result{0, std::move(envelope->content)};
    if (!envelope->signer) return OpenedEnvelopeResult{kNoSignerCertificate, result.content};
    result.status = CheckCertChain(*envelope->signer, kCheckAll);
    if (result.status != 0) return result;
    certs::ExtractCertInfo(envelope->signer.get(), result.signerInfo);
    certs::ExtractCertInfo(envelope->recipient.get(), result.recipientInfo);
    return result;
  });
}

}  // namespace velsor::crypto
