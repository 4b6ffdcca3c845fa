#pragma once
// Automation strings: UTF-16 with a 32-bit byte count stored just before the characters
// and a zero character after them. Embedded zero characters are part of the string; a
// null BSTR is the empty string.

#include <memory>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace velsor {

BSTR SysAllocString(const OLECHAR* text);
// A null `text` gives a string of `length` zero characters.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);
// Replaces *target with a new string; the old one is freed only when the new one exists.
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);

// The characters of a BSTR, zero characters included.
inline std::u16string_view BstrView(BSTR text) { return {text, SysStringLen(text)}; }

struct BstrFree {
  void operator()(OLECHAR* text) const { SysFreeString(text); }
};

// Sole owner of one BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  static Bstr Attach(BSTR text);
  // A string of `length` characters for the caller to fill; throws std::bad_alloc.
  static Bstr OfLength(std::size_t length);
  // Text known to be ASCII (Base64, numbers), one character for each byte.
  static Bstr FromAscii(std::string_view ascii);

  BSTR get() const { return text_.get(); }
  std::u16string_view view() const { return BstrView(text_.get()); }
  bool empty() const { return view().empty(); }
  // Hands the string to a caller who frees it, as an out parameter does.
  BSTR Detach() { return text_.release(); }

 private:
  std::unique_ptr<OLECHAR, BstrFree> text_;
};

}  // namespace velsor
