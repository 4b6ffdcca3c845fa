#pragma once
// The window a control makes for itself when a container activates it in place: a child
// of the container's window, visible, clipping its siblings and children (0x56000000), no
// extended style, painted by the control. On POSIX, where no window system hosts
// controls, the window is the record of what one would hold, for the control and its
// container to read back.

#include <functional>
#include <memory>

#include "platform/base/result.h"
#include "platform/com/canvas.h"

namespace velsor {

inline constexpr DWORD kControlWindowStyle = 0x56000000;

struct WindowFacts {
  HWND parent;
  RECT position;  // in the parent's client coordinates
  DWORD style;
  DWORD extendedStyle;
};

class ControlWindow {
 public:
  // Paints the window's whole client area, given as `bounds`.
  using Painter = std::function<void(Canvas& canvas, const RECTL& bounds)>;

  // E_INVALIDARG without a parent; the system's error when the window cannot be made.
  static Result<std::unique_ptr<ControlWindow>> Create(HWND parent, const RECT& position,
                                                       Painter paint);
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;
  ~ControlWindow();  // destroys the window

  HWND handle() const;
  void Move(const RECT& position);
  void Show(bool visible);
  // Has the window painted again.
  void Invalidate();

  struct State;

 private:
  explicit ControlWindow(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// What the window system knows of a window; E_INVALIDARG for a handle that is none.
Result<WindowFacts> DescribeWindow(HWND window);

}  // namespace velsor
