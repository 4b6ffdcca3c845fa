#pragma once
// How the control draws itself when a host asks: the outline of its bounds and a greeting
// centred on them, through a small canvas the host provides.

#include <string_view>

#include "module/delegating_part.h"

namespace velsor::module {

#ifdef _WIN32
using ::RECTL;  // the system's own, as hosts pass it
#else
struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
#endif

// The system's headers define these as macros of the same values.
#ifndef TA_CENTER
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_BASELINE = 24;
#endif

// What the control draws with; a host maps it onto its own drawing surface.
class Canvas {
 public:
  // The outline with the current pen, filled with the current brush.
  virtual void Rectangle(const RECTL& bounds) = 0;
  virtual void SetTextAlign(UINT alignment) = 0;
  virtual void WriteText(LONG x, LONG y, std::u16string_view text) = 0;

 protected:
  ~Canvas() = default;
};

inline constexpr IID IID_IVelsorView{
    0x2F0C1D7E, 0x93A4, 0x4B8E, {0xA1, 0x5D, 0x6C, 0x0B, 0x7E, 0x31, 0xD4, 0x59}};

class IVelsorView : public IUnknown {
 public:
  virtual HRESULT Draw(Canvas* canvas, const RECTL* bounds) = 0;

 protected:
  ~IVelsorView() = default;
};

class ControlView final : public DelegatingPart<IVelsorView> {
 public:
  using DelegatingPart::DelegatingPart;
  HRESULT Draw(Canvas* canvas, const RECTL* bounds) override;
};

}  // namespace velsor::module
