// Members whose operations are not built yet. Each answers E_NOTIMPL until it is.

#include "control/tolvane_velsor.h"
#include "platform/com/hresult.h"

namespace velsor {

HRESULT CTolvaneVelsor::VLAddFile(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAddFormItem(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAttachedSign(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAttachedVerify(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLBase64Decode(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLBase64Encode(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLDecryptedAndVerifiedEnvelop(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLDecryptEnvelop(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLDetachedSign(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLDetachedVerify(BSTR, BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLEncryptedEnvelop(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetFile(BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetFormItem(BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetReciptCertInfo(ULONG, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetSignerCertInfo(ULONG, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLHashAndBase64Encode(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLRawSign(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLRawVerify(BSTR, BSTR, BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLSignedAndEncryptedEnvelop(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAfterwardsVerify(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetCertExtension(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::IsCertExists(BSTR, ULONG*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAttachedSignByIssuerSN(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAttachedSignBySN(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLDetachedSignByIssuerSN(BSTR, BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLDetachedSignBySN(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLEnumCertsDNByIssers(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAttachedVerifySignedFile(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSign(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSign(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecRawSign(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSignByIssuerSN(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecAttachedSignBySN(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSignByIssuerSN(BSTR, BSTR, BSTR, BSTR*) {
  return E_NOTIMPL;
}

HRESULT CTolvaneVelsor::VLUseKeySpecDetachedSignBySN(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseKeySpecSignedAndEncryptedEnvelop(BSTR, BSTR, BSTR*) {
  return E_NOTIMPL;
}

HRESULT CTolvaneVelsor::VLAddFileForEncrypt(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLEncryptFileAndSave(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAdvanceAttachedSign(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAdvanceAttachedVerify(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseSpecAdvanceAttachedSign(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAdvanceDetachedSign(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLUseSpecAdvanceDetachedSign(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAdvanceDetachedVerify(BSTR, BSTR) { return E_NOTIMPL; }

}  // namespace velsor
