// What arrives from a page's script: VARIANTs of every type the members coerce from,
// coerced to every parameter type, and the script engine's strings turned into automation
// strings and back. The first byte picks the VARIANT's type; the rest is its value (a
// string's UTF-16 units, or the bytes of a number).

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "js_text.h"
#include "platform/base/hresult.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"

namespace {

using namespace velsor;

constexpr VARTYPE kSources[] = {VT_EMPTY, VT_NULL, VT_I2,  VT_I4,   VT_R4,   VT_R8,
                                VT_BSTR,  VT_BOOL, VT_I1,  VT_UI1,  VT_UI2,  VT_UI4,
                                VT_I8,    VT_UI8,  VT_INT, VT_UINT, VT_ERROR};
constexpr VARTYPE kTargets[] = {VT_BSTR, VT_I4, VT_UI4, VT_BOOL, VT_I2, VT_R8, VT_UI1, VT_INT};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  VARIANT source;
  VariantInit(&source);
  source.vt = kSources[data[0] % std::size(kSources)];
  const std::uint8_t* value = data + 1;
  const std::size_t valueSize = size - 1;
  if (source.vt == VT_BSTR) {
    source.bstrVal = SysAllocStringLen(nullptr, static_cast<UINT>(valueSize / 2));
    if (valueSize >= 2) std::memcpy(source.bstrVal, value, valueSize / 2 * 2);
  } else {
    std::memcpy(&source.llVal, value, std::min(valueSize, sizeof source.llVal));
  }
  for (VARTYPE target : kTargets) {
    VARIANT coerced;
    VariantInit(&coerced);
    if (VariantChangeType(&coerced, &source, 0, target) == S_OK && coerced.vt != target) {
      std::abort();
    }
    VariantClear(&coerced);
  }
  VariantClear(&source);

  // The engine's strings: what becomes an automation string comes back unchanged.
  const std::string_view internal(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = script::ScriptToUtf16(internal);
  BSTR automation = script::ScriptToBstr(internal);
  if (BstrView(automation) != wide) std::abort();
  SysFreeString(automation);
  if (script::ScriptToUtf16(script::Utf16ToScript(wide)) != wide) std::abort();
  return 0;
}
