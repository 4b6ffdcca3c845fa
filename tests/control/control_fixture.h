#pragma once
// A fresh control object and short ways to call it as a page would through its slots.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "control/tolvane_velsor.h"
#include "platform/base/hresult.h"
#include "platform/com/bstr.h"

namespace velsor::testing {

class ControlTest : public ::testing::Test {
 protected:
  ComPtr<CTolvaneVelsor> control = CTolvaneVelsor::Create();

  LONG ErrorNum() {
    LONG value = 1;
    EXPECT_EQ(control->get_errorNum(&value), S_OK);
    return value;
  }
  LONG ErrorCode() {
    LONG value = 1;
    EXPECT_EQ(control->get_errorCode(&value), S_OK);
    return value;
  }
  // Absent when the control holds no message.
  std::optional<std::u16string> ErrMsg() {
    BSTR text = nullptr;
    EXPECT_EQ(control->get_errMsg(&text), S_OK);
    Bstr owned = Bstr::Attach(text);
    if (owned.get() == nullptr) return std::nullopt;
    return std::u16string(owned.view());
  }
  // The control's extracted text, held as bytes, written and read as text.
  void SetExtracted(std::string_view text) {
    control->state().extractedPlainText = Bytes(text.begin(), text.end());
  }
  std::optional<std::string> Extracted() {
    const auto& held = control->state().extractedPlainText;
    if (!held) return std::nullopt;
    return std::string(AsText(*held));
  }
  LONG MaxCompSize() {
    LONG value = 0;
    EXPECT_EQ(control->get_MaxCompSize(&value), S_OK);
    return value;
  }
  HRESULT SetPlainText(std::u16string_view text) {
    return control->VLSetPlainText(Bstr(text).get());
  }
  // The text and the HRESULT of VLGetPlainText.
  std::pair<HRESULT, std::optional<std::u16string>> GetPlainText() {
    BSTR text = nullptr;
    HRESULT hr = control->VLGetPlainText(&text);
    Bstr owned = Bstr::Attach(text);
    if (owned.get() == nullptr) return {hr, std::nullopt};
    return {hr, std::u16string(owned.view())};
  }
};

}  // namespace velsor::testing
