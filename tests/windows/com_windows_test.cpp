#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>
#include <ocidl.h>
#include <ole2.h>

#include "platform/com/bstr.h"
#include "platform/com/ole_types.h"
#include "platform/com/type_info.h"
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

// The records the OLE interfaces pass are ours, so their layout must be the system's.
#define VELSOR_SAME_LAYOUT(type, first, last)                   \
  EXPECT_EQ(sizeof(velsor::type), sizeof(::type)) << #type;     \
  EXPECT_EQ(offsetof(velsor::type, first), offsetof(::type, first)) << #type; \
  EXPECT_EQ(offsetof(velsor::type, last), offsetof(::type, last)) << #type

TEST(ComWindowsTest, TheOleRecordsAreLaidOutAsTheSystems) {
  VELSOR_SAME_LAYOUT(FORMATETC, cfFormat, tymed);
  VELSOR_SAME_LAYOUT(STGMEDIUM, tymed, pUnkForRelease);
  VELSOR_SAME_LAYOUT(STATDATA, formatetc, dwConnection);
  VELSOR_SAME_LAYOUT(OLEVERB, lVerb, grfAttribs);
  VELSOR_SAME_LAYOUT(CONTROLINFO, cb, dwFlags);
  VELSOR_SAME_LAYOUT(OLEINPLACEFRAMEINFO, cb, cAccelEntries);
  VELSOR_SAME_LAYOUT(DVEXTENTINFO, cb, sizelProposed);
  VELSOR_SAME_LAYOUT(CAUUID, cElems, pElems);
  VELSOR_SAME_LAYOUT(QACONTAINER, cbSize, pServiceProvider);
  VELSOR_SAME_LAYOUT(QACONTAINER, pUnkEventSink, hpal);
  VELSOR_SAME_LAYOUT(QACONTROL, cbSize, dwPointerActivationPolicy);
  VELSOR_SAME_LAYOUT(TYPEDESC, vt, vt);
  VELSOR_SAME_LAYOUT(ELEMDESC, tdesc, paramdesc);
  VELSOR_SAME_LAYOUT(TYPEATTR, guid, idldescType);
  VELSOR_SAME_LAYOUT(TYPEATTR, typekind, wTypeFlags);
  VELSOR_SAME_LAYOUT(FUNCDESC, memid, wFuncFlags);
  VELSOR_SAME_LAYOUT(FUNCDESC, invkind, elemdescFunc);
}

}  // namespace
}  // namespace velsor
