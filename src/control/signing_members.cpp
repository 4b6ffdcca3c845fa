// The twenty members that sign: PKCS#7 signatures chosen by DN or serial number, raw
// signatures, hand-assembled signatures and signed-and-enveloped messages.

#include "control/cert_info_store.h"
#include "control/code_page_text.h"
#include "control/dn_checks.h"
#include "control/engine_inputs.h"
#include "control/method_frame.h"
#include "control/tolvane_velsor.h"
#include "crypto/advance_engine.h"
#include "crypto/envelope_engine.h"
#include "crypto/raw_engine.h"
#include "crypto/sign_engine.h"

namespace velsor {

using control::CertDetailSets;
using control::ControlState;
using control::FrameRules;
using control::MethodFrame;
using control::Raise;
namespace messages = control::messages;

namespace {

// The issuer of the serial-number members when the page names none.
constexpr std::u16string_view kFixedIssuerDn = u"O=VizevIrori, OU=config, CN=VOVA";

enum class Data { Pending, Argument };
enum class Form { Attached, Detached };
enum class KeySpec { Any, SignatureOnly };

// Returns the engine's text as the method's result, or raises its failure. The text is
// Base64, ASCII in every code page, so it is widened as it stands.
Bstr Finish(ControlState& state, crypto::SignResult result, std::u16string_view failure) {
  control::RaiseIfEngineFailed(result.status, result.lastError, failure);
  control::StoreCertInfo(state.signerCertInfo, std::move(result.signerInfo));
  return Bstr::FromAscii(result.base64);
}

// A member that consumes the pending text takes it rather than copying it.
std::string Content(ControlState& state, Data data, BSTR plainText, bool consumes) {
  if (data == Data::Argument) {
    return control::ArgumentContent(state, plainText, messages::kCharsetConversionFailed);
  }
  return consumes ? control::TakePendingContent(state) : control::PendingContent(state);
}

crypto::SignSettings Settings(const ControlState& state, Form form, KeySpec keySpec,
                              const control::ChooserContext& chooser) {
  return {form == Form::Detached, state.MaxCompSize, state.digestAlgOid,
          keySpec == KeySpec::SignatureOnly, chooser.setting()};
}

// The members that choose the signer by subject DN; `engine` is SignMessage or
// AdvanceSign, which take the same arguments.
template <class Engine>
HRESULT SignBySubject(ControlState& state, BSTR* pVal, Data data, BSTR plainText, BSTR dnArgument,
                      Form form, KeySpec keySpec, bool consumes,
                      std::u16string_view requiredInServerMode, Engine&& engine) {
  const FrameRules rules{CertDetailSets::Signer, consumes};
  return MethodFrame(state, rules, pVal).Run([&] {
    std::string content = Content(state, data, plainText, consumes);
    const std::u16string_view dn = BstrView(dnArgument);
    const bool given =
        control::CheckSubjectDn(state, dn, {.requiredInServerMode = requiredInServerMode});
    const control::ChooserContext chooser(state);
    crypto::SignResult result =
        engine(AsBytes(content), state.serverMode, given ? dn : std::u16string_view(),
               std::u16string_view(state.DNspliter), Settings(state, form, keySpec, chooser));
    // The content goes before the result is widened for the page.
    std::string().swap(content);
    return Finish(state, std::move(result), messages::kSigningFailed);
  });
}

HRESULT AttachedOrDetached(ControlState& state, BSTR* pVal, Data data, BSTR plainText, BSTR dn,
                           Form form, KeySpec keySpec, bool consumes,
                           std::u16string_view requiredInServerMode) {
  return SignBySubject(state, pVal, data, plainText, dn, form, keySpec, consumes,
                       requiredInServerMode, crypto::SignMessage);
}

HRESULT Advance(ControlState& state, BSTR* pVal, Data data, BSTR plainText, BSTR dn, Form form,
                KeySpec keySpec) {
  return SignBySubject(state, pVal, data, plainText, dn, form, keySpec, true,
                       messages::kDefaultDnRequired, crypto::AdvanceSign);
}

enum class Issuer { Given, Fixed };

// The eight members that choose the signer by serial number.
HRESULT SignBySerial(ControlState& state, BSTR* pVal, Data data, BSTR plainText,
                     BSTR serialArgument, BSTR issuerArgument, Form form, KeySpec keySpec,
                     Issuer issuerRule, std::u16string_view issuerTooLong) {
  const FrameRules rules{CertDetailSets::Signer, true};
  return MethodFrame(state, rules, pVal).Run([&] {
    const std::string content = Content(state, data, plainText, rules.consumesPendingPlainText);
    const std::u16string_view serial = BstrView(serialArgument);
    std::u16string_view issuer = kFixedIssuerDn;
    if (issuerRule == Issuer::Given) {
      const std::u16string_view given = BstrView(issuerArgument);
      control::CheckDnLength(given, issuerTooLong);
      if (!given.empty()) issuer = given;
    }
    const auto requireSerial = [&] {
      if (serial.empty() && state.serverMode) Raise(status::kMissingInput, messages::kSourceEmpty);
    };
    // The key-spec members given an issuer check the DN before the serial number.
    const bool serialFirst = !(issuerRule == Issuer::Given && keySpec == KeySpec::SignatureOnly);
    if (serialFirst) requireSerial();
    if (issuerRule == Issuer::Given) control::ValidateDn(issuer);
    if (!serialFirst) requireSerial();

    const control::ChooserContext chooser(state);
    const crypto::SignSettings settings = Settings(state, form, keySpec, chooser);
    if (serial.empty()) {
      return Finish(state, crypto::SignMessage(AsBytes(content), false, {}, {}, settings),
                    messages::kSigningFailed);
    }
    return Finish(state, crypto::SignMessageBySerial(AsBytes(content), serial, issuer, settings),
                  messages::kSigningFailed);
  });
}

HRESULT Raw(ControlState& state, BSTR* pVal, BSTR dnArgument, KeySpec keySpec) {
  const FrameRules rules{CertDetailSets::Signer, true};
  return MethodFrame(state, rules, pVal).Run([&] {
    const std::string content = control::TakePendingContent(state);
    const std::u16string_view dn = BstrView(dnArgument);
    const bool given = control::CheckSubjectDn(state, dn);
    const control::ChooserContext chooser(state);
    const crypto::RawSettings settings{state.digestAlgOid, keySpec == KeySpec::SignatureOnly,
                                       chooser.setting()};
    return Finish(state,
                  crypto::RawSign(AsBytes(content), state.serverMode,
                                  given ? dn : std::u16string_view(), state.DNspliter, settings),
                  messages::kSigningFailed);
  });
}

HRESULT SignedEnvelope(ControlState& state, BSTR* pVal, BSTR signerArgument, BSTR recipientArgument,
                       KeySpec keySpec, std::u16string_view failure) {
  const FrameRules rules{CertDetailSets::SignerAndRecipient, true};
  return MethodFrame(state, rules, pVal).Run([&] {
    const std::string content = control::TakePendingContent(state);
    const std::u16string_view signer = BstrView(signerArgument);
    const std::u16string_view recipient = BstrView(recipientArgument);
    control::CheckDnLength(signer);
    control::CheckDnLength(recipient);
    for (std::u16string_view dn : {signer, recipient}) {
      if (dn.empty()) continue;
      control::ValidateDn(dn);
      control::CheckDnSeparators(state, dn);
    }
    if ((signer.empty() || recipient.empty()) && state.serverMode) {
      Raise(status::kMissingInput, messages::kSourceEmpty);
    }
    const control::ChooserContext chooser(state);
    const crypto::EnvelopeSettings settings{state.symmetricAlgOid, state.digestAlgOid,
                                            keySpec == KeySpec::SignatureOnly, chooser.setting()};
    crypto::SealedEnvelope sealed = crypto::SignAndEncryptEnvelope(
        AsBytes(content), state.serverMode, signer, recipient, state.DNspliter, settings);
    control::RaiseIfEngineFailed(sealed.status, sealed.lastError, failure);
    control::StoreCertInfo(state.signerCertInfo, std::move(sealed.signerInfo));
    control::StoreCertInfo(state.reciptCertInfo, std::move(sealed.recipientInfo));
    return Bstr::FromAscii(sealed.base64);
  });
}

}  // namespace

HRESULT CTolvaneVelsor::VLAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return AttachedOrDetached(state_, pVal, Data::Pending, nullptr, deSignerDN, Form::Attached,
                            KeySpec::Any, true, messages::kDefaultDnRequired);
}

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return AttachedOrDetached(state_, pVal, Data::Pending, nullptr, deSignerDN, Form::Attached,
                            KeySpec::SignatureOnly, true, messages::kDefaultDnRequired);
}

