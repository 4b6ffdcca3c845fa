#include "platform/com/canvas.h"

#include "gdi_canvas.h"

namespace velsor {

bool DrawOnDeviceContext(HDC dc, const std::function<void(Canvas&)>& draw) {
  if (dc == nullptr) return false;
  GdiCanvas canvas(dc);
  draw(canvas);
  return true;
}

}  // namespace velsor
