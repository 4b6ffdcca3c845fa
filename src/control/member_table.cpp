#include "control/member_table.h"

#include <algorithm>

#include "control/member_binding.h"

namespace velsor::control {
namespace {

using binding::Interface;
using binding::Member;
constexpr auto kMethod = MemberKind::Method;
constexpr auto kGet = MemberKind::PropertyGet;
constexpr auto kPut = MemberKind::PropertyPut;

constexpr std::array<MemberInfo, kMemberCount> kMembers{
    Member<&Interface::put_DNspliter>(1, "DNspliter", kPut, "property DNspliter", {""}),
    Member<&Interface::get_errMsg>(2, "errMsg", kGet, "property errMsg", {}, "pVal"),
    Member<&Interface::get_errorNum>(3, "errorNum", kGet, "property errorNum", {}, "pVal"),
    Member<&Interface::get_MaxCompSize>(4, "MaxCompSize", kGet, "property MaxCompSize", {}, "pVal"),
    Member<&Interface::put_MaxCompSize>(4, "MaxCompSize", kPut, "property MaxCompSize", {""}),
    Member<&Interface::put_VLServerMode>(6, "VLServerMode", kPut, "property VLServerMode", {""}),
    Member<&Interface::getVersion>(7, "getVersion", kMethod, "method getVersion", {}, "pVersion"),
    Member<&Interface::VLAddFile>(8, "VLAddFile", kMethod, "method VLAddFile", {"fileName"}),
    Member<&Interface::VLAddFormItem>(9, "VLAddFormItem", kMethod, "method VLAddFormItem",
                                      {"itemContent"}),
    Member<&Interface::VLAttachedSign>(10, "VLAttachedSign", kMethod, "method VLAttachedSign",
                                       {"deSignerDN"}, "pVal"),
    Member<&Interface::VLAttachedVerify>(11, "VLAttachedVerify", kMethod, "method VLAttachedVerify",
                                         {"signedMsg"}),
    Member<&Interface::VLBase64Decode>(12, "VLBase64Decode", kMethod, "method VLBase64Decode",
                                       {"base64ToBeDecodedText"}, "pVal"),
    Member<&Interface::VLBase64Encode>(13, "VLBase64Encode", kMethod, "method VLBase64Encode",
                                       {"base64ToBeEncodedText"}, "pVal"),
    Member<&Interface::VLDecryptedAndVerifiedEnvelop>(14, "VLDecryptedAndVerifiedEnvelop", kMethod,
                                                      "method VLDecryptedAndVerifiedEnvelop",
                                                      {"signedAndEnvelopedMsg"}),
    Member<&Interface::VLDecryptEnvelop>(15, "VLDecryptEnvelop", kMethod, "method VLDecryptEnvelop",
                                         {"envelopedMsg"}),
    Member<&Interface::VLDetachedSign>(16, "VLDetachedSign", kMethod, "method VLDetachedSign",
                                       {"plainText", "deSignerDN"}, "pVal"),
    Member<&Interface::VLDetachedVerify>(17, "VLDetachedVerify", kMethod, "method VLDetachedVerify",
                                         {"signedMsg", "plainText"}),
    Member<&Interface::VLEncryptedEnvelop>(18, "VLEncryptedEnvelop", kMethod,
                                           "method VLEncryptedEnvelop", {"deReciptDN"}, "pVal"),
    Member<&Interface::VLGetFile>(19, "VLGetFile", kMethod, "method VLGetFile", {}, "pVal"),
    Member<&Interface::VLGetFormItem>(20, "VLGetFormItem", kMethod, "method VLGetFormItem", {},
                                      "pVal"),
    Member<&Interface::VLGetPlainText>(21, "VLGetPlainText", kMethod, "method VLGetPlainText", {},
                                       "pVal"),
    Member<&Interface::VLGetReciptCertInfo>(22, "VLGetReciptCertInfo", kMethod,
                                            "method VLGetReciptCertInfo", {"type"}, "pVal"),
    Member<&Interface::VLGetSignerCertInfo>(23, "VLGetSignerCertInfo", kMethod,
                                            "method VLGetSignerCertInfo", {"type"}, "pVal"),
    Member<&Interface::VLHashAndBase64Encode>(24, "VLHashAndBase64Encode", kMethod,
                                              "method VLHashAndBase64Encode", {"plainText"},
                                              "pVal"),
    Member<&Interface::VLRawSign>(25, "VLRawSign", kMethod, "method VLRawSign", {"deSignerDN"},
                                  "pVal"),
    Member<&Interface::VLRawVerify>(26, "VLRawVerify", kMethod, "method VLRawVerify",
                                    {"signedMsg", "deSignerDN", "plainText"}),
    Member<&Interface::VLSetPlainText>(27, "VLSetPlainText", kMethod, "method VLSetPlainText",
                                       {"plainText"}),
    Member<&Interface::VLSignedAndEncryptedEnvelop>(28, "VLSignedAndEncryptedEnvelop", kMethod,
                                                    "method VLSignedAndEncryptedEnvelop",
                                                    {"deSignerDN", "deReciptDN"}, "pVal"),
    Member<&Interface::VLAfterwardsVerify>(29, "VLAfterwardsVerify", kMethod,
                                           "method VLAfterwardsVerify", {"signedMsg"}),
    Member<&Interface::VLGetCertExtension>(30, "VLGetCertExtension", kMethod,
                                           "method VLGetCertExtension", {"certDN", "szOID"},
                                           "pVal"),
    Member<&Interface::VLSetDigestArithmetic>(31, "VLSetDigestArithmetic", kMethod,
                                              "method VLSetDigestArithmetic", {"ArithmeticID"}),
    Member<&Interface::VLSetSymmetryArithmetic>(32, "VLSetSymmetryArithmetic", kMethod,
                                                "method VLSetSymmetryArithmetic", {"ArithmeticID"}),
    Member<&Interface::IsCertExists>(33, "IsCertExists", kMethod, "method IsCertExists", {"DN"},
                                     "pdwRet"),
    Member<&Interface::VLAttachedSignByIssuerSN>(34, "VLAttachedSignByIssuerSN", kMethod,
                                                 "method VLAttachedSignByIssuerSN",
                                                 {"deSignerSN", "IssuerDN"}, "pVal"),
    Member<&Interface::VLAttachedSignBySN>(35, "VLAttachedSignBySN", kMethod,
                                           "method VLAttachedSignBySN", {"deSignerSN"}, "pVal"),
    Member<&Interface::VLDetachedSignByIssuerSN>(36, "VLDetachedSignByIssuerSN", kMethod,
                                                 "method VLDetachedSignByIssuerSN",
                                                 {"plainText", "deSignerSN", "IssuerDN"}, "pVal"),
    Member<&Interface::VLDetachedSignBySN>(37, "VLDetachedSignBySN", kMethod,
                                           "method VLDetachedSignBySN", {"plainText", "deSignerSN"},
                                           "pVal"),
    Member<&Interface::VLEnumCertsDNByIssers>(38, "VLEnumCertsDNByIssers", kMethod,
                                              "method VLEnumCertsDNByIssers", {"IssersDN"},
                                              "CertsDN"),
    Member<&Interface::get_errorCode>(39, "errorCode", kGet, "property errorCode", {}, "pVal"),
    Member<&Interface::VLAttachedVerifySignedFile>(40, "VLAttachedVerifySignedFile", kMethod,
                                                   "method VLAttachedVerifySignedFile",
                                                   {"fileName"}),
    Member<&Interface::VLUseKeySpecAttachedSign>(41, "VLUseKeySpecAttachedSign", kMethod,
                                                 "method VLUseKeySpecAttachedSign", {"deSignerDN"},
                                                 "pVal"),
    Member<&Interface::VLUseKeySpecDetachedSign>(42, "VLUseKeySpecDetachedSign", kMethod,
                                                 "method VLUseKeySpecDetachedSign",
                                                 {"plainText", "deSignerDN"}, "pVal"),
    Member<&Interface::VLUseKeySpecRawSign>(43, "VLUseKeySpecRawSign", kMethod,
                                            "method VLUseKeySpecRawSign", {"deSignerDN"}, "pVal"),
    Member<&Interface::VLUseKeySpecAttachedSignByIssuerSN>(
        44, "VLUseKeySpecAttachedSignByIssuerSN", kMethod,
        "method VLUseKeySpecAttachedSignByIssuerSN", {"deSignerSN", "IssuerDN"}, "pVal"),
    Member<&Interface::VLUseKeySpecAttachedSignBySN>(45, "VLUseKeySpecAttachedSignBySN", kMethod,
                                                     "method VLUseKeySpecAttachedSignBySN",
                                                     {"deSignerSN"}, "pVal"),
    Member<&Interface::VLUseKeySpecDetachedSignByIssuerSN>(
        46, "VLUseKeySpecDetachedSignByIssuerSN", kMethod,
        "method VLUseKeySpecDetachedSignByIssuerSN", {"plainText", "deSignerSN", "IssuerDN"},
        "pVal"),
    Member<&Interface::VLUseKeySpecDetachedSignBySN>(47, "VLUseKeySpecDetachedSignBySN", kMethod,
                                                     "method VLUseKeySpecDetachedSignBySN",
                                                     {"plainText", "deSignerSN"}, "pVal"),
    Member<&Interface::VLUseKeySpecSignedAndEncryptedEnvelop>(
        48, "VLUseKeySpecSignedAndEncryptedEnvelop", kMethod,
        "method VLUseKeySpecSignedAndEncryptedEnvelop", {"deSignerDN", "deReciptDN"}, "pVal"),
    Member<&Interface::VLSetCodePage>(49, "VLSetCodePage", kMethod, "method VLSetCodePage",
                                      {"codepage"}),
    Member<&Interface::VLAddFileForEncrypt>(50, "VLAddFileForEncrypt", kMethod,
                                            "method VLAddFileForEncrypt", {"fileName"}),
    Member<&Interface::VLEncryptFileAndSave>(51, "VLEncryptFileAndSave", kMethod,
                                             "method VLEncryptFileAndSave", {"base64Certificate"}),
    Member<&Interface::VLSetCopyRightInfo>(52, "VLSetCopyRightInfo", kMethod,
                                           "方法VLSetCopyRightInfo", {"pInfo"}),
    Member<&Interface::VLSetDialogPrompt>(53, "VLSetDialogPrompt", kMethod, "方法VLSetDialogPrompt",
                                          {"dlgtitle", "dlgprompt", "certsubject", "certissuer",
                                           "notafter", "OKbutton", "Cancelbutton", "Viewbutton"}),
    Member<&Interface::VLAdvanceAttachedSign>(54, "VLAdvanceAttachedSign", kMethod,
                                              "方法VLAdvanceAttachedSign", {"deSignerDN"}, "pVal"),
    Member<&Interface::VLAdvanceAttachedVerify>(55, "VLAdvanceAttachedVerify", kMethod,
                                                "方法VLAdvanceAttachedVerify", {"signedMsg"}),
    Member<&Interface::VLUseSpecAdvanceAttachedSign>(56, "VLUseSpecAdvanceAttachedSign", kMethod,
                                                     "方法VLUseSpecAdvanceAttachedSign",
                                                     {"deSignerDN"}, "pVal"),
    Member<&Interface::VLAdvanceDetachedSign>(57, "VLAdvanceDetachedSign", kMethod,
                                              "方法VLAdvanceDetachedSign",
                                              {"plainText", "deSignerDN"}, "pVal"),
    Member<&Interface::VLUseSpecAdvanceDetachedSign>(58, "VLUseSpecAdvanceDetachedSign", kMethod,
                                                     "方法VLUseSpecAdvanceDetachedSign",
                                                     {"plainText", "deSignerDN"}, "pVal"),
    Member<&Interface::VLAdvanceDetachedVerify>(59, "VLAdvanceDetachedVerify", kMethod,
                                                "方法VLAdvanceDetachedVerify",
                                                {"signedMsg", "plainText"}),
};

bool SameNameIgnoringCase(std::u16string_view wide, std::string_view ascii) {
  const auto lower = [](char32_t c) { return (c >= U'A' && c <= U'Z') ? c + 32 : c; };
  return wide.size() == ascii.size() &&
         std::equal(wide.begin(), wide.end(), ascii.begin(), [&](char16_t a, char b) {
           return lower(a) == lower(static_cast<unsigned char>(b));
         });
}

}  // namespace

std::span<const MemberInfo> Members() { return kMembers; }

const MemberInfo* FindMember(DISPID dispid, MemberKind kind) {
  auto found = std::find_if(kMembers.begin(), kMembers.end(), [&](const MemberInfo& m) {
    return m.dispid == dispid && m.kind == kind;
  });
  return found == kMembers.end() ? nullptr : &*found;
}

std::optional<DISPID> FindDispid(std::u16string_view name) {
  for (const MemberInfo& member : kMembers) {
    if (SameNameIgnoringCase(name, member.name)) return member.dispid;
  }
  return std::nullopt;
}

std::optional<DISPID> FindParameter(DISPID member, std::u16string_view name) {
  for (const MemberInfo& entry : kMembers) {
    if (entry.dispid != member) continue;
    for (std::size_t i = 0; i < entry.paramCount; ++i) {
      if (!entry.paramNames[i].empty() && SameNameIgnoringCase(name, entry.paramNames[i])) {
        return static_cast<DISPID>(i);
      }
    }
  }
  return std::nullopt;
}

}  // namespace velsor::control
