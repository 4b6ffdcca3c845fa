#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/base/hresult.h"
#include "platform/com/bstr.h"

namespace velsor {
namespace {

VARIANT Make(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}
VARIANT Real(double d) {
  VARIANT v = Make(VT_R8);
  v.dblVal = d;
  return v;
}
VARIANT Text(std::u16string_view s) {
  VARIANT v = Make(VT_BSTR);
  v.bstrVal = Bstr(s).Detach();
  return v;
}

struct Coerced {
  HRESULT hr;
  VARIANT value;
};

Coerced Change(VARIANT source, VARTYPE type, USHORT flags = 0) {
  Coerced out{0, Make(VT_EMPTY)};
  out.hr = VariantChangeType(&out.value, &source, flags, type);
  VariantClear(&source);
  return out;
}

LONG AsLong(VARIANT source) {
  auto c = Change(source, VT_I4);
  EXPECT_EQ(c.hr, S_OK);
  return c.value.lVal;
}

std::u16string AsText(VARIANT source, USHORT flags = 0) {
  auto c = Change(source, VT_BSTR, flags);
  EXPECT_EQ(c.hr, S_OK);
  std::u16string text(BstrView(c.value.bstrVal));
  VariantClear(&c.value);
  return text;
}

TEST(VariantCoercion, RealsRoundHalfToEven) {
  EXPECT_EQ(AsLong(Real(2.5)), 2);
  EXPECT_EQ(AsLong(Real(3.5)), 4);
  EXPECT_EQ(AsLong(Real(-2.5)), -2);
  EXPECT_EQ(AsLong(Real(2147483647.4)), 2147483647);
  EXPECT_EQ(Change(Real(2147483648.0), VT_I4).hr, DISP_E_OVERFLOW);
  EXPECT_EQ(Change(Real(NAN), VT_I4).hr, DISP_E_OVERFLOW);
  EXPECT_EQ(Change(Real(-1), VT_UI4).hr, DISP_E_OVERFLOW);
  auto big = Change(Real(4294967295.0), VT_UI4);
  EXPECT_EQ(big.hr, S_OK);
  EXPECT_EQ(big.value.ulVal, 4294967295u);
}

TEST(VariantCoercion, StringsParseAsNumbers) {
  EXPECT_EQ(AsLong(Text(u" 936 ")), 936);
  EXPECT_EQ(AsLong(Text(u"-1e3")), -1000);
  EXPECT_EQ(AsLong(Text(u"+1.5")), 2);
  for (auto bad : {u"", u"abc", u"12abc", u"0x10", u"inf", u"1 2"}) {
    EXPECT_EQ(Change(Text(bad), VT_I4).hr, DISP_E_TYPEMISMATCH) << std::string(bad, bad + 0);
  }
  EXPECT_EQ(Change(Text(u"1e999"), VT_I4).hr, DISP_E_OVERFLOW);
  EXPECT_EQ(Change(Text(u"99999999999"), VT_I4).hr, DISP_E_OVERFLOW);
}

TEST(VariantCoercion, EmptyBooleanAndNull) {
  EXPECT_EQ(AsLong(Make(VT_EMPTY)), 0);
  VARIANT yes = Make(VT_BOOL);
  yes.boolVal = VARIANT_TRUE;
  EXPECT_EQ(AsLong(yes), -1);
  EXPECT_EQ(AsText(yes), u"-1");
  EXPECT_EQ(AsText(yes, VARIANT_ALPHABOOL), u"True");
  EXPECT_EQ(AsText(Make(VT_EMPTY)), u"");
  EXPECT_EQ(Change(Make(VT_NULL), VT_I4).hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(Make(VT_NULL), VT_BSTR).hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(Make(VT_DISPATCH), VT_BSTR).hr, DISP_E_TYPEMISMATCH);
}

TEST(VariantCoercion, NumbersBecomeText) {
  VARIANT i = Make(VT_I4);
  i.lVal = -42;
  EXPECT_EQ(AsText(i), u"-42");
  EXPECT_EQ(AsText(Real(1.5)), u"1.5");
  EXPECT_EQ(AsText(Real(1e20)), u"1E+20");
  VARIANT u = Make(VT_UI4);
  u.ulVal = 4000000000u;
  EXPECT_EQ(AsText(u), u"4000000000");
  EXPECT_EQ(Change(u, VT_I4).hr, DISP_E_OVERFLOW);
}

TEST(VariantCoercion, ReadsThroughReferences) {
  LONG target = 7;
  VARIANT ref = Make(VT_I4 | VT_BYREF);
  ref.plVal = &target;
  EXPECT_EQ(AsText(ref), u"7");
  VARIANT inner = Text(u"12");
  VARIANT outer = Make(VT_VARIANT | VT_BYREF);
  outer.pvarVal = &inner;
  EXPECT_EQ(AsLong(outer), 12);
  VariantClear(&inner);
  VARIANT dangling = Make(VT_I4 | VT_BYREF);
  EXPECT_EQ(Change(dangling, VT_I4).hr, DISP_E_TYPEMISMATCH);
}

TEST(VariantCoercion, TextCopiesKeepZeroCharactersAndInPlaceChangeWorks) {
  VARIANT v = Text(std::u16string_view(u"a\0b", 3));
  EXPECT_EQ(AsText(v), std::u16string(u"a\0b", 3));
  VARIANT self = Text(u"15");
  ASSERT_EQ(VariantChangeType(&self, &self, 0, VT_I4), S_OK);
  EXPECT_EQ(self.vt, VT_I4);
  EXPECT_EQ(self.lVal, 15);
}

}  // namespace
}  // namespace velsor
