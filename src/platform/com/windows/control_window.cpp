#include "platform/com/control_window.h"

#include "gdi_canvas.h"
#include "this_module.h"

namespace velsor {
namespace {

constexpr wchar_t kWindowClass[] = L"VelsorControlWindow";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  const auto* paint = reinterpret_cast<const ControlWindow::Painter*>(
      GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && paint != nullptr) {
    PAINTSTRUCT painting;
    HDC dc = BeginPaint(window, &painting);
    RECT client;
    GetClientRect(window, &client);
    GdiCanvas canvas(dc);
    (*paint)(canvas, RECTL{client.left, client.top, client.right, client.bottom});
    EndPaint(window, &painting);
    return 0;
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return DefWindowProcW(window, message, wParam, lParam);
}

// The class lives while any window of it does: registered before each window is made (a
// class left registered by an earlier load of this module, with another procedure, is
// replaced) and unregistered after each is destroyed, which the system refuses while
// another window of the class remains.
bool RegisterWindowClass(HINSTANCE module) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(module, kWindowClass, &existing)) {
    if (existing.lpfnWndProc == &WindowProcedure) return true;
    UnregisterClassW(kWindowClass, module);
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &WindowProcedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExW(&windowClass) != 0;
}

Error SystemFailure(const char* what) {
  const DWORD code = GetLastError();
  return Failure(code == 0 ? E_FAIL : HRESULT_FROM_WIN32(code), what);
}

}  // namespace

struct ControlWindow::State {
  HWND window = nullptr;
  Painter paint;
};

Result<std::unique_ptr<ControlWindow>> ControlWindow::Create(HWND parent, const RECT& position,
                                                             Painter paint) {
  if (parent == nullptr || !IsWindow(parent)) {
    return Failure(E_INVALIDARG, "a control window needs a parent");
  }
  HINSTANCE module = ThisModuleHandle();
  if (!RegisterWindowClass(module)) return SystemFailure("registering the window class");
  auto state = std::make_unique<State>();
  state->paint = std::move(paint);
  state->window = CreateWindowExW(0, kWindowClass, nullptr, kControlWindowStyle, position.left,
                                  position.top, position.right - position.left,
                                  position.bottom - position.top, parent, nullptr, module,
                                  &state->paint);
  if (state->window == nullptr) return SystemFailure("creating the control window");
  return std::unique_ptr<ControlWindow>(new ControlWindow(std::move(state)));
}

ControlWindow::ControlWindow(std::unique_ptr<State> state) : state_(std::move(state)) {}

ControlWindow::~ControlWindow() {
  DestroyWindow(state_->window);
  UnregisterClassW(kWindowClass, ThisModuleHandle());
}

HWND ControlWindow::handle() const { return state_->window; }

void ControlWindow::Move(const RECT& position) {
  MoveWindow(state_->window, position.left, position.top, position.right - position.left,
             position.bottom - position.top, TRUE);
}

void ControlWindow::Show(bool visible) { ShowWindow(state_->window, visible ? SW_SHOW : SW_HIDE); }

void ControlWindow::Invalidate() { InvalidateRect(state_->window, nullptr, TRUE); }

Result<WindowFacts> DescribeWindow(HWND window) {
  if (window == nullptr || !IsWindow(window)) return Failure(E_INVALIDARG, "no window");
  WindowFacts facts{};
  facts.parent = GetParent(window);
  GetWindowRect(window, &facts.position);
  if (facts.parent != nullptr) {
    MapWindowPoints(HWND_DESKTOP, facts.parent, reinterpret_cast<POINT*>(&facts.position), 2);
  }
  facts.style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  facts.extendedStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  return facts;
}

}  // namespace velsor
