#pragma once
// The dual scripting interface of the control. Its virtual functions are the 59 members in
// slot order after the seven slots of IUnknown and IDispatch; the member table gives their
// dispatch identifiers and parameter names.

#include "platform/base/win_types.h"
#include "platform/com/guid.h"
#include "platform/com/unknown.h"

namespace velsor {

inline constexpr IID IID_IOmbrelTolvaneVelsor20_64{
    0x8C99BB68, 0x85A9, 0x41AB, {0xB9, 0xAE, 0x51, 0x72, 0x69, 0x4B, 0x87, 0x33}};
inline constexpr IID DIID__IOmbrelTolvaneVelsorEvents20_64{
    0xE84BC4BA, 0x1454, 0x4721, {0x90, 0xC6, 0xB1, 0x16, 0x88, 0xD7, 0x4E, 0xC2}};
inline constexpr CLSID CLSID_OmbrelTolvaneVelsor20_64{
    0x4C6A3A2C, 0x7B13, 0x4F80, {0xAE, 0x23, 0xA7, 0xFB, 0xA5, 0x8E, 0x20, 0xFD}};
inline constexpr GUID LIBID_OmbrelVELSORLib20_64{
    0xBEB3E6DF, 0xCE79, 0x4386, {0x80, 0x01, 0x3D, 0xEF, 0xEA, 0x6D, 0xE5, 0x3B}};

class IOmbrelTolvaneVelsor20_64 : public IDispatch {
 public:
  virtual HRESULT put_DNspliter(BSTR newVal) = 0;
  virtual HRESULT get_errMsg(BSTR* pVal) = 0;
  virtual HRESULT get_errorNum(LONG* pVal) = 0;
  virtual HRESULT get_MaxCompSize(LONG* pVal) = 0;
  virtual HRESULT put_MaxCompSize(LONG newVal) = 0;
  virtual HRESULT put_VLServerMode(LONG newVal) = 0;
  virtual HRESULT getVersion(BSTR* pVersion) = 0;
  virtual HRESULT VLAddFile(BSTR fileName) = 0;
  virtual HRESULT VLAddFormItem(BSTR itemContent) = 0;
  virtual HRESULT VLAttachedSign(BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLAttachedVerify(BSTR signedMsg) = 0;
  virtual HRESULT VLBase64Decode(BSTR base64ToBeDecodedText, BSTR* pVal) = 0;
  virtual HRESULT VLBase64Encode(BSTR base64ToBeEncodedText, BSTR* pVal) = 0;
  virtual HRESULT VLDecryptedAndVerifiedEnvelop(BSTR signedAndEnvelopedMsg) = 0;
  virtual HRESULT VLDecryptEnvelop(BSTR envelopedMsg) = 0;
  virtual HRESULT VLDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLDetachedVerify(BSTR signedMsg, BSTR plainText) = 0;
  virtual HRESULT VLEncryptedEnvelop(BSTR deReciptDN, BSTR* pVal) = 0;
  virtual HRESULT VLGetFile(BSTR* pVal) = 0;
  virtual HRESULT VLGetFormItem(BSTR* pVal) = 0;
  virtual HRESULT VLGetPlainText(BSTR* pVal) = 0;
  virtual HRESULT VLGetReciptCertInfo(ULONG type, BSTR* pVal) = 0;
  virtual HRESULT VLGetSignerCertInfo(ULONG type, BSTR* pVal) = 0;
  virtual HRESULT VLHashAndBase64Encode(BSTR plainText, BSTR* pVal) = 0;
  virtual HRESULT VLRawSign(BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLRawVerify(BSTR signedMsg, BSTR deSignerDN, BSTR plainText) = 0;
  virtual HRESULT VLSetPlainText(BSTR plainText) = 0;
  virtual HRESULT VLSignedAndEncryptedEnvelop(BSTR deSignerDN, BSTR deReciptDN, BSTR* pVal) = 0;
  virtual HRESULT VLAfterwardsVerify(BSTR signedMsg) = 0;
  virtual HRESULT VLGetCertExtension(BSTR certDN, BSTR szOID, BSTR* pVal) = 0;
  virtual HRESULT VLSetDigestArithmetic(BSTR ArithmeticID) = 0;
  virtual HRESULT VLSetSymmetryArithmetic(BSTR ArithmeticID) = 0;
  virtual HRESULT IsCertExists(BSTR DN, ULONG* pdwRet) = 0;
  virtual HRESULT VLAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN, BSTR* pVal) = 0;
  virtual HRESULT VLAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) = 0;
  virtual HRESULT VLDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN, BSTR IssuerDN,
                                           BSTR* pVal) = 0;
  virtual HRESULT VLDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) = 0;
  virtual HRESULT VLEnumCertsDNByIssers(BSTR IssersDN, BSTR* CertsDN) = 0;
  virtual HRESULT get_errorCode(LONG* pVal) = 0;
  virtual HRESULT VLAttachedVerifySignedFile(BSTR fileName) = 0;
  virtual HRESULT VLUseKeySpecAttachedSign(BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecRawSign(BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN,
                                                     BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN, BSTR IssuerDN,
                                                     BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) = 0;
  virtual HRESULT VLUseKeySpecSignedAndEncryptedEnvelop(BSTR deSignerDN, BSTR deReciptDN,
                                                        BSTR* pVal) = 0;
  virtual HRESULT VLSetCodePage(ULONG codepage) = 0;
  virtual HRESULT VLAddFileForEncrypt(BSTR fileName) = 0;
  virtual HRESULT VLEncryptFileAndSave(BSTR base64Certificate) = 0;
  virtual HRESULT VLSetCopyRightInfo(BSTR pInfo) = 0;
  virtual HRESULT VLSetDialogPrompt(BSTR dlgtitle, BSTR dlgprompt, BSTR certsubject,
                                    BSTR certissuer, BSTR notafter, BSTR OKbutton,
                                    BSTR Cancelbutton, BSTR Viewbutton) = 0;
  virtual HRESULT VLAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLAdvanceAttachedVerify(BSTR signedMsg) = 0;
  virtual HRESULT VLUseSpecAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLUseSpecAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) = 0;
  virtual HRESULT VLAdvanceDetachedVerify(BSTR signedMsg, BSTR plainText) = 0;

 protected:
  ~IOmbrelTolvaneVelsor20_64() = default;
};

}  // namespace velsor
