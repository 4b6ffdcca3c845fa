// The members that take signed and enveloped messages apart, and the one that makes an
// envelope.

#include "control/cert_info_store.h"
#include "control/code_page_text.h"
#include "control/dn_checks.h"
#include "control/engine_inputs.h"
#include "control/method_frame.h"
#include "control/tolvane_velsor.h"
#include "crypto/advance_engine.h"
#include "crypto/envelope_engine.h"
#include "crypto/raw_engine.h"
#include "crypto/verify_engine.h"
#include "platform/codepage/codepage.h"

namespace velsor {

using control::CertDetailSets;
using control::ControlState;
using control::FrameRules;
using control::MethodFrame;
namespace messages = control::messages;

namespace {

std::string Message(const ControlState& state, BSTR text) {
  return control::ArgumentContent(state, text, messages::kCharsetConversionFailed);
}

// An attached verification: the signer's details and the content are kept. With
// `wideChecks` the page's text is read where it lies when it can be; otherwise `verify`
// takes its conversion.
template <class Verify>
HRESULT VerifyAttached(ControlState& state, BSTR signedMsg,
                       std::optional<crypto::VerifyChecks> wideChecks, Verify&& verify) {
  return MethodFrame(state, {CertDetailSets::Signer}, nullptr).Run([&] {
    std::optional<crypto::VerifyResult> read;
    if (wideChecks && codepage::KeepsAscii(state.codePage)) {
      read = crypto::VerifyWideAttached(BstrView(signedMsg), *wideChecks);
    }
    crypto::VerifyResult result = read ? std::move(*read) : verify(Message(state, signedMsg));
    control::RaiseIfEngineFailed(result.status, result.lastError, messages::kVerificationFailed);
    control::StoreCertInfo(state.signerCertInfo, std::move(result.signerInfo));
    state.extractedPlainText.reset();
    state.extractedPlainText = std::move(result.content);
  });
}

void KeepSigner(ControlState& state, crypto::VerifyResult result) {
  control::RaiseIfEngineFailed(result.status, result.lastError, messages::kVerificationFailed);
  control::StoreCertInfo(state.signerCertInfo, std::move(result.signerInfo));
}

// An opened envelope: the details named and the content are kept.
template <class Open>
HRESULT OpenEnvelope(ControlState& state, BSTR envelope, CertDetailSets fills, Open&& open) {
  return MethodFrame(state, {fills}, nullptr).Run([&] {
    const std::string message = Message(state, envelope);
    crypto::OpenedEnvelopeResult opened = open(message);
    control::RaiseIfEngineFailed(opened.status, opened.lastError, messages::kEnvelopeOpeningFailed);
    if (fills == CertDetailSets::SignerAndRecipient) {
      control::StoreCertInfo(state.signerCertInfo, std::move(opened.signerInfo));
    }
    control::StoreCertInfo(state.reciptCertInfo, std::move(opened.recipientInfo));
    state.extractedPlainText = std::move(opened.content).value_or(Bytes());
  });
}

}  // namespace

HRESULT CTolvaneVelsor::VLAttachedVerify(BSTR signedMsg) {
  return VerifyAttached(state_, signedMsg, crypto::VerifyChecks::All, [](std::string&& message) {
    return crypto::VerifyAndReleaseMessage(std::move(message), crypto::VerifyMode::Attached);
  });
}

HRESULT CTolvaneVelsor::VLAfterwardsVerify(BSTR signedMsg) {
  return VerifyAttached(state_, signedMsg, crypto::VerifyChecks::Afterwards,
                        [](std::string_view message) { return crypto::VerifyAfterwards(message); });
}

HRESULT CTolvaneVelsor::VLAdvanceAttachedVerify(BSTR signedMsg) {
  return VerifyAttached(state_, signedMsg, std::nullopt, [](std::string_view message) {
    return crypto::AdvanceVerify(message, crypto::VerifyMode::Attached);
  });
}

HRESULT CTolvaneVelsor::VLDetachedVerify(BSTR signedMsg, BSTR plainText) {
  return MethodFrame(state_, {CertDetailSets::Signer}, nullptr).Run([&] {
    const std::string content = Message(state_, plainText);
    const std::string message = Message(state_, signedMsg);
    KeepSigner(state_, crypto::VerifySignedMessage(message, crypto::VerifyMode::Detached,
                                                   AsBytes(content)));
  });
}

HRESULT CTolvaneVelsor::VLAdvanceDetachedVerify(BSTR signedMsg, BSTR plainText) {
  return MethodFrame(state_, {CertDetailSets::Signer}, nullptr).Run([&] {
    const std::string message = Message(state_, signedMsg);
    const std::string content = Message(state_, plainText);
    KeepSigner(state_,
               crypto::AdvanceVerify(message, crypto::VerifyMode::Detached, AsBytes(content)));
  });
}

HRESULT CTolvaneVelsor::VLRawVerify(BSTR signedMsg, BSTR deSignerDN, BSTR plainText) {
  return MethodFrame(state_, {CertDetailSets::Signer}, nullptr).Run([&] {
    const std::string content = Message(state_, plainText);
    const std::string signature = Message(state_, signedMsg);
    const std::u16string_view dn = BstrView(deSignerDN);
    const bool given = control::CheckSubjectDn(state_, dn);
    const control::ChooserContext chooser(state_);
    const crypto::RawSettings settings{state_.digestAlgOid, false, chooser.setting()};
    KeepSigner(state_,
               crypto::RawVerify(signature, state_.serverMode, AsBytes(content),
                                 given ? dn : std::u16string_view(), state_.DNspliter, settings));
  });
}

HRESULT CTolvaneVelsor::VLEncryptedEnvelop(BSTR deReciptDN, BSTR* pVal) {
  const FrameRules rules{CertDetailSets::Recipient, true};
  return MethodFrame(state_, rules, pVal).Run([&] {
    const std::string content = control::TakePendingContent(state_);
    const std::u16string_view dn = BstrView(deReciptDN);
    const bool given =
        control::CheckSubjectDn(state_, dn, {.requiredInServerMode = messages::kSourceEmpty});
    const control::ChooserContext chooser(state_);
    const crypto::EnvelopeSettings settings{.symmetricOid = state_.symmetricAlgOid,
                                            .chooser = chooser.setting()};
    crypto::SealedEnvelope sealed =
        crypto::EncryptEnvelope(AsBytes(content), state_.serverMode,
                                given ? dn : std::u16string_view(), state_.DNspliter, settings);
    control::RaiseIfEngineFailed(sealed.status, sealed.lastError, messages::kEncryptionFailed);
    control::StoreCertInfo(state_.reciptCertInfo, std::move(sealed.recipientInfo));
    return Bstr::FromAscii(sealed.base64);
  });
}

HRESULT CTolvaneVelsor::VLDecryptEnvelop(BSTR envelopedMsg) {
  return OpenEnvelope(
      state_, envelopedMsg, CertDetailSets::Recipient, [this](std::string_view message) {
        return crypto::DecryptEnvelope(message, crypto::KeyUseThrough(control::DialogsOf(state_)));
      });
}

HRESULT CTolvaneVelsor::VLDecryptedAndVerifiedEnvelop(BSTR signedAndEnvelopedMsg) {
  return OpenEnvelope(state_, signedAndEnvelopedMsg, CertDetailSets::SignerAndRecipient,
                      [this](std::string_view message) {
                        return crypto::DecryptAndVerifyEnvelope(
                            message, crypto::KeyUseThrough(control::DialogsOf(state_)));
                      });
}

}  // namespace velsor
