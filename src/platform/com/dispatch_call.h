#pragma once
// One late-bound call through IDispatch, as script hosts make them: the arguments (held
// last first, as Invoke takes them), the result and the exception, all released on every
// path.

#include <optional>
#include <string>
#include <vector>

#include "platform/base/hresult.h"
#include "platform/com/bstr.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"

namespace velsor {

struct DispatchCall {
  std::vector<VARIANT> arguments;
  VARIANT result{};
  EXCEPINFO exception{};

  DispatchCall() { VariantInit(&result); }
  ~DispatchCall() {
    for (VARIANT& argument : arguments) VariantClear(&argument);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  DispatchCall(const DispatchCall&) = delete;
  DispatchCall& operator=(const DispatchCall&) = delete;

  // A property write passes its value as the named DISPID_PROPERTYPUT argument.
  HRESULT Invoke(IDispatch& object, DISPID member, WORD flags) {
    DISPID put = DISPID_PROPERTYPUT;
    const bool isPut = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{arguments.empty() ? nullptr : arguments.data(), isPut ? &put : nullptr,
                      static_cast<UINT>(arguments.size()), isPut ? 1u : 0u};
    UINT argumentError = 0;
    return object.Invoke(member, IID_NULL, 0, flags, &params, isPut ? nullptr : &result, &exception,
                         &argumentError);
  }
};

// The member's identifier, found as automation finds names (without regard to case).
inline std::optional<DISPID> DispatchIdOf(IDispatch& object, std::u16string name) {
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  if (object.GetIDsOfNames(IID_NULL, names, 1, 0, &id) != S_OK) return std::nullopt;
  return id;
}

}  // namespace velsor
