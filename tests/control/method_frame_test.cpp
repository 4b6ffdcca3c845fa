#include "control/method_frame.h"

#include <gtest/gtest.h>

#include "control/cert_info_store.h"
#include "control/control_fixture.h"
#include "platform/com/bstr.h"

namespace velsor::control {
namespace {

certs::CertInfo FullInfo(std::u16string_view tag) {
  certs::CertInfo info;
  for (auto& item : info.items) item = std::u16string(tag);
  return info;
}

class MethodFrameTest : public ::testing::Test {
 protected:
  ControlState state;
  // Not a string the frame may free: a failing frame must overwrite it.
  BSTR output = reinterpret_cast<BSTR>(&state);

  void SetUp() override {
    state.signerCertInfo = FullInfo(u"signer");
    state.reciptCertInfo = FullInfo(u"recipient");
    state.pendingPlainText = "pending";
    state.errorCode = 77;
    state.errMsg = u"earlier";
  }
};

TEST_F(MethodFrameTest, SuccessReportsZeroAndEmptiesTheMessage) {
  HRESULT hr =
      MethodFrame(state, {}, &output).Run([] { return std::optional<std::u16string>(u"r"); });
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(Bstr::Attach(output).view(), u"r");
  EXPECT_EQ(state.errorNum, 0);
  EXPECT_EQ(state.errMsg, std::nullopt);
  EXPECT_EQ(state.errorCode, 77) << "a success never resets the platform error";
  EXPECT_EQ(state.pendingPlainText, "pending");
}

TEST_F(MethodFrameTest, AbsentResultGivesANullString) {
  MethodFrame(state, {}, &output).Run([] { return std::optional<std::u16string>(); });
  EXPECT_EQ(output, nullptr);
}

TEST_F(MethodFrameTest, FailureClearsWhatTheMethodWouldHaveMade) {
  const FrameRules rules{.fills = CertDetailSets::Signer, .consumesPendingPlainText = true};
  HRESULT hr = MethodFrame(state, rules, &output).Run([]() -> std::optional<std::u16string> {
    Raise(-10005, u"签名失败");
  });
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(output, nullptr);
  EXPECT_EQ(state.errorNum, -10005);
  EXPECT_EQ(state.errMsg, u"签名失败");
  EXPECT_EQ(state.errorCode, 77) << "only engine failures carry a platform error";
  EXPECT_FALSE(state.pendingPlainText);
  for (const auto& item : state.signerCertInfo.items) EXPECT_FALSE(item);
  for (const auto& item : state.reciptCertInfo.items) EXPECT_EQ(item, u"recipient");
}

TEST_F(MethodFrameTest, ConsumedPendingTextGoesOnSuccessToo) {
  MethodFrame(state, {.consumesPendingPlainText = true}, nullptr).Run([] {});
  EXPECT_FALSE(state.pendingPlainText);
}

TEST_F(MethodFrameTest, EngineFailureRecordsThePlatformError) {
  MethodFrame(state, {.fills = CertDetailSets::SignerAndRecipient}, nullptr).Run([] {
    RaiseEngineFailure(-10007, static_cast<LONG>(0x80093000), u"验证错误");
  });
  EXPECT_EQ(state.errorNum, -10007);
  EXPECT_EQ(state.errorCode, static_cast<LONG>(0x80093000));
  EXPECT_EQ(state.errMsg, u"验证错误");
  for (const auto& item : state.signerCertInfo.items) EXPECT_FALSE(item);
  for (const auto& item : state.reciptCertInfo.items) EXPECT_FALSE(item);
}

TEST_F(MethodFrameTest, OutOfMemoryIsReportedWithTheMethodsText) {
  HRESULT hr =
      MethodFrame(state, {.noMemoryMessage = messages::kNoMemoryForTexts}, nullptr).Run([] {
        throw std::bad_alloc();
      });
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(state.errorNum, -10000);
  EXPECT_EQ(state.errMsg, u"无可用内存空间");
}

TEST(StoreCertInfo, ReplacesOnlyTheItemsTheEngineReturned) {
  certs::CertInfo stored = FullInfo(u"old");
  certs::CertInfo fromEngine;
  fromEngine[certs::CertDetail::Issuer] = u"new issuer";
  fromEngine[certs::CertDetail::SerialNumber] = u"01";
  StoreCertInfo(stored, std::move(fromEngine));
  EXPECT_EQ(stored[certs::CertDetail::Subject], u"old");
  EXPECT_EQ(stored[certs::CertDetail::Issuer], u"new issuer");
  EXPECT_EQ(stored[certs::CertDetail::NotAfter], u"old");
  EXPECT_EQ(stored[certs::CertDetail::SerialNumber], u"01");
}

TEST(StoreCertInfo, DetailsThatCannotBeMadeClearTheSet) {
  certs::CertInfo stored = FullInfo(u"earlier certificate");
  certs::CertInfo fromEngine;
  fromEngine.unavailable = true;
  StoreCertInfo(stored, std::move(fromEngine));
  for (const auto& item : stored.items) EXPECT_FALSE(item);
}

TEST(TypeErrorMessage, IsWidenedFromGbkWhateverTheCodePage) {
  EXPECT_EQ(messages::TypeError(), u"类型错误，没有该类型的值");
}

}  // namespace
}  // namespace velsor::control

namespace velsor::testing {
namespace {

TEST_F(ControlTest, FailureThenSuccessLifecycle) {
  control->state().errorCode = 5;  // as an earlier engine failure left it
  EXPECT_EQ(control->VLSetCopyRightInfo(nullptr), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  EXPECT_EQ(control->VLSetCopyRightInfo(Bstr(u"x").get()), S_OK);
  EXPECT_EQ(ErrorNum(), 0);
  EXPECT_EQ(ErrMsg(), std::nullopt);
  EXPECT_EQ(ErrorCode(), 5);
}

}  // namespace
}  // namespace velsor::testing
