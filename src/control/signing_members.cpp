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

// A signing member by subject DN, apart from its arguments: a row of the table below.
// `sign` is SignMessage or AdvanceSign, which take the same arguments.
struct BySubject {
  Data data;
  Form form;
  KeySpec keySpec;
  bool consumes;  // takes the pending text rather than copying it
  std::u16string_view requiredInServerMode;
  decltype(&crypto::SignMessage) sign;
};

// clang-format off
//                                            data            form            key spec                takes  in server mode                engine
constexpr BySubject kAttachedSign{            Data::Pending,  Form::Attached, KeySpec::Any,           true,  messages::kDefaultDnRequired, crypto::SignMessage};
constexpr BySubject kKeySpecAttachedSign{     Data::Pending,  Form::Attached, KeySpec::SignatureOnly, true,  messages::kDefaultDnRequired, crypto::SignMessage};
constexpr BySubject kDetachedSign{            Data::Argument, Form::Detached, KeySpec::Any,           false, messages::kSourceEmpty,        crypto::SignMessage};
constexpr BySubject kKeySpecDetachedSign{     Data::Argument, Form::Detached, KeySpec::SignatureOnly, false, messages::kSourceEmpty,        crypto::SignMessage};
constexpr BySubject kAdvanceAttachedSign{     Data::Pending,  Form::Attached, KeySpec::Any,           true,  messages::kDefaultDnRequired, crypto::AdvanceSign};
constexpr BySubject kSpecAdvanceAttachedSign{ Data::Pending,  Form::Attached, KeySpec::SignatureOnly, true,  messages::kDefaultDnRequired, crypto::AdvanceSign};
constexpr BySubject kAdvanceDetachedSign{     Data::Argument, Form::Detached, KeySpec::Any,           true,  messages::kDefaultDnRequired, crypto::AdvanceSign};
constexpr BySubject kSpecAdvanceDetachedSign{ Data::Argument, Form::Detached, KeySpec::SignatureOnly, true,  messages::kDefaultDnRequired, crypto::AdvanceSign};
// clang-format on

// The page's arguments of a signing member; those it does not take stay null.
struct Arguments {
  BSTR plainText = nullptr;
  BSTR signer = nullptr;  // a subject DN or serial numbers
  BSTR issuer = nullptr;
};

HRESULT Sign(ControlState& state, BSTR* pVal, const BySubject& member, Arguments arguments) {
  const FrameRules rules{CertDetailSets::Signer, member.consumes};
  return MethodFrame(state, rules, pVal).Run([&] {
    std::string content = Content(state, member.data, arguments.plainText, member.consumes);
    const std::u16string_view dn = BstrView(arguments.signer);
    const bool given =
        control::CheckSubjectDn(state, dn, {.requiredInServerMode = member.requiredInServerMode});
    const control::ChooserContext chooser(state);
    crypto::SignResult result =
        member.sign(AsBytes(content), state.serverMode, given ? dn : std::u16string_view(),
                    std::u16string_view(state.DNspliter),
                    Settings(state, member.form, member.keySpec, chooser));
    // The content goes before the result is widened for the page.
    std::string().swap(content);
    return Finish(state, std::move(result), messages::kSigningFailed);
  });
}

enum class Issuer { Given, Fixed };

// A signing member by serial number, apart from its arguments.
struct BySerial {
  Data data;
  Form form;
  KeySpec keySpec;
  Issuer issuer;
  std::u16string_view issuerTooLong;
};

// clang-format off
//                                             data            form            key spec                issuer         issuer too long
constexpr BySerial kAttachedByIssuerSn{        Data::Pending,  Form::Attached, KeySpec::Any,           Issuer::Given, messages::kDnTooLong};
constexpr BySerial kKeySpecAttachedByIssuerSn{ Data::Pending,  Form::Attached, KeySpec::SignatureOnly, Issuer::Given, messages::kDnTooLong};
constexpr BySerial kAttachedBySn{              Data::Pending,  Form::Attached, KeySpec::Any,           Issuer::Fixed, messages::kDnTooLong};
constexpr BySerial kKeySpecAttachedBySn{       Data::Pending,  Form::Attached, KeySpec::SignatureOnly, Issuer::Fixed, messages::kDnTooLong};
constexpr BySerial kDetachedByIssuerSn{        Data::Argument, Form::Detached, KeySpec::Any,           Issuer::Given, messages::kIssuerDnTooLong};
constexpr BySerial kKeySpecDetachedByIssuerSn{ Data::Argument, Form::Detached, KeySpec::SignatureOnly, Issuer::Given, messages::kDnTooLong};
constexpr BySerial kDetachedBySn{              Data::Argument, Form::Detached, KeySpec::Any,           Issuer::Fixed, messages::kDnTooLong};
constexpr BySerial kKeySpecDetachedBySn{       Data::Argument, Form::Detached, KeySpec::SignatureOnly, Issuer::Fixed, messages::kDnTooLong};
// clang-format on