HRESULT CTolvaneVelsor::VLDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return AttachedOrDetached(state_, pVal, Data::Argument, plainText, deSignerDN, Form::Detached,
                            KeySpec::Any, false, messages::kSourceEmpty);
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return AttachedOrDetached(state_, pVal, Data::Argument, plainText, deSignerDN, Form::Detached,
                            KeySpec::SignatureOnly, false, messages::kSourceEmpty);
}

HRESULT CTolvaneVelsor::VLAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN, BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Pending, nullptr, deSignerSN, IssuerDN, Form::Attached,
                      KeySpec::Any, Issuer::Given, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN,
                                                           BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Pending, nullptr, deSignerSN, IssuerDN, Form::Attached,
                      KeySpec::SignatureOnly, Issuer::Given, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Pending, nullptr, deSignerSN, nullptr, Form::Attached,
                      KeySpec::Any, Issuer::Fixed, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Pending, nullptr, deSignerSN, nullptr, Form::Attached,
                      KeySpec::SignatureOnly, Issuer::Fixed, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN, BSTR IssuerDN,
                                                 BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Argument, plainText, deSignerSN, IssuerDN, Form::Detached,
                      KeySpec::Any, Issuer::Given, messages::kIssuerDnTooLong);
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN,
                                                           BSTR IssuerDN, BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Argument, plainText, deSignerSN, IssuerDN, Form::Detached,
                      KeySpec::SignatureOnly, Issuer::Given, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Argument, plainText, deSignerSN, nullptr, Form::Detached,
                      KeySpec::Any, Issuer::Fixed, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) {
  return SignBySerial(state_, pVal, Data::Argument, plainText, deSignerSN, nullptr, Form::Detached,
                      KeySpec::SignatureOnly, Issuer::Fixed, messages::kDnTooLong);
}

