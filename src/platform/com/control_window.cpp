#include "platform/com/control_window.h"

namespace velsor {

// The window is its record; the handle is the record's address.
struct WindowRecord {
  WindowFacts facts;
};

struct ControlWindow::State {
  WindowRecord record;
  Painter paint;
};

Result<std::unique_ptr<ControlWindow>> ControlWindow::Create(HWND parent, const RECT& position,
                                                             Painter paint) {
  if (parent == nullptr) return Failure(E_INVALIDARG, "a control window needs a parent");
  auto state = std::make_unique<State>(
      State{{{parent, position, kControlWindowStyle, 0}}, std::move(paint)});
  return std::unique_ptr<ControlWindow>(new ControlWindow(std::move(state)));
}

ControlWindow::ControlWindow(std::unique_ptr<State> state) : state_(std::move(state)) {}
ControlWindow::~ControlWindow() = default;

HWND ControlWindow::handle() const { return &state_->record; }
void ControlWindow::Move(const RECT& position) { state_->record.facts.position = position; }
void ControlWindow::Show(bool visible) {
  constexpr DWORD kVisible = 0x10000000;
  DWORD& style = state_->record.facts.style;
  style = visible ? (style | kVisible) : (style & ~kVisible);
}
// Nothing shows the window, so nothing is painted again.
void ControlWindow::Invalidate() {}

Result<WindowFacts> DescribeWindow(HWND window) {
  if (window == nullptr) return Failure(E_INVALIDARG, "no window");
  return window->facts;
}

}  // namespace velsor
