// BSTRs from the system's automation library, so that strings the control hands to a
// script host, and those it is handed, are the host's own kind. OLECHAR is char16_t here
// and wchar_t there: both are the same 16-bit units, so the pointers pass as they are.

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include "platform/com/bstr.h"

namespace velsor {
namespace {

const wchar_t* System(const OLECHAR* text) { return reinterpret_cast<const wchar_t*>(text); }
BSTR Ours(::BSTR text) { return reinterpret_cast<BSTR>(text); }
::BSTR System(BSTR text) { return reinterpret_cast<::BSTR>(text); }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  return Ours(::SysAllocStringLen(System(text), length));
}

BSTR SysAllocString(const OLECHAR* text) { return Ours(::SysAllocString(System(text))); }

UINT SysStringByteLen(BSTR text) { return ::SysStringByteLen(System(text)); }

UINT SysStringLen(BSTR text) { return ::SysStringLen(System(text)); }

void SysFreeString(BSTR text) { ::SysFreeString(System(text)); }

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) {
  if (target == nullptr) return 0;
  return ::SysReAllocStringLen(reinterpret_cast<::BSTR*>(target), System(text), length);
}

}  // namespace velsor
