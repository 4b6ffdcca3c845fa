#include <random>

#include "control/member_fixture.h"
#include "fixtures/peak_memory.h"
#include "formats/base64.h"
#include "platform/codepage/utf.h"

namespace velsor::testing {
namespace {

class SigningMembersTest : public MemberTest {};

TEST_F(SigningMembersTest, AttachedSignatureLifecycle) {
  EXPECT_EQ(Status(u"VLAttachedSign", {Text(kAliceDn)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), u"源数据为空");

  ASSERT_EQ(SetPlainText(u"签名原文"), S_OK);
  const std::u16string signature = Text16(u"VLAttachedSign", {Text(kAliceDn)});
  EXPECT_EQ(signature.back(), u'\n');
  EXPECT_EQ(SignerDetail(1), kAliceDn);
  EXPECT_EQ(SignerDetail(5), u"1001");
  EXPECT_EQ(Status(u"VLAttachedSign", {Text(kAliceDn)}), S_FALSE)
      << "the first call consumed the pending plain text";
  EXPECT_EQ(SignerDetail(1), u"") << "a failed signature clears the signer";

  EXPECT_EQ(Status(u"VLAttachedVerify", {Text(signature)}), S_OK);
  EXPECT_EQ(GetPlainText().second, u"签名原文");
  EXPECT_EQ(SignerDetail(1), kAliceDn);
  EXPECT_EQ(Status(u"VLAttachedVerify", {Text(u"aGVsbG8gd29ybGQ=")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10007);
  EXPECT_EQ(ErrorCode(), static_cast<LONG>(0x80093000));
  EXPECT_EQ(ErrMsg(), u"验证错误");
  EXPECT_EQ(GetPlainText().second, u"签名原文") << "a failed verification keeps the text";
  EXPECT_EQ(SignerDetail(1), u"");
}

// The page's text of an attached message is read where it lies, so a big message is held
// once more than the page holds it; where it cannot be (a character outside ASCII, a code
// page that spells ASCII otherwise, a member read piecewise would refuse) the converted
// text decides, as it always has.
TEST_F(SigningMembersTest, AttachedVerificationReadsThePageTextWhereItCan) {
  ServerMode(true);
  if (kPeaksMeasurable) {
    // Past the allocator's largest mapping threshold, so every big buffer shows.
    std::mt19937 random(5);
    std::u16string content(36 << 20, u' ');
    for (char16_t& c : content) c = static_cast<char16_t>(u' ' + random() % 95);
    ASSERT_EQ(SetPlainText(content), S_OK);
    const VARIANT signature = Text(Text16(u"VLAttachedSign", {Text(kAliceDn)}));
    const long growth =
        PeakGrowthBytes([&] { EXPECT_EQ(Status(u"VLAttachedVerify", {signature}), S_OK); });
    EXPECT_LT(growth, static_cast<long>(content.size() * 13 / 10));
    EXPECT_TRUE(GetPlainText().second == content);
  }

  ASSERT_EQ(SetPlainText(u"read where it lies"), S_OK);
  const std::u16string signature = Text16(u"VLAttachedSign", {Text(kAliceDn)});
  const std::u16string withChinese = signature.substr(0, 64) + u"中" + signature.substr(64);
  EXPECT_EQ(Status(u"VLAttachedVerify", {Text(withChinese)}), S_OK);
  EXPECT_EQ(GetPlainText().second, u"read where it lies");
  EXPECT_EQ(Status(u"VLSetCodePage", {Number(65000)}), S_OK);
  EXPECT_EQ(Status(u"VLAttachedVerify", {Text(signature)}), S_OK);
  EXPECT_EQ(Status(u"VLSetCodePage", {Number(936)}), S_OK);

  ASSERT_EQ(SetPlainText(std::u16string(60000, u'z')), S_OK);
  const std::u16string packed = Text16(u"VLAttachedSign", {Text(kAliceDn)});
  Bytes member = *formats::Base64Decode(codepage::Utf16ToUtf8(packed));
  ASSERT_EQ(member[0], 0x1F);
  member[member.size() - 6] ^= 1;  // the CRC: the member stays as it came, not a message
  EXPECT_EQ(
      Status(u"VLAttachedVerify", {Text(codepage::Utf8ToUtf16(*formats::Base64Encode(member)))}),
      S_FALSE);
  EXPECT_EQ(ErrorNum(), -10007);
}

TEST_F(SigningMembersTest, ServerModeAndTheChooser) {
  ServerMode(true);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLAttachedSign", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"必须设置默认证书DN");
  EXPECT_EQ(Status(u"VLDetachedSign", {Text(u"x"), Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  EXPECT_TRUE(host->choosers().empty());

  ServerMode(false);
  SetPlainText(u"x");
  host->SelectText(u"Bob Li").ClickOk();
  Text16(u"VLAttachedSign", {Text(u"")});
  ASSERT_EQ(host->choosers().size(), 1u);
  EXPECT_EQ(SignerDetail(1), kBobDn);

  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLAttachedSign", {Text(std::u16string(32769, u'a'))}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10056);
  ServerMode(true);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLAttachedSign", {Text(std::u16string(32768, u'a'))}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10005) << "32768 characters pass the length check";
}

TEST_F(SigningMembersTest, DetachedSignaturesAndThePendingText) {
  SetPlainText(u"pending");
  const std::u16string detached = Text16(u"VLDetachedSign", {Text(u"detached"), Text(kAliceDn)});
  EXPECT_EQ(Status(u"VLDetachedVerify", {Text(detached), Text(u"detached")}), S_OK);
  EXPECT_EQ(Status(u"VLDetachedVerify", {Text(detached), Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(Status(u"VLDetachedVerify", {Text(u""), Text(u"x")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(Status(u"VLDetachedVerify", {Text(detached), Text(u"other")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10010);

  // VLDetachedSign leaves the pending text; VLDetachedSignBySN consumes it.
  EXPECT_EQ(Text16(u"VLAttachedSign", {Text(kAliceDn)}).empty(), false);
  SetPlainText(u"pending");
  EXPECT_EQ(Status(u"VLDetachedSignBySN", {Text(u"x"), Text(u"1001")}), S_FALSE);
  EXPECT_EQ(Status(u"VLAttachedSign", {Text(kAliceDn)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
}

TEST_F(SigningMembersTest, SerialNumberMembers) {
  SetPlainText(u"x");
  Text16(u"VLAttachedSignByIssuerSN", {Text(u"1001"), Text(kCaDn)});
  EXPECT_EQ(SignerDetail(1), kAliceDn);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLAttachedSignByIssuerSN", {Text(u"1001"), Text(u"")}), S_FALSE)
      << "an empty issuer is the fixed one, which issued nothing here";
  EXPECT_EQ(ErrorNum(), -10005);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLAttachedSignBySN", {Text(u"1001")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10005);

  SetPlainText(u"x");
  host->SelectText(u"Alice Zhang").ClickOk();
  Text16(u"VLAttachedSignBySN", {Text(u"")});
  EXPECT_EQ(host->choosers().back().rows.size(), 8u) << "every certificate with a key";
  SetPlainText(u"x");
  host->SelectText(u"Bob Li").ClickOk();
  EXPECT_EQ(Status(u"VLUseKeySpecAttachedSignBySN", {Text(u"")}), S_OK);
  EXPECT_EQ(host->choosers().back().rows.size(), 1u) << "only the signature key";

  ServerMode(true);
  EXPECT_EQ(Status(u"VLDetachedSignByIssuerSN",
                   {Text(u"x"), Text(u"1001"), Text(std::u16string(32769, u'a'))}),
            S_FALSE);
  EXPECT_EQ(ErrMsg(), u"IssuerDN太长");
  EXPECT_EQ(Status(u"VLDetachedSignByIssuerSN", {Text(u"x"), Text(u""), Text(kCaDn)}), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  // Which check comes first differs between the plain and the key-spec member.
  const std::u16string badIssuer(300, u',');
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLAttachedSignByIssuerSN", {Text(u""), Text(badIssuer)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLUseKeySpecAttachedSignByIssuerSN", {Text(u""), Text(badIssuer)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10057);
  const std::u16string signature =
      Text16(u"VLDetachedSignByIssuerSN", {Text(u"by serial"), Text(u"1001"), Text(kCaDn)});
  EXPECT_EQ(Status(u"VLDetachedVerify", {Text(signature), Text(u"by serial")}), S_OK);
}

TEST_F(SigningMembersTest, RawAndAdvancedSignatures) {
  InAddressBook(SharedTestPki().alice);
  SetPlainText(u"raw");
  const std::u16string raw = Text16(u"VLRawSign", {Text(kAliceDn)});
  EXPECT_EQ(Status(u"VLRawVerify", {Text(raw), Text(kAliceDn), Text(u"raw")}), S_OK);
  EXPECT_EQ(Status(u"VLRawVerify", {Text(raw), Text(kAliceDn), Text(u"RAW")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10032);
  EXPECT_EQ(ErrMsg(), u"验证错误");
  SetPlainText(u"raw");
  Text16(u"VLUseKeySpecRawSign", {Text(u"O=Velsor")});
  EXPECT_EQ(SignerDetail(1), kBobDn);

  SetPlainText(u"advanced");
  const std::u16string attached = Text16(u"VLAdvanceAttachedSign", {Text(kAliceDn)});
  EXPECT_EQ(Status(u"VLAdvanceAttachedVerify", {Text(attached)}), S_OK);
  EXPECT_EQ(GetPlainText().second, u"advanced");
  const std::u16string detached =
      Text16(u"VLAdvanceDetachedSign", {Text(u"advanced detached"), Text(kAliceDn)});
  EXPECT_EQ(Status(u"VLAdvanceDetachedVerify", {Text(detached), Text(u"advanced detached")}), S_OK);
  EXPECT_EQ(Status(u"VLUseSpecAdvanceDetachedSign", {Text(u"x"), Text(kBobDn)}), S_OK);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLUseSpecAdvanceAttachedSign", {Text(kBobDn)}), S_OK);
  SetPlainText(u"afterwards");
  EXPECT_EQ(Status(u"VLAfterwardsVerify", {Text(Text16(u"VLAttachedSign", {Text(kAliceDn)}))}),
            S_OK);
  EXPECT_EQ(GetPlainText().second, u"afterwards");
}

TEST_F(SigningMembersTest, ALongSerialNeverLeavesTheEarlierSignerInPlace) {
  constexpr char16_t kLongDn[] = u"C=CN, O=Velsor, OU=Testing, CN=Long Serial";
  InAddressBook(SharedTestPki().longSerial);
  const auto signedBy = [&](std::u16string_view dn) {
    SetPlainText(u"x");
    return Text16(u"VLAttachedSign", {Text(dn)});
  };
  const std::u16string bySerial = signedBy(kLongDn);
  const std::u16string serialText = SignerDetail(5);
  EXPECT_EQ(serialText.size(), 2u * 60 + 29) << "60 bytes in groups of four digits";
  EXPECT_EQ(SignerDetail(1), kLongDn);

  const std::u16string byAlice = signedBy(kAliceDn);
  EXPECT_EQ(Status(u"VLAttachedVerify", {Text(bySerial)}), S_OK);
  EXPECT_EQ(SignerDetail(5), serialText) << "verification";

  signedBy(kAliceDn);
  SetPlainText(u"x");
  const std::u16string advanced = Text16(u"VLAdvanceAttachedSign", {Text(kLongDn)});
  EXPECT_EQ(SignerDetail(5), serialText) << "advanced signing";
  EXPECT_EQ(Status(u"VLAttachedVerify", {Text(byAlice)}), S_OK);
  EXPECT_EQ(Status(u"VLAdvanceAttachedVerify", {Text(advanced)}), S_OK);
  EXPECT_EQ(SignerDetail(5), serialText) << "advanced verification";

  signedBy(kAliceDn);
  SetPlainText(u"x");
  const std::u16string both =
      Text16(u"VLSignedAndEncryptedEnvelop", {Text(kLongDn), Text(kLongDn)});
  EXPECT_EQ(SignerDetail(5), serialText);
  EXPECT_EQ(RecipientDetail(5), serialText);
  signedBy(kAliceDn);
  EXPECT_EQ(Status(u"VLDecryptedAndVerifiedEnvelop", {Text(both)}), S_OK);
  EXPECT_EQ(SignerDetail(5), serialText) << "signed-and-enveloped";
}

TEST_F(SigningMembersTest, Envelopes) {
  InAddressBook(SharedTestPki().alice);
  SetPlainText(u"机密");
  const std::u16string envelope = Text16(u"VLEncryptedEnvelop", {Text(kAliceDn)});
  EXPECT_EQ(RecipientDetail(1), kAliceDn);
  EXPECT_EQ(Status(u"VLEncryptedEnvelop", {Text(kAliceDn)}), S_FALSE) << "consumed";
  EXPECT_EQ(RecipientDetail(1), u"");
  EXPECT_EQ(Status(u"VLDecryptEnvelop", {Text(envelope)}), S_OK);
  EXPECT_EQ(GetPlainText().second, u"机密");
  EXPECT_EQ(RecipientDetail(5), u"1001");

  SetPlainText(u"signed secret");
  const std::u16string both =
      Text16(u"VLSignedAndEncryptedEnvelop", {Text(kBobDn), Text(kAliceDn)});
  EXPECT_EQ(Status(u"VLDecryptedAndVerifiedEnvelop", {Text(both)}), S_OK);
  EXPECT_EQ(GetPlainText().second, u"signed secret");
  EXPECT_EQ(SignerDetail(1), kBobDn);
  EXPECT_EQ(RecipientDetail(1), kAliceDn);

  ServerMode(true);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLSignedAndEncryptedEnvelop", {Text(kBobDn), Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"源数据为空");
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLSignedAndEncryptedEnvelop",
                   {Text(kBobDn), Text(u"C=CN, O=Velsor, OU=Testing, CN=Expired User")}),
            S_FALSE)
      << "the recipient is never looked for in MY";
  EXPECT_EQ(ErrorNum(), -10005);
  EXPECT_EQ(ErrMsg(), u"制作带签名的数字信封失败");
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLUseKeySpecSignedAndEncryptedEnvelop", {Text(kAliceDn), Text(kAliceDn)}),
            S_OK)
      << "server mode matches the DN as given";
  EXPECT_EQ(Status(u"VLDecryptEnvelop", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
}

}  // namespace
}  // namespace velsor::testing
