#pragma once
// The canvas over a Windows device context: the system draws with the context's own pen,
// brush, font and alignment.

#include "platform/com/canvas.h"

namespace velsor {

class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  void Rectangle(const RECTL& bounds) override {
    ::Rectangle(dc_, bounds.left, bounds.top, bounds.right, bounds.bottom);
  }
  void SetTextAlign(UINT alignment) override { ::SetTextAlign(dc_, alignment); }
  void WriteText(LONG x, LONG y, std::u16string_view text) override {
    ::TextOutW(dc_, x, y, reinterpret_cast<const wchar_t*>(text.data()),
               static_cast<int>(text.size()));
  }

 private:
  HDC dc_;
};

}  // namespace velsor
