#include <cstdlib>

#include "control/control_fixture.h"
#include "control/dn_checks.h"
#include "control/method_frame.h"

namespace velsor::testing {
namespace {

using namespace std::string_literals;

TEST_F(ControlTest, NewObjectDefaults) {
  EXPECT_EQ(ErrorNum(), 0);
  EXPECT_EQ(ErrorCode(), 0);
  EXPECT_EQ(ErrMsg(), std::nullopt);
  EXPECT_EQ(MaxCompSize(), 51200);
  const auto& state = control->state();
  EXPECT_EQ(state.DNspliter, u"|");
  EXPECT_FALSE(state.serverMode);
  EXPECT_EQ(state.codePage, 936u);
  EXPECT_EQ(state.digestAlgOid, "1.3.14.3.2.26");
  EXPECT_EQ(state.symmetricAlgOid, "1.2.840.113549.3.4");
  EXPECT_FALSE(state.pendingPlainText);
  EXPECT_FALSE(state.extractedPlainText);
  EXPECT_EQ(state.DialogPrompts.texts[0], u"请选择您要用的证书");
  EXPECT_EQ(state.DialogPrompts.texts[7], u"查看");
  const std::u16string& copyright = state.DialogPrompts.copyRightInfo;
  EXPECT_EQ(std::count(copyright.begin(), copyright.end(), u'\n'), 2) << "three lines";
}

TEST_F(ControlTest, MaxCompSizeTakesOnlyPositiveValues) {
  for (LONG ignored : {0, -5}) {
    EXPECT_EQ(control->put_MaxCompSize(ignored), S_OK);
    EXPECT_EQ(MaxCompSize(), 51200);
  }
  EXPECT_EQ(control->put_MaxCompSize(1), S_OK);
  EXPECT_EQ(MaxCompSize(), 1);
}

TEST_F(ControlTest, DnSeparatorOfSevenCharactersAtMost) {
  EXPECT_EQ(control->put_DNspliter(Bstr(u"1234567").get()), S_OK);
  EXPECT_EQ(control->state().DNspliter, u"1234567");
  EXPECT_EQ(ErrorNum(), 0);

  ASSERT_EQ(control->VLSetPlainText(nullptr), S_FALSE);  // leaves a message behind
  EXPECT_EQ(control->put_DNspliter(Bstr(u"12345678").get()), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10025);
  EXPECT_EQ(ErrMsg(), u"源数据为空") << "the separator failure leaves errMsg alone";
  EXPECT_EQ(control->state().DNspliter, u"1234567");

  EXPECT_EQ(control->put_DNspliter(nullptr), S_OK);
  EXPECT_EQ(control->state().DNspliter, u"");
  try {
    control::CheckSubjectDn(control->state(), u"CN=a");
    ADD_FAILURE() << "a DN without a separator must be refused";
  } catch (const control::MethodFailure& failure) {
    EXPECT_EQ(failure.code, -10024);
    EXPECT_EQ(failure.message, u"未设置DN分隔符");
  }
}

TEST_F(ControlTest, ServerModeIsAFlagAndClearsTheReport) {
  ASSERT_EQ(control->VLSetPlainText(nullptr), S_FALSE);
  EXPECT_EQ(control->put_VLServerMode(7), S_OK);
  EXPECT_TRUE(control->state().serverMode);
  EXPECT_EQ(ErrorNum(), 0);
  EXPECT_EQ(ErrMsg(), std::nullopt);
  EXPECT_EQ(control->put_VLServerMode(0), S_OK);
  EXPECT_FALSE(control->state().serverMode);
}

TEST_F(ControlTest, GetVersionResetsErrorNumButKeepsTheMessage) {
  ASSERT_EQ(control->VLSetPlainText(nullptr), S_FALSE);
  BSTR version = nullptr;
  EXPECT_EQ(control->getVersion(&version), S_OK);
  EXPECT_EQ(Bstr::Attach(version).view(), u"2.0.59.4");
  EXPECT_EQ(ErrorNum(), 0);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  EXPECT_EQ(control->getVersion(nullptr), S_OK) << "no output pointer, no output";
}

TEST_F(ControlTest, DialogPromptStopsAtTheFirstEmptyText) {
  Bstr a(u"A"), b(u"B"), c(u"C"), e(u"E");
  EXPECT_EQ(control->VLSetDialogPrompt(a.get(), b.get(), c.get(), nullptr, e.get(), e.get(),
                                       e.get(), e.get()),
            S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  const auto& texts = control->state().DialogPrompts.texts;
  EXPECT_EQ(texts[0], u"A");
  EXPECT_EQ(texts[2], u"C");
  EXPECT_EQ(texts[3], u"颁发者") << "the empty text and those after it keep their values";
  EXPECT_EQ(texts[4], u"截止日期");

  Bstr all(std::u16string(100, u'字'));
  EXPECT_EQ(control->VLSetDialogPrompt(all.get(), all.get(), all.get(), all.get(), all.get(),
                                       all.get(), all.get(), all.get()),
            S_OK);
  EXPECT_EQ(texts[7].size(), 100u) << "texts of any length";
}

TEST_F(ControlTest, CopyrightText) {
  EXPECT_EQ(control->VLSetCopyRightInfo(Bstr(u"").get()), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(control->VLSetCopyRightInfo(Bstr(u"line 1\r\nline 2").get()), S_OK);
  EXPECT_EQ(control->state().DialogPrompts.copyRightInfo, u"line 1\r\nline 2");
}

TEST_F(ControlTest, AlgorithmIdentifiers) {
  EXPECT_EQ(control->VLSetDigestArithmetic(Bstr(u"2.16.840.1.101.3.4.2.1").get()), S_OK);
  EXPECT_EQ(control->state().digestAlgOid, "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(control->VLSetSymmetryArithmetic(Bstr(u"not checked here").get()), S_OK);
  EXPECT_EQ(control->state().symmetricAlgOid, "not checked here");

  EXPECT_EQ(control->VLSetDigestArithmetic(nullptr), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(control->VLSetDigestArithmetic(Bstr(std::u16string(128, u'1')).get()), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10033);
  EXPECT_EQ(control->state().digestAlgOid, "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(control->VLSetDigestArithmetic(Bstr(std::u16string(127, u'1')).get()), S_OK);

  control->VLSetCodePage(12345);
  EXPECT_EQ(control->VLSetSymmetryArithmetic(Bstr(u"1.2.3").get()), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10034);
  EXPECT_EQ(ErrMsg(), u"字符编码转换失败");
}

TEST_F(ControlTest, PlainTextIsHeldInTheCodePage) {
  ASSERT_EQ(SetPlainText(u"中文"), S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "\xD6\xD0\xCE\xC4");
  control->VLSetCodePage(65001);
  ASSERT_EQ(SetPlainText(u"中文"), S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "\xE4\xB8\xAD\xE6\x96\x87");
  control->VLSetCodePage(54936);
  ASSERT_EQ(SetPlainText(u"\U00020000"), S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "\x95\x32\x82\x36");
}

TEST_F(ControlTest, CodePageZeroIsTheSystemAnsiCodePage) {
  const char* old = std::getenv("VELSOR_ACP");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  setenv("VELSOR_ACP", "65001", 1);
  control->VLSetCodePage(0);
  EXPECT_EQ(SetPlainText(u"中"), S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "\xE4\xB8\xAD");
  saved ? setenv("VELSOR_ACP", saved->c_str(), 1) : unsetenv("VELSOR_ACP");
}

TEST_F(ControlTest, PlainTextStopsAtAZeroCharacter) {
  ASSERT_EQ(SetPlainText(std::u16string_view(u"ab\0cd", 5)), S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "ab");
  ASSERT_EQ(SetPlainText(std::u16string_view(u"\0cd", 3)), S_OK);
  EXPECT_EQ(control->state().pendingPlainText, "") << "held, with no bytes";
}

TEST_F(ControlTest, FailedPlainTextLeavesNoPendingText) {
  ASSERT_EQ(SetPlainText(u"old"), S_OK);
  control->VLSetCodePage(12345);
  EXPECT_EQ(SetPlainText(u"new"), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10034);
  EXPECT_EQ(ErrMsg(), u"编码转换失败");
  EXPECT_FALSE(control->state().pendingPlainText);

  control->VLSetCodePage(936);
  ASSERT_EQ(SetPlainText(u"old"), S_OK);
  EXPECT_EQ(SetPlainText(u""), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(control->state().pendingPlainText, "old") << "an empty text is refused first";
}

TEST_F(ControlTest, GetPlainText) {
  auto [hr, text] = GetPlainText();
  EXPECT_EQ(hr, S_OK) << "nothing extracted yet is not a failure";
  EXPECT_EQ(text, std::nullopt);
  EXPECT_EQ(ErrorNum(), 0);

  SetExtracted("\xD6\xD0\0\xCE\xC4"s);
  std::tie(hr, text) = GetPlainText();
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(text, std::u16string(u"中\0文", 3)) << "zero bytes are kept";
  EXPECT_TRUE(Extracted()) << "reading does not consume it";

  control->VLSetCodePage(65001);
  SetExtracted("");
  std::tie(hr, text) = GetPlainText();
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(text, std::nullopt);
  EXPECT_EQ(ErrorNum(), -10036);
  EXPECT_EQ(ErrMsg(), u"编码转换失败");
}

}  // namespace
}  // namespace velsor::testing
