#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

namespace velsor {
namespace {

TEST(ComWindowsTest, OurStringsAndVariantsAreTheSystemsOwn) {
  // A string we make is one the automation library measures and frees, and the reverse.
  BSTR ours = SysAllocStringLen(u"ab\0c", 4);
  ASSERT_NE(ours, nullptr);
  EXPECT_EQ(::SysStringLen(reinterpret_cast<::BSTR>(ours)), 4u);
  ::SysFreeString(reinterpret_cast<::BSTR>(ours));
  ::BSTR theirs = ::SysAllocString(L"system");
  EXPECT_EQ(SysStringLen(reinterpret_cast<BSTR>(theirs)), 6u);
  SysFreeString(reinterpret_cast<BSTR>(theirs));

  EXPECT_EQ(sizeof(VARIANT), sizeof(::VARIANT));
  EXPECT_EQ(offsetof(VARIANT, bstrVal), offsetof(::VARIANT, bstrVal));
  // A VARIANT holding our string is cleared by the system as its own.
  ::VARIANT value;
  ::VariantInit(&value);
  auto& mirror = reinterpret_cast<VARIANT&>(value);
  mirror.vt = VT_BSTR;
  mirror.bstrVal = SysAllocString(u"cleared by oleaut32");
  EXPECT_EQ(::VariantClear(&value), S_OK);
  EXPECT_EQ(value.vt, ::VT_EMPTY);
}

}  // namespace
}  // namespace velsor
