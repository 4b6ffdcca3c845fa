// Digests, Base64 texts, the kept certificate details and questions about the user's
// certificates.

#include "certs/cert_queries.h"
#include "certs/cert_selection.h"
#include "control/code_page_text.h"
#include "control/dn_checks.h"
#include "control/engine_inputs.h"
#include "control/method_frame.h"
#include "control/tolvane_velsor.h"
#include "crypto/raw_engine.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"

namespace velsor {

using control::ControlState;
using control::MethodFrame;
using control::Raise;
namespace messages = control::messages;

namespace {

constexpr std::size_t kMaxEnumeratedDns = 100;

// The Base64 pair reports an empty argument with its code alone.
bool RefuseEmpty(ControlState& state, BSTR text) {
  if (!BstrView(text).empty()) return false;
  state.errorNum = status::kMissingInput;
  return true;
}

HRESULT CertDetail(ControlState& state, const certs::CertInfo& info, ULONG type, BSTR* pVal) {
  const std::u16string typeError = messages::TypeError();
  return MethodFrame(state, {}, pVal).Run([&] {
    if (type < 1 || type > certs::kCertDetailCount) Raise(status::kWrongDetailType, typeError);
    return info[static_cast<certs::CertDetail>(type)];
  });
}

}  // namespace

HRESULT CTolvaneVelsor::VLHashAndBase64Encode(BSTR plainText, BSTR* pVal) {
  return MethodFrame(state_, {}, pVal).Run([&] {
    const std::string content =
        control::ArgumentContent(state_, plainText, messages::kCharsetConversionFailed);
    const std::string text = control::ValueOrRaise(
        crypto::HashAndEncode(AsBytes(content), state_.digestAlgOid), messages::kDigestFailed);
    return control::FromCodePage(state_, text);
  });
}

HRESULT CTolvaneVelsor::VLBase64Encode(BSTR base64ToBeEncodedText, BSTR* pVal) {
  if (RefuseEmpty(state_, base64ToBeEncodedText)) return S_FALSE;
  return MethodFrame(state_, {}, pVal).Run([&] {
    const std::string bytes = control::ToCodePage(state_, BstrView(base64ToBeEncodedText));
    const std::string text =
        control::ValueOrRaise(formats::Base64Encode(AsBytes(bytes)), messages::kBase64EncodeFailed);
    return control::FromCodePage(state_, text);
  });
}

HRESULT CTolvaneVelsor::VLBase64Decode(BSTR base64ToBeDecodedText, BSTR* pVal) {
  if (RefuseEmpty(state_, base64ToBeDecodedText)) return S_FALSE;
  return MethodFrame(state_, {}, pVal).Run([&] {
    const std::string text = control::ToCodePage(state_, BstrView(base64ToBeDecodedText));
    const Bytes bytes =
        control::ValueOrRaise(formats::Base64Decode(text), messages::kBase64DecodeFailed);
    return control::FromCodePage(state_, AsText(bytes));
  });
}

HRESULT CTolvaneVelsor::VLGetSignerCertInfo(ULONG type, BSTR* pVal) {
  return CertDetail(state_, state_.signerCertInfo, type, pVal);
}

HRESULT CTolvaneVelsor::VLGetReciptCertInfo(ULONG type, BSTR* pVal) {
  return CertDetail(state_, state_.reciptCertInfo, type, pVal);
}

HRESULT CTolvaneVelsor::VLGetCertExtension(BSTR certDN, BSTR szOID, BSTR* pVal) {
  return MethodFrame(state_, {}, pVal).Run([&] {
    const std::u16string_view dn = BstrView(certDN);
    if (dn.empty()) Raise(status::kMissingInput, messages::kSourceEmpty);
    control::CheckDnLength(dn);
    control::ValidateDn(dn);
    const std::u16string_view oid = BstrView(szOID);
    if (oid.empty()) Raise(status::kMissingInput, messages::kSourceEmpty);
    Result<std::u16string> extension = certs::GetCertExtension(dn, oid, state_.codePage);
    if (extension.Failed(status::kNoCertificate)) {
      extension = certs::GetCertExtension(crypt::ReverseDnOrder(dn), oid, state_.codePage);
    }
    if (extension.Failed(status::kNotInCodePage)) {
      Raise(extension.code(), messages::kConversionFailed);
    }
    if (extension.Failed(status::kStoreUnavailable)) {
      Raise(extension.code(), messages::kStoreUnavailable);
    }
    std::u16string text = control::ValueOrRaise(std::move(extension), messages::kExtensionFailed);
    const std::size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    return text;
  });
}

HRESULT CTolvaneVelsor::IsCertExists(BSTR DN, ULONG* pdwRet) {
  if (pdwRet != nullptr) *pdwRet = 0;
  const std::u16string_view dn = BstrView(DN);
  const auto report = [&](LONG code, std::u16string_view message) {
    state_.errorNum = code;
    state_.errMsg = std::u16string(message);
    return S_OK;
  };
  if (dn.empty()) return report(status::kMissingInput, messages::kDnDataEmpty);
  if (dn.size() > control::kMaxDnLength)
    return report(status::kDnTooLong, messages::kDnDataTooLong);
  if (!control::DnIsValid(dn)) return report(status::kDnInvalid, messages::kDnInvalid);
  const Result<bool> exists = certs::CertExists(dn);
  // A failure to reach the stores stands in the answer as its two's complement.
  if (pdwRet != nullptr) *pdwRet = exists ? (*exists ? 1 : 0) : static_cast<ULONG>(exists.code());
  state_.errMsg.reset();
  state_.errorNum = 0;
  return S_OK;
}

HRESULT CTolvaneVelsor::VLEnumCertsDNByIssers(BSTR IssersDN, BSTR* CertsDN) {
  const std::u16string_view issuers = BstrView(IssersDN);
  std::optional<crypt::CertStore> personal;
  if (!issuers.empty() && issuers.size() <= control::kMaxDnLength) {
    // Two departures from the frame: an invalid DN is reported with success, and a store
    // that cannot be opened with failure but no message.
    if (!control::DnIsValid(issuers)) {
      if (CertsDN != nullptr) *CertsDN = nullptr;
      state_.errorNum = status::kDnInvalid;
      state_.errMsg = std::u16string(messages::kDnInvalid);
      return S_OK;
    }
    const crypt::UserSessionScope userData(state_.userData);
    auto opened = crypt::CertStore::Open(u"MY");
    if (!opened) {
      if (CertsDN != nullptr) *CertsDN = nullptr;
      state_.errorNum = status::kStoreUnavailable;
      return S_FALSE;
    }
    personal = std::move(*opened);
  }
  return MethodFrame(state_, {}, CertsDN).Run([&]() -> std::optional<std::u16string> {
    if (issuers.empty()) Raise(status::kMissingInput, messages::kDnEmpty);
    control::CheckDnLength(issuers);
    std::vector<std::u16string> subjects;
    certs::EnumCertsDnByIssuers(std::span(&*personal, 1), crypt::DnPieces(issuers, u";"), subjects,
                                kMaxEnumeratedDns);
    if (subjects.empty()) return std::nullopt;
    std::u16string joined = subjects.front();
    for (std::size_t i = 1; i < subjects.size(); ++i) joined += u";" + subjects[i];
    return joined;
  });
}

}  // namespace velsor
