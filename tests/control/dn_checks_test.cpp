#include "control/dn_checks.h"

#include <gtest/gtest.h>

#include "control/method_frame.h"

namespace velsor::control {
namespace {

// The code a DN check raises, or 0 when it passes.
LONG CheckCode(const ControlState& state, std::u16string_view dn) {
  try {
    CheckSubjectDn(state, dn);
    return 0;
  } catch (const MethodFailure& failure) {
    return failure.code;
  }
}

std::u16string Alternatives(std::size_t count, std::u16string_view separator) {
  std::u16string dn = u"CN=a";
  for (std::size_t i = 1; i < count; ++i) dn += std::u16string(separator) + u"CN=a";
  return dn;
}

TEST(DnChecks, LengthLimit) {
  ControlState state;
  EXPECT_EQ(CheckCode(state, std::u16string(32768, u'x')), 0);
  EXPECT_EQ(CheckCode(state, std::u16string(32769, u'x')), -10056);
  try {
    CheckSubjectDn(state, std::u16string(32769, u'x'), {.tooLong = messages::kIssuerDnTooLong});
    FAIL();
  } catch (const MethodFailure& failure) {
    EXPECT_EQ(failure.message, u"IssuerDN太长");
  }
}

TEST(DnChecks, CommaLimit) {
  ControlState state;
  EXPECT_EQ(CheckCode(state, u"CN=a" + std::u16string(255, u',')), 0);
  EXPECT_EQ(CheckCode(state, u"CN=a" + std::u16string(256, u',')), -10057);
}

TEST(DnChecks, SeparatorCount) {
  ControlState state;
  EXPECT_EQ(CheckCode(state, Alternatives(5, u"|")), 0);
  EXPECT_EQ(CheckCode(state, Alternatives(6, u"|")), -10025);
  state.DNspliter = u"##";
  EXPECT_EQ(CheckCode(state, Alternatives(6, u"|")), 0) << "only the set separator counts";
}

TEST(DnChecks, EmptySeparatorRefusesAnyDn) {
  ControlState state;
  state.DNspliter.clear();
  EXPECT_EQ(CheckCode(state, u"CN=a"), -10024);
  EXPECT_EQ(CheckCode(state, u""), 0) << "no DN needs no separator";
}

TEST(DnChecks, NoDnIsTheChoosersCaseOutsideServerMode) {
  ControlState state;
  EXPECT_FALSE(CheckSubjectDn(state, u""));
  EXPECT_TRUE(CheckSubjectDn(state, u"CN=a"));
  state.serverMode = true;
  try {
    CheckSubjectDn(state, u"", {.requiredInServerMode = messages::kSourceEmpty});
    FAIL();
  } catch (const MethodFailure& failure) {
    EXPECT_EQ(failure.code, -10001);
    EXPECT_EQ(failure.message, u"源数据为空");
  }
}

TEST(DnChecks, ChecksRunInOrder) {
  ControlState state;
  state.DNspliter.clear();
  // Too many commas is found before the missing separator.
  EXPECT_EQ(CheckCode(state, std::u16string(300, u',')), -10057);
  EXPECT_EQ(CheckCode(state, std::u16string(40000, u',')), -10056);
}

}  // namespace
}  // namespace velsor::control
