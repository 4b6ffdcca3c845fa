#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velsor {
namespace {

TEST(Bstr, KeepsEmbeddedZeroCharactersAndItsLength) {
  const char16_t text[] = {u'a', u'\0', u'b'};
  BSTR s = SysAllocStringLen(text, 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(BstrView(s), std::u16string_view(text, 3));
  EXPECT_EQ(s[3], u'\0') << "a BSTR is always followed by a zero character";
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
  EXPECT_EQ(prefix, 6u) << "the prefix counts bytes, not characters";
  SysFreeString(s);
}

TEST(Bstr, AllocationRulesOfTheAutomationLibrary) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);

  BSTR fromZeroTerminated = SysAllocString(u"ab\0cd");
  EXPECT_EQ(SysStringLen(fromZeroTerminated), 2u) << "SysAllocString stops at the first zero";
  SysFreeString(fromZeroTerminated);

  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(BstrView(blank), std::u16string_view(u"\0\0\0\0", 4));
  SysFreeString(blank);

  EXPECT_EQ(SysAllocStringLen(u"x", 0x7FFFFFFF), nullptr)
      << "a length whose byte count overflows the prefix is refused";
}

TEST(Bstr, ReallocationKeepsTheOldStringWhenItCannotAllocate) {
  BSTR s = SysAllocString(u"old");
  EXPECT_EQ(SysReAllocStringLen(&s, u"x", 0x7FFFFFFF), 0);
  EXPECT_EQ(BstrView(s), u"old");
  EXPECT_EQ(SysReAllocStringLen(&s, s + 1, 2), 1) << "the source may be the old string itself";
  EXPECT_EQ(BstrView(s), u"ld");
  SysFreeString(s);
}

TEST(Bstr, OwnerHandsOverAndFrees) {
  Bstr owned(std::u16string_view(u"z\0z", 3));
  EXPECT_EQ(owned.view().size(), 3u);
  BSTR raw = owned.Detach();
  EXPECT_EQ(owned.get(), nullptr);
  Bstr again = Bstr::Attach(raw);
  EXPECT_EQ(again.view(), std::u16string_view(u"z\0z", 3));
}

}  // namespace
}  // namespace velsor
