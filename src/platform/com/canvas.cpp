#include "platform/com/canvas.h"

namespace velsor {

bool DrawOnDeviceContext(HDC dc, const std::function<void(Canvas&)>& draw) {
  if (dc == nullptr) return false;
  draw(*dc);
  return true;
}

}  // namespace velsor
