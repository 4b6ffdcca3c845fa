#pragma once
// Calling the control by member name with script-typed arguments, as a script engine does
// through IDispatch.

#include <string>
#include <vector>

#include "control/control_fixture.h"

namespace velsor::testing {

// A value as a script engine passes it.
inline VARIANT Number(double d) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = d;
  return v;
}
inline VARIANT Text(std::u16string_view s) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = Bstr(s).Detach();
  return v;
}
inline VARIANT Boolean(bool b) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
inline VARIANT Kind(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}

struct Outcome {
  HRESULT hr = E_FAIL;
  VARIANT result{};
  EXCEPINFO exception{};
  UINT argError = ~0u;

  Outcome() { VariantInit(&result); }
  ~Outcome() {
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
  }
  std::u16string_view text() const { return BstrView(result.bstrVal); }
};

class DispatchTest : public ControlTest {
 protected:
  DISPID Id(std::u16string name) {
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    return id;
  }

  // Calls a member by name the way a script engine does, arguments in source order.
  Outcome Call(std::u16string name, WORD flags, std::vector<VARIANT> args, bool wantResult = true) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
      params.rgdispidNamedArgs = &putId;
      params.cNamedArgs = 1;
    }
    Outcome out;
    out.hr = control->Invoke(Id(name), IID_NULL, 0, flags, &params,
                             wantResult ? &out.result : nullptr, &out.exception, &out.argError);
    for (VARIANT& v : reversed) VariantClear(&v);
    return out;
  }
  Outcome Method(std::u16string name, std::vector<VARIANT> args = {}) {
    return Call(std::move(name), DISPATCH_METHOD, std::move(args));
  }
  Outcome Get(std::u16string name) { return Call(std::move(name), DISPATCH_PROPERTYGET, {}); }
  Outcome Put(std::u16string name, VARIANT value) {
    return Call(std::move(name), DISPATCH_PROPERTYPUT, {value});
  }
};

}  // namespace velsor::testing
