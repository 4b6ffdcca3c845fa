// Members whose operations are not built yet. Each answers E_NOTIMPL until it is.

#include "control/tolvane_velsor.h"
#include "platform/com/hresult.h"

namespace velsor {

HRESULT CTolvaneVelsor::VLAddFile(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAddFormItem(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetFile(BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLGetFormItem(BSTR*) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAttachedVerifySignedFile(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLAddFileForEncrypt(BSTR) { return E_NOTIMPL; }

HRESULT CTolvaneVelsor::VLEncryptFileAndSave(BSTR) { return E_NOTIMPL; }

}  // namespace velsor
