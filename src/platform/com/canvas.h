#pragma once
// What a control draws with. On Windows a device context is wrapped in one; on POSIX the
// device context a host passes is the canvas itself.

#include <functional>
#include <string_view>

#include "platform/com/ole_types.h"

namespace velsor {

// The system's headers define these as macros of the same values.
#ifndef TA_CENTER
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_BASELINE = 24;
#endif

class Canvas {
 public:
  // The outline with the current pen, filled with the current brush.
  virtual void Rectangle(const RECTL& bounds) = 0;
  virtual void SetTextAlign(UINT alignment) = 0;
  virtual void WriteText(LONG x, LONG y, std::u16string_view text) = 0;

 protected:
  ~Canvas() = default;
};

// Runs `draw` on a canvas over `dc`; false when there is no device context to draw on.
bool DrawOnDeviceContext(HDC dc, const std::function<void(Canvas&)>& draw);

}  // namespace velsor
