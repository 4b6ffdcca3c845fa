#include "platform/codepage/codepage.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <optional>
#include <string>

#include "fixtures/wine.h"

namespace velsor::codepage {
namespace {

using namespace std::string_literals;

#ifdef _WIN32
// An empty value removes a variable from the environment on Windows.
int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CodePage, GbkUtf8AndGb18030ConvertBothWays) {
  EXPECT_EQ(ToCodePage(kGbk, u"中文A"),
            "\xD6\xD0\xCE\xC4"s
            "A");
  EXPECT_EQ(FromCodePage(kGbk, "\xD6\xD0\xCE\xC4"), u"中文");
  EXPECT_EQ(ToCodePage(kUtf8, u"中"), "\xE4\xB8\xAD");
  EXPECT_EQ(FromCodePage(kUtf8, "\xE4\xB8\xAD"), u"中");
  // U+20000 lies outside GBK; GB18030 holds every character.
  if (testing::RunningUnderWine()) {
    EXPECT_EQ(ToCodePage(kGb18030, u"\U00020000"), std::nullopt)
        << "expected Wine failure: Wine 8.0 has no table for code page 54936";
  } else {
    EXPECT_EQ(ToCodePage(kGb18030, u"\U00020000"), "\x95\x32\x82\x36");
    EXPECT_EQ(FromCodePage(kGb18030, "\x95\x32\x82\x36"), u"\U00020000");
  }
  EXPECT_EQ(ToCodePage(kGbk, u"€"), "\x80") << "the Windows table of 936 holds the euro sign";
}

TEST(CodePage, UnmappableCharactersBecomeTheDefaultCharacter) {
  if (testing::RunningUnderWine()) {
    EXPECT_EQ(ToCodePage(kGbk, u"a\U0001F600b"), "a??b")
        << "expected Wine difference: one default character for each half of a surrogate pair";
  } else {
    EXPECT_EQ(ToCodePage(kGbk, u"a\U0001F600b"), "a?b");
  }
  EXPECT_EQ(ToCodePage(1252, u"a中b"), "a?b");
  EXPECT_EQ(ToCodePage(1252, u"\uFF01"), "!") << "best-fit mappings come before the default";
}

TEST(CodePage, InputEndsAtItsFirstZeroCharacter) {
  EXPECT_EQ(ToCodePage(kGbk, std::u16string_view(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(ToCodePage(kGbk, std::u16string_view(u"\0cd", 3)), "")
      << "only the terminator is left: an empty result, not a failure";
}

TEST(CodePage, OutputKeepsZeroBytesAndEmptyInputFails) {
  EXPECT_EQ(FromCodePage(kGbk, "a\0b"s), std::u16string(u"a\0b", 3));
  EXPECT_EQ(FromCodePage(kGbk, ""), std::nullopt);
}

TEST(CodePage, UnsupportedNumbersFailEveryConversion) {
  for (std::uint32_t number : {1u, 1200u, 12345u, 0xFFFFFFFFu}) {
    EXPECT_EQ(ToCodePage(number, u"abc"), std::nullopt) << number;
    EXPECT_EQ(FromCodePage(number, "abc"), std::nullopt) << number;
  }
}

TEST(CodePage, EveryListedCodePageHasAWorkingTable) {
  for (std::uint32_t number :
       {437u,   850u,   852u,   866u,   874u,   932u,   936u,   949u,   950u,
        1250u,  1251u,  1252u,  1253u,  1254u,  1255u,  1256u,  1257u,  1258u,
        10000u, 20127u, 20866u, 21866u, 28591u, 28592u, 28593u, 28594u, 28595u,
        28596u, 28597u, 28598u, 28599u, 28603u, 28605u, 54936u, 65000u, 65001u}) {
    if (number == kGb18030 && testing::RunningUnderWine()) {
      EXPECT_EQ(ToCodePage(number, u"Az09"), std::nullopt)
          << "expected Wine failure: Wine 8.0 has no table for code page 54936";
      continue;
    }
    EXPECT_EQ(ToCodePage(number, u"Az09"), "Az09") << number;
    EXPECT_EQ(FromCodePage(number, "Az09"), u"Az09") << number;
  }
}

#ifdef _WIN32
TEST(CodePage, ZeroIsTheSystemsAnsiCodePageUnlessVelsorAcpNamesAnother) {
  {
    ScopedEnv noForce("VELSOR_ACP", nullptr);
    EXPECT_EQ(SystemAnsiCodePage(), GetACP());
  }
  ScopedEnv force("VELSOR_ACP", "936");
  EXPECT_EQ(ToCodePage(kAnsi, u"中"), "\xD6\xD0");
}
#else
TEST(CodePage, ZeroIsTheLocalesCharacterSet) {
  ScopedEnv noForce("VELSOR_ACP", nullptr);
  {
    ScopedEnv utf8("LC_ALL", "C.UTF-8");
    EXPECT_EQ(SystemAnsiCodePage(), kUtf8);
    EXPECT_EQ(ToCodePage(kAnsi, u"中"), "\xE4\xB8\xAD");
  }
  {
    ScopedEnv plain("LC_ALL", "C");
    EXPECT_EQ(SystemAnsiCodePage(), 20127u);
  }
  {
    // Not installed here, so the character set is read from the name.
    ScopedEnv gbk("LC_ALL", "zz_ZZ.GBK@variant");
    EXPECT_EQ(SystemAnsiCodePage(), kGbk);
  }
}

TEST(CodePage, VelsorAcpOverridesTheLocale) {
  ScopedEnv utf8("LC_ALL", "C.UTF-8");
  {
    ScopedEnv force("VELSOR_ACP", "936");
    EXPECT_EQ(ToCodePage(kAnsi, u"中"), "\xD6\xD0");
  }
  for (const char* ignored : {"0", "12345", "936x", ""}) {
    ScopedEnv force("VELSOR_ACP", ignored);
    EXPECT_EQ(SystemAnsiCodePage(), kUtf8) << ignored;
  }
}
#endif

TEST(CodePage, CharsetNamesOfLocales) {
  EXPECT_EQ(CodePageOfCharset("utf8"), kUtf8);
  EXPECT_EQ(CodePageOfCharset("GB2312"), kGbk);
  EXPECT_EQ(CodePageOfCharset("gb18030"), kGb18030);
  EXPECT_EQ(CodePageOfCharset("ISO-8859-15"), 28605u);
  EXPECT_EQ(CodePageOfCharset("ANSI_X3.4-1968"), 20127u);
  EXPECT_EQ(CodePageOfCharset("EBCDIC-XYZ"), std::nullopt);
}

}  // namespace
}  // namespace velsor::codepage
