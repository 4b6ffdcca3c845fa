#include "dispatch_bridge.h"

#include <cstdio>
#include <string>
#include <vector>

#include "js_text.h"
#include "platform/base/hresult.h"
#include "platform/codepage/utf.h"
#include "platform/com/bstr.h"
#include "platform/com/dispatch_call.h"
#include "script_host.h"

namespace velsor::script {
namespace {

// Errors are raised by the engine with a jump that skips C++ destructors, so every
// native function does its work in a scope of its own and only then raises what failed.
struct Failure {
  char message[512] = "";
};

void Describe(Failure& failure, const char* what, HRESULT hr, const EXCEPINFO* exception) {
  std::string detail;
  if (exception != nullptr && exception->bstrDescription != nullptr) {
    detail = ": " + codepage::Utf16ToUtf8(BstrView(exception->bstrDescription));
  }
  std::snprintf(failure.message, sizeof failure.message, "%s failed with 0x%08X%s", what,
                static_cast<unsigned>(hr), detail.c_str());
}

VARIANT ToVariant(duk_context* ctx, duk_idx_t index) {
  VARIANT value;
  VariantInit(&value);
  switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NUMBER:
      value.vt = VT_R8;
      value.dblVal = duk_get_number(ctx, index);
      return value;
    case DUK_TYPE_BOOLEAN:
      value.vt = VT_BOOL;
      value.boolVal = duk_get_boolean(ctx, index) ? VARIANT_TRUE : VARIANT_FALSE;
      return value;
    case DUK_TYPE_UNDEFINED:
    case DUK_TYPE_NULL:
      return value;
    default: {
      duk_size_t length = 0;
      const char* text = duk_safe_to_lstring(ctx, index, &length);
      value.vt = VT_BSTR;
      value.bstrVal = ScriptToBstr(std::string_view(text, length));
      return value;
    }
  }
}

// Pushes the value, which is cleared as soon as it is converted: a big result is not
// held three times over.
void PushVariant(duk_context* ctx, VARIANT& value) {
  switch (value.vt) {
    case VT_BSTR: {  // a string the member left out reads as ""
      const std::string text = Utf16ToScript(BstrView(value.bstrVal));
      VariantClear(&value);
      duk_push_lstring(ctx, text.data(), text.size());
      return;
    }
    case VT_BOOL:
      duk_push_boolean(ctx, value.boolVal != VARIANT_FALSE);
      return;
    case VT_EMPTY:
    case VT_NULL:
      duk_push_undefined(ctx);
      return;
    case VT_I2:
      duk_push_int(ctx, value.iVal);
      return;
    case VT_I4:
    case VT_INT:
      duk_push_int(ctx, value.lVal);
      return;
    case VT_UI4:
    case VT_UINT:
      duk_push_uint(ctx, value.ulVal);
      return;
    case VT_R8:
      duk_push_number(ctx, value.dblVal);
      return;
    default:
      duk_push_undefined(ctx);
      return;
  }
}

std::size_t IndexOf(duk_context* ctx, duk_idx_t holder) {
  duk_get_prop_string(ctx, holder, DUK_HIDDEN_SYMBOL("object"));
  const auto index = static_cast<std::size_t>(duk_get_uint(ctx, -1));
  duk_pop(ctx);
  return index;
}

bool Succeeded(HRESULT hr) { return hr == S_OK || hr == S_FALSE; }

std::optional<DISPID> IdOf(IDispatch* object, duk_context* ctx, duk_idx_t key) {
  duk_size_t length = 0;
  const char* text = duk_get_lstring(ctx, key, &length);
  return DispatchIdOf(*object, ScriptToUtf16(std::string_view(text, length)));
}

// Without type information, a write without its value tells a property that can only be
// written (the member exists and refuses the count) from a method (no such property).
bool IsWriteOnlyProperty(IDispatch* object, DISPID dispid) {
  DispatchCall probe;
  return probe.Invoke(*object, dispid, DISPATCH_PROPERTYPUT) != DISP_E_MEMBERNOTFOUND;
}

duk_ret_t CallMethod(duk_context* ctx) {
  const duk_idx_t count = duk_get_top(ctx);
  duk_push_current_function(ctx);
  const std::size_t index = IndexOf(ctx, -1);
  duk_get_prop_string(ctx, -1, DUK_HIDDEN_SYMBOL("dispid"));
  const auto dispid = static_cast<DISPID>(duk_get_int(ctx, -1));
  duk_pop_2(ctx);
  Failure failure;
  {
    IDispatch* object = HostOf(ctx).Object(index);
    DispatchCall call;
    for (duk_idx_t i = count - 1; i >= 0; --i) call.arguments.push_back(ToVariant(ctx, i));
    const HRESULT hr =
        object == nullptr ? E_POINTER : call.Invoke(*object, dispid, DISPATCH_METHOD);
    if (Succeeded(hr)) {
      PushVariant(ctx, call.result);
      return 1;
    }
    Describe(failure, "method call", hr, &call.exception);
  }
  return duk_error(ctx, DUK_ERR_ERROR, "%s", failure.message);
}

duk_ret_t ProxyGet(duk_context* ctx) {
  if (!duk_is_string(ctx, 1) || duk_is_symbol(ctx, 1)) return 0;
  const std::size_t index = IndexOf(ctx, 0);
  Failure failure;
  {
    IDispatch* object = HostOf(ctx).Object(index);
    const auto dispid = object != nullptr ? IdOf(object, ctx, 1) : std::nullopt;
    if (!dispid) return 0;
    DispatchCall call;
    const HRESULT hr = call.Invoke(*object, *dispid, DISPATCH_PROPERTYGET);
    if (hr == DISP_E_MEMBERNOTFOUND && IsWriteOnlyProperty(object, *dispid)) {
      std::snprintf(failure.message, sizeof failure.message,
                    "property read: the property can only be written");
    } else if (hr == DISP_E_MEMBERNOTFOUND) {
      // Not a property to read: a method, called when the script calls it.
      duk_push_c_function(ctx, CallMethod, DUK_VARARGS);
      duk_push_uint(ctx, static_cast<duk_uint_t>(index));
      duk_put_prop_string(ctx, -2, DUK_HIDDEN_SYMBOL("object"));
      duk_push_int(ctx, *dispid);
      duk_put_prop_string(ctx, -2, DUK_HIDDEN_SYMBOL("dispid"));
      return 1;
    } else if (Succeeded(hr)) {
      PushVariant(ctx, call.result);
      return 1;
    } else {
      Describe(failure, "property read", hr, &call.exception);
    }
  }
  return duk_error(ctx, DUK_ERR_ERROR, "%s", failure.message);
}

duk_ret_t ProxySet(duk_context* ctx) {
  const std::size_t index = IndexOf(ctx, 0);
  Failure failure;
  {
    IDispatch* object = HostOf(ctx).Object(index);
    const auto dispid = object != nullptr && duk_is_string(ctx, 1) && !duk_is_symbol(ctx, 1)
                            ? IdOf(object, ctx, 1)
                            : std::nullopt;
    if (dispid) {
      DispatchCall call;
      call.arguments.push_back(ToVariant(ctx, 2));
      const HRESULT hr = call.Invoke(*object, *dispid, DISPATCH_PROPERTYPUT);
      if (Succeeded(hr)) {
        duk_push_true(ctx);
        return 1;
      }
      Describe(failure, "property write", hr, &call.exception);
    } else {
      std::snprintf(failure.message, sizeof failure.message,
                    "the object has no property of that name");
    }
  }
  return duk_error(ctx, DUK_ERR_TYPE_ERROR, "%s", failure.message);
}

duk_ret_t Finalize(duk_context* ctx) {
  HostOf(ctx).Drop(IndexOf(ctx, 0));
  return 0;
}

duk_ret_t CreateObject(duk_context* ctx) {
  if (!duk_is_constructor_call(ctx)) {
    return duk_error(ctx, DUK_ERR_TYPE_ERROR, "ActiveXObject must be called with new");
  }
  Failure failure;
  std::size_t index = 0;
  {
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, 0, &length);
    const std::u16string progId = ScriptToUtf16(std::string_view(text, length));
    auto activated = CreateDispatchObject(progId);
    if (activated) {
      index = HostOf(ctx).Keep(std::move(*activated));
    } else {
      std::snprintf(failure.message, sizeof failure.message,
                    "ActiveXObject: cannot create %s: %s (0x%08X)",
                    codepage::Utf16ToUtf8(progId).c_str(), activated.error().detail.c_str(),
                    static_cast<unsigned>(activated.code()));
    }
  }
  if (failure.message[0] != '\0') return duk_error(ctx, DUK_ERR_ERROR, "%s", failure.message);

  duk_push_object(ctx);  // the proxy's target, which owns the object's slot
  duk_push_uint(ctx, static_cast<duk_uint_t>(index));
  duk_put_prop_string(ctx, -2, DUK_HIDDEN_SYMBOL("object"));
  duk_push_c_function(ctx, Finalize, 1);
  duk_set_finalizer(ctx, -2);
  duk_push_object(ctx);  // the handler
  duk_push_c_function(ctx, ProxyGet, 3);
  duk_put_prop_string(ctx, -2, "get");
  duk_push_c_function(ctx, ProxySet, 4);
  duk_put_prop_string(ctx, -2, "set");
  duk_push_proxy(ctx, 0);
  return 1;
}

}  // namespace

void DefineActiveXObject(duk_context* ctx) {
  duk_push_c_function(ctx, CreateObject, 1);
  duk_put_global_string(ctx, "ActiveXObject");
}

}  // namespace velsor::script
