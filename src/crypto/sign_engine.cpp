#include "crypto/sign_engine.h"

#include "certs/cert_text.h"
#include "crypto/platform_errors.h"
#include "crypto/transport.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/signed_message.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypto {
namespace {

using namespace status;

crypt::CertContextPtr Choose(std::span<const crypt::CertStore> stores,
                             const SignSettings& settings) {
  return settings.signatureKeyOnly ? certs::ChooseSignCert(stores, settings.chooser)
                                   : certs::ChooseCert(stores, settings.chooser);
}

crypt::CertContextPtr BySubject(std::span<const crypt::CertStore> stores, bool serverMode,
                                std::u16string_view dn, std::u16string_view separator,
                                const SignSettings& settings) {
  if (serverMode) return certs::FindCertBySubject(stores, dn, separator);
  const auto family =
      settings.signatureKeyOnly ? certs::KeyFamily::Signature : certs::KeyFamily::Plain;
  bool found = false;
  auto chosen =
      certs::SelectCertBySubject(stores, dn, separator, found, false, settings.chooser, family);
  // Only when nothing matched is the DN tried again with its RDNs the other way round; a
  // cancelled chooser is the user's answer.
  if (!chosen && !found) {
    chosen = certs::SelectCertBySubject(stores, certs::ReverseDnOrder(dn), separator, found, true,
                                        settings.chooser, family);
  }
  return chosen;
}

crypt::CertContextPtr BySerial(std::span<const crypt::CertStore> stores,
                               std::u16string_view serials, std::u16string_view issuerDn,
                               const SignSettings& settings) {
  const auto family =
      settings.signatureKeyOnly ? certs::KeyFamily::Signature : certs::KeyFamily::Plain;
  auto chosen =
      certs::SelectCertByIssuerSerial(stores, serials, issuerDn, settings.chooser, family);
  if (!chosen) {
    chosen = certs::SelectCertByIssuerSerial(stores, serials, certs::ReverseDnOrder(issuerDn),
                                             settings.chooser, family);
  }
  return chosen;
}

// The steps both operations share, around the choice of the signer.
template <class ChooseSigner>
SignResult Sign(std::optional<ByteView> content, const SignSettings& settings,
                ChooseSigner&& chooseSigner) {
  if (!content) return {kMissingInput};
  auto database = crypt::OpenCertStoreDatabase();
  if (database && crypt::AcquireDefaultContext(crypt::MS_ENHANCED_PROV, *database) ==
                      crypt::DefaultContext::Unavailable) {
    return {kNoProviderContext};
  }
  auto store = crypt::CertStore::Open(u"MY", database ? *database : nullptr);
  if (!store) return {kStoreUnavailable};
  const std::vector<crypt::CertStore> stores{std::move(*store)};
  const crypt::CertContextPtr signer = chooseSigner(std::span<const crypt::CertStore>(stores));
  if (!signer) return {kNoCertificate};

  auto message = crypt::SignPkcs7(*signer, settings.digestOid, *content, settings.detached);
  if (!message) {
    SignResult failed{MapMessageError(message.code(), kSigningFailed)};
    failed.lastError = message.code();
    return failed;
  }
  PackedMessage packed =
      PackMessage(std::move(*message), !settings.detached, settings.compressThreshold);
  if (packed.status != 0) return {packed.status};
  SignResult result{0, std::move(packed.base64)};
  certs::ExtractCertInfo(signer.get(), &result.signerInfo);
  return result;
}

}  // namespace

SignResult SignMessage(std::optional<ByteView> content, bool serverMode,
                       std::u16string_view signerDn, std::u16string_view dnSeparator,
                       const SignSettings& settings) {
  return Sign(content, settings, [&](std::span<const crypt::CertStore> stores) {
    return signerDn.empty() ? Choose(stores, settings)
                            : BySubject(stores, serverMode, signerDn, dnSeparator, settings);
  });
}

SignResult SignMessageBySerial(std::optional<ByteView> content, std::u16string_view serialNumbers,
                               std::u16string_view issuerDn, const SignSettings& settings) {
  return Sign(content, settings, [&](std::span<const crypt::CertStore> stores) {
    return serialNumbers.empty() ? Choose(stores, settings)
                                 : BySerial(stores, serialNumbers, issuerDn, settings);
  });
}

}  // namespace velsor::crypto
