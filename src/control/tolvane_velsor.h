#pragma once
// The scriptable control object: its options, its pending and extracted texts, the
// certificate details it keeps and its error report, behind the dual interface.

#include <memory>

#include "control/control_state.h"
#include "control/ombrel_tolvane_velsor.h"
#include "platform/com/com_ptr.h"

namespace velsor {

class CTolvaneVelsor final : public IOmbrelTolvaneVelsor20_64 {
 public:
  // A new object with one reference, held by the returned pointer.
  static ComPtr<CTolvaneVelsor> Create();
  // The scripting part of a larger object: its IUnknown calls go to `controlling`, which
  // answers for the whole object and owns this part.
  static std::unique_ptr<CTolvaneVelsor> CreatePart(IUnknown& controlling);

  // For code in the same process that works with the object's state directly.
  const control::ControlState& state() const { return state_; }
  control::ControlState& state() { return state_; }

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDispatch
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT nameCount, LCID lcid,
                        DISPID* dispids) override;
  HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

  // IOmbrelTolvaneVelsor20_64
  HRESULT put_DNspliter(BSTR newVal) override;
  HRESULT get_errMsg(BSTR* pVal) override;
  HRESULT get_errorNum(LONG* pVal) override;
  HRESULT get_MaxCompSize(LONG* pVal) override;
  HRESULT put_MaxCompSize(LONG newVal) override;
  HRESULT put_VLServerMode(LONG newVal) override;
  HRESULT getVersion(BSTR* pVersion) override;
  HRESULT VLAddFile(BSTR fileName) override;
  HRESULT VLAddFormItem(BSTR itemContent) override;
  HRESULT VLAttachedSign(BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLAttachedVerify(BSTR signedMsg) override;
  HRESULT VLBase64Decode(BSTR base64ToBeDecodedText, BSTR* pVal) override;
  HRESULT VLBase64Encode(BSTR base64ToBeEncodedText, BSTR* pVal) override;
  HRESULT VLDecryptedAndVerifiedEnvelop(BSTR signedAndEnvelopedMsg) override;
  HRESULT VLDecryptEnvelop(BSTR envelopedMsg) override;
  HRESULT VLDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLDetachedVerify(BSTR signedMsg, BSTR plainText) override;
  HRESULT VLEncryptedEnvelop(BSTR deReciptDN, BSTR* pVal) override;
  HRESULT VLGetFile(BSTR* pVal) override;
  HRESULT VLGetFormItem(BSTR* pVal) override;
  HRESULT VLGetPlainText(BSTR* pVal) override;
  HRESULT VLGetReciptCertInfo(ULONG type, BSTR* pVal) override;
  HRESULT VLGetSignerCertInfo(ULONG type, BSTR* pVal) override;
  HRESULT VLHashAndBase64Encode(BSTR plainText, BSTR* pVal) override;
  HRESULT VLRawSign(BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLRawVerify(BSTR signedMsg, BSTR deSignerDN, BSTR plainText) override;
  HRESULT VLSetPlainText(BSTR plainText) override;
  HRESULT VLSignedAndEncryptedEnvelop(BSTR deSignerDN, BSTR deReciptDN, BSTR* pVal) override;
  HRESULT VLAfterwardsVerify(BSTR signedMsg) override;
  HRESULT VLGetCertExtension(BSTR certDN, BSTR szOID, BSTR* pVal) override;
  HRESULT VLSetDigestArithmetic(BSTR ArithmeticID) override;
  HRESULT VLSetSymmetryArithmetic(BSTR ArithmeticID) override;
  HRESULT IsCertExists(BSTR DN, ULONG* pdwRet) override;
  HRESULT VLAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN, BSTR* pVal) override;
  HRESULT VLAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) override;
  HRESULT VLDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN, BSTR IssuerDN,
                                   BSTR* pVal) override;
  HRESULT VLDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) override;
  HRESULT VLEnumCertsDNByIssers(BSTR IssersDN, BSTR* CertsDN) override;
  HRESULT get_errorCode(LONG* pVal) override;
  HRESULT VLAttachedVerifySignedFile(BSTR fileName) override;
  HRESULT VLUseKeySpecAttachedSign(BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLUseKeySpecDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLUseKeySpecRawSign(BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLUseKeySpecAttachedSignByIssuerSN(BSTR deSignerSN, BSTR IssuerDN, BSTR* pVal) override;
  HRESULT VLUseKeySpecAttachedSignBySN(BSTR deSignerSN, BSTR* pVal) override;
  HRESULT VLUseKeySpecDetachedSignByIssuerSN(BSTR plainText, BSTR deSignerSN, BSTR IssuerDN,
                                             BSTR* pVal) override;
  HRESULT VLUseKeySpecDetachedSignBySN(BSTR plainText, BSTR deSignerSN, BSTR* pVal) override;
  HRESULT VLUseKeySpecSignedAndEncryptedEnvelop(BSTR deSignerDN, BSTR deReciptDN,
                                                BSTR* pVal) override;
  HRESULT VLSetCodePage(ULONG codepage) override;
  HRESULT VLAddFileForEncrypt(BSTR fileName) override;
  HRESULT VLEncryptFileAndSave(BSTR base64Certificate) override;
  HRESULT VLSetCopyRightInfo(BSTR pInfo) override;
  HRESULT VLSetDialogPrompt(BSTR dlgtitle, BSTR dlgprompt, BSTR certsubject, BSTR certissuer,
                            BSTR notafter, BSTR OKbutton, BSTR Cancelbutton,
                            BSTR Viewbutton) override;
  HRESULT VLAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLAdvanceAttachedVerify(BSTR signedMsg) override;
  HRESULT VLUseSpecAdvanceAttachedSign(BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLUseSpecAdvanceDetachedSign(BSTR plainText, BSTR deSignerDN, BSTR* pVal) override;
  HRESULT VLAdvanceDetachedVerify(BSTR signedMsg, BSTR plainText) override;

 private:
  CTolvaneVelsor() = default;
  ~CTolvaneVelsor() = default;
  friend struct std::default_delete<CTolvaneVelsor>;

  // Calls arrive one at a time on the page's thread, so the count needs no atomics.
  ULONG references_ = 1;
  IUnknown* controlling_ = nullptr;
  control::ControlState state_;
};

}  // namespace velsor
