// Coercion of script-typed arguments to the integer and string types of the interface,
// following OLE Automation: numbers round half to even, out-of-range values overflow,
// strings are parsed as numbers, and VT_NULL matches nothing.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "platform/base/hresult.h"
#include "platform/codepage/utf.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"

namespace velsor {
namespace {

struct Scalar {
  enum class Kind { Empty, Null, Signed, Unsigned, Real, Single, Boolean, Text, Unsupported };
  Kind kind = Kind::Unsupported;
  LONGLONG whole = 0;
  ULONGLONG unsignedWhole = 0;
  double real = 0;
  bool boolean = false;
  std::u16string_view text{};
};

Scalar Signed(LONGLONG v) { return {.kind = Scalar::Kind::Signed, .whole = v}; }
Scalar Unsigned(ULONGLONG v) { return {.kind = Scalar::Kind::Unsigned, .unsignedWhole = v}; }

// A by-reference VARIANT may point at another VARIANT; a short chain is all a script
// engine ever builds, so anything deeper is refused rather than followed.
constexpr int kMaxIndirection = 4;

Scalar ReadScalar(const VARIANT& v, int depth = 0) {
  using K = Scalar::Kind;
  const bool byRef = (v.vt & VT_BYREF) != 0;
  const VARTYPE base = v.vt & static_cast<VARTYPE>(~VT_BYREF);
  if (byRef && v.byref == nullptr) return {};
  switch (base) {
    case VT_EMPTY:
      return byRef ? Scalar{} : Scalar{.kind = K::Empty};
    case VT_NULL:
      return byRef ? Scalar{} : Scalar{.kind = K::Null};
    case VT_I1:
      return Signed(byRef ? *static_cast<const signed char*>(v.byref) : v.cVal);
    case VT_I2:
      return Signed(byRef ? *static_cast<const SHORT*>(v.byref) : v.iVal);
    case VT_I4:
    case VT_INT:
    case VT_ERROR:
      return Signed(byRef ? *static_cast<const LONG*>(v.byref) : v.lVal);
    case VT_I8:
      return Signed(byRef ? *static_cast<const LONGLONG*>(v.byref) : v.llVal);
    case VT_UI1:
      return Unsigned(byRef ? *static_cast<const BYTE*>(v.byref) : v.bVal);
    case VT_UI2:
      return Unsigned(byRef ? *static_cast<const USHORT*>(v.byref) : v.uiVal);
    case VT_UI4:
    case VT_UINT:
      return Unsigned(byRef ? *static_cast<const ULONG*>(v.byref) : v.ulVal);
    case VT_UI8:
      return Unsigned(byRef ? *static_cast<const ULONGLONG*>(v.byref) : v.ullVal);
    case VT_R4:
      return {.kind = K::Single, .real = byRef ? *static_cast<const FLOAT*>(v.byref) : v.fltVal};
    case VT_R8:
      return {.kind = K::Real, .real = byRef ? *static_cast<const DOUBLE*>(v.byref) : v.dblVal};
    case VT_BOOL:
      return {.kind = K::Boolean,
              .boolean = (byRef ? *static_cast<const VARIANT_BOOL*>(v.byref) : v.boolVal) != 0};
    case VT_BSTR:
      return {.kind = K::Text, .text = BstrView(byRef ? *v.pbstrVal : v.bstrVal)};
    case VT_VARIANT:
      if (byRef && depth < kMaxIndirection) return ReadScalar(*v.pvarVal, depth + 1);
      return {};
    default:
      return {};
  }
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// A number in a string: optional blanks, sign, digits, fraction and exponent.
HRESULT ParseNumber(std::u16string_view text, double& out) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty() || text.size() > 64) return DISP_E_TYPEMISMATCH;
  std::string ascii;
  for (char16_t c : text) {
    const bool allowed =
        (c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'+' || c == u'-';
    if (!allowed) return DISP_E_TYPEMISMATCH;
    ascii.push_back(static_cast<char>(c));
  }
  std::string_view digits = ascii;
  bool negative = false;
  if (digits.front() == '+' || digits.front() == '-') {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  double value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
  if (error != std::errc{} || end != digits.data() + digits.size()) return DISP_E_TYPEMISMATCH;
  out = negative ? -value : value;
  return S_OK;
}

// Rounds half to even, the rounding of the automation conversions, and range-checks.
template <class Integer>
HRESULT RoundToInteger(double value, Integer& out) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= static_cast<double>(std::numeric_limits<Integer>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<Integer>::max()))) {
    return DISP_E_OVERFLOW;
  }
  out = static_cast<Integer>(rounded);
  return S_OK;
}

