#include "control/method_frame.h"

#include "control/cert_info_store.h"
#include "platform/com/bstr.h"

namespace velsor::control {

HRESULT MethodFrame::Succeed(Bstr result) {
  if (output_ != nullptr) *output_ = result.Detach();
  state_.errMsg.reset();
  state_.errorNum = 0;
  if (rules_.consumesPendingPlainText) state_.pendingPlainText.reset();
  return S_OK;
}

HRESULT MethodFrame::Fail(const MethodFailure& failure) noexcept {
  if (output_ != nullptr) *output_ = nullptr;
  ClearCertInfo(state_, rules_.fills);
  if (rules_.consumesPendingPlainText) state_.pendingPlainText.reset();
  state_.errorNum = failure.code;
  if (failure.platformError) state_.errorCode = *failure.platformError;
  try {
    state_.errMsg = std::u16string(failure.message);
  } catch (const std::bad_alloc&) {
    // Not even the message fits in memory; errorNum still tells the page what happened.
    state_.errMsg.reset();
  }
  return S_FALSE;
}

}  // namespace velsor::control
