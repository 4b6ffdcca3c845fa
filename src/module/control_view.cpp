#include "module/control_view.h"

namespace velsor::module {

HRESULT ControlView::Draw(Canvas* canvas, const RECTL* bounds) {
  if (canvas == nullptr || bounds == nullptr) return E_POINTER;
  canvas->Rectangle(*bounds);
  canvas->SetTextAlign(TA_CENTER | TA_BASELINE);
  canvas->WriteText((bounds->left + bounds->right) / 2, (bounds->top + bounds->bottom) / 2,
                  u"Welcome to Ombrel TolvaneVelsor20_64");
  return S_OK;
}

}  // namespace velsor::module