HRESULT Sign(ControlState& state, BSTR* pVal, const BySerial& member, Arguments arguments) {
  const FrameRules rules{CertDetailSets::Signer, true};
  return MethodFrame(state, rules, pVal).Run([&] {
    const std::string content =
        Content(state, member.data, arguments.plainText, rules.consumesPendingPlainText);
    const std::u16string_view serial = BstrView(arguments.signer);
    std::u16string_view issuer = kFixedIssuerDn;
    if (member.issuer == Issuer::Given) {
      const std::u16string_view given = BstrView(arguments.issuer);
      control::CheckDnLength(given, member.issuerTooLong);
      if (!given.empty()) issuer = given;
    }
    const auto requireSerial = [&] {
      if (serial.empty() && state.serverMode) Raise(status::kMissingInput, messages::kSourceEmpty);
    };
    // The key-spec members given an issuer check the DN before the serial number.
    const bool serialFirst =
        !(member.issuer == Issuer::Given && member.keySpec == KeySpec::SignatureOnly);
    if (serialFirst) requireSerial();
    if (member.issuer == Issuer::Given) control::ValidateDn(issuer);
    if (!serialFirst) requireSerial();

    const control::ChooserContext chooser(state);
    const crypto::SignSettings settings = Settings(state, member.form, member.keySpec, chooser);
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
  return Sign(state_, pVal, kAttachedSign, {.signer = deSignerDN});
}

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kKeySpecAttachedSign, {.signer = deSignerDN});
}

HRESULT CTolvaneVelsor::VLDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kDetachedSign, {plainText, deSignerDN});
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kKeySpecDetachedSign, {plainText, deSignerDN});
}

HRESULT CTolvaneVelsor::VLAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN, BSTR* pVal) {
  return Sign(state_, pVal, kAttachedByIssuerSn, {nullptr, deSignerSN, IssuerDN});
}

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN,
                                                           BSTR* pVal) {
  return Sign(state_, pVal, kKeySpecAttachedByIssuerSn, {nullptr, deSignerSN, IssuerDN});
}

HRESULT CTolvaneVelsor::VLAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) {
  return Sign(state_, pVal, kAttachedBySn, {.signer = deSignerSN});
}

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) {
  return Sign(state_, pVal, kKeySpecAttachedBySn, {.signer = deSignerSN});
}

HRESULT CTolvaneVelsor::VLDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN, BSTR IssuerDN,
                                                 BSTR* pVal) {
  return Sign(state_, pVal, kDetachedByIssuerSn, {plainText, deSignerSN, IssuerDN});
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN,
                                                           BSTR IssuerDN, BSTR* pVal) {
  return Sign(state_, pVal, kKeySpecDetachedByIssuerSn, {plainText, deSignerSN, IssuerDN});
}

HRESULT CTolvaneVelsor::VLDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) {
  return Sign(state_, pVal, kDetachedBySn, {plainText, deSignerSN});
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) {
  return Sign(state_, pVal, kKeySpecDetachedBySn, {plainText, deSignerSN});
}

HRESULT CTolvaneVelsor::VLRawSign(BSTR deSignerDN, BSTR* pVal) {
  return Raw(state_, pVal, deSignerDN, KeySpec::Any);
}

HRESULT CTolvaneVelsor::VLUseKeySpecRawSign(BSTR deSignerDN, BSTR* pVal) {
  return Raw(state_, pVal, deSignerDN, KeySpec::SignatureOnly);
}

HRESULT CTolvaneVelsor::VLAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kAdvanceAttachedSign, {.signer = deSignerDN});
}

HRESULT CTolvaneVelsor::VLUseSpecAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kSpecAdvanceAttachedSign, {.signer = deSignerDN});
}

HRESULT CTolvaneVelsor::VLAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kAdvanceDetachedSign, {plainText, deSignerDN});
}

HRESULT CTolvaneVelsor::VLUseSpecAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) {
  return Sign(state_, pVal, kSpecAdvanceDetachedSign, {plainText, deSignerDN});
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
