#pragma once
// The frame every reporting scripting method runs in. A step that fails raises its code and
// message; one handler then clears what the method would have produced and records the
// failure, and the method answers S_FALSE. A page therefore never sees a failed operation
// as a script error: it reads errorNum, errMsg and errorCode.

#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "control/control_state.h"
#include "control/messages.h"
#include "platform/base/hresult.h"
#include "platform/base/result.h"
#include "platform/base/status_codes.h"
#include "platform/com/bstr.h"

namespace velsor::control {

// What a failing step raises. An engine failure also carries the platform's error value.
struct MethodFailure {
  LONG code;
  std::u16string_view message;
  std::optional<LONG> platformError;
};

[[noreturn]] inline void Raise(LONG code, std::u16string_view message) {
  throw MethodFailure{code, message, std::nullopt};
}

// A lower layer's failure: its code becomes errorNum, with the method's own message.
template <class T>
T ValueOrRaise(Result<T> result, std::u16string_view message) {
  if (!result) Raise(result.code(), message);
  return std::move(*result);
}

// An engine operation failed: its status becomes errorNum, its platform error errorCode,
// and the page sees the method's own message.
[[noreturn]] inline void RaiseEngineFailure(LONG status, LONG platformError,
                                            std::u16string_view message) {
  throw MethodFailure{status, message, platformError};
}

// Raises the engine's failure when `status` is not 0; without a platform error from the
// engine, errorCode becomes 0.
inline void RaiseIfEngineFailed(std::int32_t status, const std::optional<LONG>& platformError,
                                std::u16string_view message) {
  if (status != 0) RaiseEngineFailure(status, platformError.value_or(0), message);
}

struct FrameRules {
  CertDetailSets fills = CertDetailSets::None;
  // The method works on pendingPlainText and discards it whether it succeeds or not.
  bool consumesPendingPlainText = false;
  std::u16string_view noMemoryMessage = messages::kNoMemory;
};

class MethodFrame {
 public:
  MethodFrame(ControlState& state, FrameRules rules, BSTR* output)
      : state_(state), rules_(rules), output_(output) {}

  // Runs the method's steps. `steps` returns the result text (nothing, or a null Bstr,
  // for an absent result) or, for a method without a result, nothing at all.
  template <class Steps>
  HRESULT Run(Steps&& steps) {
    const crypt::UserSessionScope userData(state_.userData);
    try {
      if constexpr (std::is_void_v<std::invoke_result_t<Steps>>) {
        steps();
        return Succeed(Bstr());
      } else {
        return Succeed(AsResult(steps()));
      }
    } catch (const MethodFailure& failure) {
      return Fail(failure);
    } catch (const std::bad_alloc&) {
      return Fail(MethodFailure{status::kNoMemory, rules_.noMemoryMessage, std::nullopt});
    }
  }

 private:
  static Bstr AsResult(Bstr result) { return result; }
  static Bstr AsResult(const std::optional<std::u16string>& result) {
    return result ? Bstr(*result) : Bstr();
  }
  HRESULT Succeed(Bstr result);
  HRESULT Fail(const MethodFailure& failure) noexcept;

  ControlState& state_;
  FrameRules rules_;
  BSTR* output_;
};

}  // namespace velsor::control
