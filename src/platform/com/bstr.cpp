#include "platform/com/bstr.h"

#include <algorithm>
#include <limits>
#include <new>

namespace velsor {

Bstr::Bstr(std::u16string_view text) {
  if (text.size() > std::numeric_limits<UINT>::max()) throw std::bad_alloc();
  text_.reset(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!text_) throw std::bad_alloc();
}

Bstr Bstr::OfLength(std::size_t length) {
  if (length > std::numeric_limits<UINT>::max() / sizeof(OLECHAR)) throw std::bad_alloc();
  Bstr owner;
  owner.text_.reset(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
  if (!owner.text_) throw std::bad_alloc();
  return owner;
}

Bstr Bstr::FromAscii(std::string_view ascii) {
  Bstr owner = OfLength(ascii.size());
  std::copy(ascii.begin(), ascii.end(), owner.text_.get());
  return owner;
}

Bstr Bstr::Attach(BSTR text) {
  Bstr owner;
  owner.text_.reset(text);
  return owner;
}

}  // namespace velsor