HRESULT CTolvaneVelsor::VLRawSign(BSTR deSignerDN, BSTR* pVal) {
  return Raw(state_, pVal, deSignerDN, KeySpec::Any);
}

HRESULT CTolvaneVelsor::VLUseKeySpecRawSign(BSTR deSignerDN, BSTR* pVal) {
  return Raw(state_, pVal, deSignerDN, KeySpec::SignatureOnly);
}

HRESULT CTolvaneVelsor::VLAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return Advance(state_, pVal, Data::Pending, nullptr, deSignerDN, Form::Attached, KeySpec::Any);
}

HRESULT CTolvaneVelsor::VLUseSpecAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return Advance(state_, pVal, Data::Pending, nullptr, deSignerDN, Form::Attached,
                 KeySpec::SignatureOnly);
}

HRESULT CTolvaneVelsor::VLAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return Advance(state_, pVal, Data::Argument, plainText, deSignerDN, Form::Detached, KeySpec::Any);
}

HRESULT CTolvaneVelsor::VLUseSpecAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return Advance(state_, pVal, Data::Argument, plainText, deSignerDN, Form::Detached,
                 KeySpec::SignatureOnly);
}

HRESULT CTolvaneVelsor::VLSignedAndEncryptedEnvelop(BSTR deSignerDN, BSTR deReciptDN, BSTR* pVal) {
  return SignedEnvelope(state_, pVal, deSignerDN, deReciptDN, KeySpec::Any,
                        messages::kSignedEnvelopeFailed);
}

HRESULT CTolvaneVelsor::VLUseKeySpecSignedAndEncryptedEnvelop(BSTR deSignerDN, BSTR deReciptDN,
                                                              BSTR* pVal) {
  return SignedEnvelope(state_, pVal, deSignerDN, deReciptDN, KeySpec::SignatureOnly,
                        messages::kEncryptionFailed);
}

}  // namespace velsor