template <class Integer>
HRESULT ToInteger(const Scalar& s, Integer& out) {
  using K = Scalar::Kind;
  using Limits = std::numeric_limits<Integer>;
  switch (s.kind) {
    case K::Empty:
      out = 0;
      return S_OK;
    case K::Signed:
      if (s.whole < static_cast<LONGLONG>(Limits::min()) ||
          (s.whole > 0 && static_cast<ULONGLONG>(s.whole) > Limits::max())) {
        return DISP_E_OVERFLOW;
      }
      out = static_cast<Integer>(s.whole);
      return S_OK;
    case K::Unsigned:
      if (s.unsignedWhole > static_cast<ULONGLONG>(Limits::max())) return DISP_E_OVERFLOW;
      out = static_cast<Integer>(s.unsignedWhole);
      return S_OK;
    case K::Real:
    case K::Single:
      return RoundToInteger(s.real, out);
    case K::Boolean:
      // VARIANT_TRUE is -1; an unsigned target takes its bits, as the automation
      // conversions do.
      out = s.boolean ? static_cast<Integer>(-1) : Integer{0};
      return S_OK;
    case K::Text: {
      double value = 0;
      if (HRESULT hr = ParseNumber(s.text, value); FAILED(hr)) return hr;
      return RoundToInteger(value, out);
    }
    case K::Null:
    case K::Unsupported:
      break;
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT ToText(const Scalar& s, USHORT flags, std::u16string& out) {
  using K = Scalar::Kind;
  char buffer[64];
  switch (s.kind) {
    case K::Empty:
      out.clear();
      return S_OK;
    case K::Signed:
      out = codepage::AsciiToUtf16(std::to_string(s.whole));
      return S_OK;
    case K::Unsigned:
      out = codepage::AsciiToUtf16(std::to_string(s.unsignedWhole));
      return S_OK;
    case K::Real:
      std::snprintf(buffer, sizeof buffer, "%.15G", s.real);
      out = codepage::AsciiToUtf16(buffer);
      return S_OK;
    case K::Single:
      std::snprintf(buffer, sizeof buffer, "%.7G", s.real);
      out = codepage::AsciiToUtf16(buffer);
      return S_OK;
    case K::Boolean:
      if (flags & VARIANT_ALPHABOOL) {
        out = s.boolean ? u"True" : u"False";
      } else {
        out = s.boolean ? u"-1" : u"0";
      }
      return S_OK;
    case K::Text:
      out = s.text;
      return S_OK;
    case K::Null:
    case K::Unsupported:
      break;
  }
  return DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, USHORT flags, VARTYPE type) {
  if (target == nullptr || source == nullptr) return E_INVALIDARG;
  if (source->vt == type && (type & VT_BYREF) == 0) return VariantCopy(target, source);
  const Scalar scalar = ReadScalar(*source);
  VARIANT result;
  VariantInit(&result);
  switch (type) {
    case VT_I4:
      if (HRESULT hr = ToInteger(scalar, result.lVal); FAILED(hr)) return hr;
      break;
    case VT_UI4:
      if (HRESULT hr = ToInteger(scalar, result.ulVal); FAILED(hr)) return hr;
      break;
    case VT_BSTR: {
      std::u16string text;
      if (HRESULT hr = ToText(scalar, flags, text); FAILED(hr)) return hr;
      result.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (result.bstrVal == nullptr) return E_OUTOFMEMORY;
      break;
    }
    default:
      return DISP_E_BADVARTYPE;
  }
  result.vt = type;
  // The source may be the target itself; it has been read completely by now.
  VariantClear(target);
  *target = result;
  return S_OK;
}

}  // namespace velsor
