#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "control/dispatch_fixture.h"
#include "control/member_table.h"

namespace velsor::testing {
namespace {

using control::MemberKind;
using control::Members;

TEST(MemberTable, FiftyNineMembersInSlotOrder) {
  auto members = Members();
  ASSERT_EQ(members.size(), 59u);
  std::set<std::pair<DISPID, MemberKind>> seen;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const auto& m = members[i];
    EXPECT_EQ(m.vtableSlot(), control::kFirstMemberSlot + i) << m.name;
    EXPECT_TRUE(seen.insert({m.dispid, m.kind}).second) << m.name;
    EXPECT_NE(m.dispid, 5);
    // The help strings follow one rule, with the Chinese word from VLSetCopyRightInfo on.
    std::string expected = m.kind == MemberKind::Method ? "method " : "property ";
    if (m.dispid >= 52) expected = "方法";
    EXPECT_EQ(m.helpString, expected + std::string(m.name));
  }
  EXPECT_EQ(members[3].dispid, 4);
  EXPECT_EQ(members[4].dispid, 4);
  EXPECT_EQ(members[58].name, "VLAdvanceDetachedVerify");
}

TEST(MemberTable, ParametersAndResults) {
  const auto* prompt = control::FindMember(53, MemberKind::Method);
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(prompt->paramCount, 8u);
  EXPECT_EQ(prompt->paramNames[5], "OKbutton");
  const auto* exists = control::FindMember(33, MemberKind::Method);
  EXPECT_EQ(exists->resultType, VT_UI4);
  EXPECT_EQ(exists->resultName, "pdwRet");
  const auto* certInfo = control::FindMember(23, MemberKind::Method);
  EXPECT_EQ(certInfo->paramTypes[0], VT_UI4);
  EXPECT_EQ(control::FindMember(4, MemberKind::PropertyPut)->paramTypes[0], VT_I4);
  EXPECT_EQ(control::FindMember(2, MemberKind::PropertyPut), nullptr) << "errMsg is read-only";
  EXPECT_EQ(control::FindMember(6, MemberKind::PropertyGet), nullptr)
      << "server mode is write-only";
}

TEST_F(DispatchTest, NamesAreCaseInsensitiveAndParametersHavePositions) {
  std::u16string member = u"vldetachedsign", parameter = u"DESIGNERDN", unknown = u"nothing";
  LPOLESTR names[] = {member.data(), parameter.data(), unknown.data()};
  DISPID ids[3] = {};
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_THAT(ids, ::testing::ElementsAre(16, 1, DISPID_UNKNOWN));
  LPOLESTR missing[] = {unknown.data()};
  EXPECT_EQ(control->GetIDsOfNames(IID_NULL, missing, 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(Id(u"MAXCOMPSIZE"), 4);
  EXPECT_EQ(Id(u"errorcode"), 39);
}

TEST_F(DispatchTest, PropertiesThroughInvoke) {
  EXPECT_EQ(Put(u"DNspliter", Text(u"##")).hr, S_OK);
  EXPECT_EQ(control->state().DNspliter, u"##");
  EXPECT_EQ(Put(u"DNspliter", Text(u"12345678")).hr, S_FALSE);

  Outcome num = Get(u"errorNum");
  EXPECT_EQ(num.result.vt, VT_I4);
  EXPECT_EQ(num.result.lVal, -10025);

  EXPECT_EQ(Put(u"MaxCompSize", Number(1024)).hr, S_OK);
  EXPECT_EQ(Get(u"MaxCompSize").result.lVal, 1024);
  EXPECT_EQ(Put(u"MaxCompSize", Text(u"2048")).hr, S_OK);
  EXPECT_EQ(MaxCompSize(), 2048);
  EXPECT_EQ(Put(u"MaxCompSize", Number(-1)).hr, S_OK);
  EXPECT_EQ(MaxCompSize(), 2048);

  EXPECT_EQ(Put(u"VLServerMode", Boolean(true)).hr, S_OK);
  EXPECT_TRUE(control->state().serverMode);
  EXPECT_EQ(Put(u"VLServerMode", Kind(VT_EMPTY)).hr, S_OK);
  EXPECT_FALSE(control->state().serverMode);

  control->state().errorCode = -2146885628;
  Outcome code = Get(u"errorCode");
  EXPECT_EQ(code.result.vt, VT_I4);
  EXPECT_EQ(code.result.lVal, -2146885628);

  Outcome message = Get(u"errMsg");
  EXPECT_EQ(message.hr, S_OK);
  EXPECT_EQ(message.result.vt, VT_BSTR);
  EXPECT_EQ(message.result.bstrVal, nullptr) << "no message reads as an empty string";
}

TEST_F(DispatchTest, OptionMethodsThroughInvoke) {
  Outcome version = Method(u"getVersion");
  EXPECT_EQ(version.hr, S_OK);
  EXPECT_EQ(version.text(), u"2.0.59.4");
  EXPECT_EQ(Call(u"getVersion", DISPATCH_METHOD, {}, false).hr, S_OK) << "called as a statement";

  EXPECT_EQ(Method(u"VLSetCodePage", {Number(65001)}).hr, S_OK);
  EXPECT_EQ(control->state().codePage, 65001u);
  EXPECT_EQ(Method(u"VLSetCodePage", {Text(u"936")}).hr, S_OK);
  EXPECT_EQ(control->state().codePage, 936u);

  EXPECT_EQ(Method(u"VLSetDigestArithmetic", {Text(u"1.2.840.113549.2.5")}).hr, S_OK);
  EXPECT_EQ(control->state().digestAlgOid, "1.2.840.113549.2.5");
  EXPECT_EQ(Method(u"VLSetSymmetryArithmetic", {Text(u"2.16.840.1.101.3.4.1.2")}).hr, S_OK);
  EXPECT_EQ(control->state().symmetricAlgOid, "2.16.840.1.101.3.4.1.2");
  EXPECT_EQ(Method(u"VLSetCopyRightInfo", {Text(u"(c)")}).hr, S_OK);
  EXPECT_EQ(control->state().DialogPrompts.copyRightInfo, u"(c)");

  Outcome prompts = Method(u"VLSetDialogPrompt", {Text(u"1"), Text(u"2"), Text(u"3"), Text(u"4"),
                                                  Text(u"5"), Text(u"6"), Text(u"7"), Text(u"8")});
  EXPECT_EQ(prompts.hr, S_OK);
  EXPECT_EQ(control->state().DialogPrompts.texts.front(), u"1")
      << "the first argument is the title";
  EXPECT_EQ(control->state().DialogPrompts.texts.back(), u"8");

  EXPECT_EQ(Method(u"VLSetPlainText", {Number(12.5)}).hr, S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "12.5");
  Outcome empty = Method(u"VLSetPlainText", {Text(u"")});
  EXPECT_EQ(empty.hr, S_FALSE) << "a failed operation is no script error";
  EXPECT_EQ(Get(u"errMsg").text(), u"源数据为空");

  Outcome plain = Method(u"VLGetPlainText");
  EXPECT_EQ(plain.hr, S_OK);
  EXPECT_EQ(plain.result.vt, VT_BSTR);
  EXPECT_EQ(plain.text(), u"");
  SetExtracted("abc");
  EXPECT_EQ(Method(u"VLGetPlainText").text(), u"abc");
}

TEST_F(DispatchTest, AutomationErrors) {
  EXPECT_EQ(Method(u"VLSetPlainText").hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Method(u"getVersion", {Number(1)}).hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Put(u"errMsg", Text(u"x")).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Method(u"errorNum").hr, DISP_E_MEMBERNOTFOUND) << "a property is not a method";

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(control->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(control->Invoke(7, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);

  Outcome mismatch =
      Method(u"VLSetDialogPrompt", {Text(u"1"), Text(u"2"), Kind(VT_NULL), Text(u"4"), Text(u"5"),
                                    Text(u"6"), Text(u"7"), Text(u"8")});
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.argError, 5u) << "the third argument sits at index 5 of eight reversed";

  Outcome overflow = Method(u"VLSetCodePage", {Number(-1)});
  EXPECT_EQ(overflow.hr, DISP_E_OVERFLOW);
  EXPECT_EQ(overflow.argError, 0u);
}

TEST_F(DispatchTest, AFailedMethodIsNoScriptError) {
  Outcome sign = Method(u"VLAttachedSign", {Text(u"CN=a")});
  EXPECT_EQ(sign.hr, S_FALSE) << "the page reads errorNum instead";
  EXPECT_EQ(sign.exception.scode, S_OK);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
}

TEST_F(DispatchTest, NamedArguments) {
  // VLDetachedSign(plainText, deSignerDN) given in the other order by name: an empty
  // plainText fails before the DN, whose commas would fail it otherwise.
  std::vector<VARIANT> args{Text(std::u16string(300, u',')), Text(u"")};
  DISPID named[] = {1, 0};
  DISPPARAMS params{args.data(), named, 2, 2};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(control->Invoke(16, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_FALSE);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  DISPID twice[] = {0, 0};
  params.rgdispidNamedArgs = twice;
  UINT argError = 9;
  EXPECT_EQ(control->Invoke(16, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, &argError),
            DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(argError, 1u);
  for (VARIANT& v : args) VariantClear(&v);
}

TEST_F(DispatchTest, InterfacesAndReferences) {
  void* object = nullptr;
  for (const IID& iid : {IID_IUnknown, IID_IDispatch, IID_IOmbrelTolvaneVelsor20_64}) {
    ASSERT_EQ(control->QueryInterface(iid, &object), S_OK);
    EXPECT_EQ(object, static_cast<IOmbrelTolvaneVelsor20_64*>(control.get()));
    EXPECT_EQ(control->Release(), 1u);
  }
  EXPECT_EQ(control->QueryInterface(DIID__IOmbrelTolvaneVelsorEvents20_64, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  UINT count = 9;
  EXPECT_EQ(control->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u) << "the interface's type information";
}

}  // namespace
}  // namespace velsor::testing

namespace velsor::testing {
namespace {

// The page scripts in tests/scripts together call every member of the interface.
TEST(PageScripts, EveryMemberIsUsed) {
  std::string scripts;
  for (const auto& entry : std::filesystem::directory_iterator(VELSOR_PAGE_SCRIPTS)) {
    if (entry.path().extension() != ".js") continue;
    std::ifstream file(entry.path());
    scripts.append(std::istreambuf_iterator<char>(file), {});
  }
  for (const auto& member : control::Members()) {
    EXPECT_NE(scripts.find(member.name), std::string::npos) << member.name;
  }
}

}  // namespace
}  // namespace velsor::testing
