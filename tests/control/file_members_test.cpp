#include "control/member_fixture.h"
#include "fixtures/huge_member.h"
#include "fixtures/test_files.h"
#include "formats/base64.h"
#include "platform/codepage/utf.h"

namespace velsor::testing {
namespace {

namespace fs = std::filesystem;

class FileMembersTest : public MemberTest {
 protected:
  std::u16string Path16(const fs::path& path) { return codepage::Utf8ToUtf16(path.string()); }
  fs::path FileWith(const std::string& name, std::string_view content) {
    const fs::path path = home.path() / name;
    WriteFile(path, AsBytes(content));  // content may hold zero bytes
    return path;
  }
  void SaveTo(const fs::path& path) { host->AnswerFileDialog({ui::DialogOutcome::Done, path}); }
};

TEST_F(FileMembersTest, ASignedFileIsVerifiedAndItsContentSaved) {
  SetPlainText(u"contract text");
  const std::string signature = codepage::Utf16ToUtf8(Text16(u"VLAttachedSign", {Text(kAliceDn)}));
  const fs::path signedFile = FileWith("order.sign", signature);
  SaveTo(home.path() / "order");
  ASSERT_EQ(Status(u"VLAttachedVerifySignedFile", {Text(Path16(signedFile))}), S_OK);
  EXPECT_EQ(host->fileDialogs().back().proposedName, u"order");
  EXPECT_EQ(host->fileDialogs().back().title, u"Save");
  EXPECT_EQ(AsText(ReadFile(home.path() / "order")), "contract text");
  EXPECT_EQ(SignerDetail(1), kAliceDn);

  for (const char* name : {"order.txt", "a.SIGN"}) {
    SaveTo(home.path() / "other");
    ASSERT_EQ(Status(u"VLAttachedVerifySignedFile", {Text(Path16(FileWith(name, signature)))}),
              S_OK);
    EXPECT_EQ(host->fileDialogs().back().proposedName, u"") << name;
  }
  EXPECT_EQ(Status(u"VLAttachedVerifySignedFile", {Text(Path16(signedFile))}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -1) << "the save dialog was cancelled";
  EXPECT_EQ(ErrMsg(), u"保存文件失败");
  EXPECT_EQ(SignerDetail(1), kAliceDn) << "this member never clears the signer";

  EXPECT_EQ(Status(u"VLAttachedVerifySignedFile", {Text(Path16(FileWith("empty.sign", "")))}),
            S_FALSE);
  EXPECT_EQ(ErrorNum(), -1);
  EXPECT_EQ(ErrMsg(), u"读取文件失败");
  EXPECT_EQ(Status(u"VLAttachedVerifySignedFile", {Text(u"relative.sign")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -1) << "a path without a separator";
  EXPECT_EQ(Status(u"VLAttachedVerifySignedFile", {Text(Path16(FileWith("bad.sign", "@@@")))}),
            S_FALSE);
  EXPECT_EQ(ErrMsg(), u"验证错误");
}

TEST_F(FileMembersTest, AFileIsEncryptedForACertificateAndOpenedAgain) {
  const std::u16string certificate =
      codepage::Utf8ToUtf16(*formats::Base64Encode(SharedTestPki().alice.encoded));
  EXPECT_EQ(Status(u"VLEncryptFileAndSave", {Text(certificate)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001) << "nothing to encrypt yet";

  ASSERT_EQ(Status(u"VLAddFileForEncrypt",
                   {Text(Path16(FileWith("secret.bin", std::string_view("file\0bytes", 10))))}),
            S_OK);
  SaveTo(home.path() / "secret.cry");
  ASSERT_EQ(Status(u"VLEncryptFileAndSave", {Text(certificate)}), S_OK);
  EXPECT_EQ(host->fileDialogs().back().filter, u"*.cry");
  EXPECT_EQ(host->fileDialogs().back().defaultExtension, u"cry");
  EXPECT_FALSE(control->state().pendingPlainText) << "consumed";

  const std::u16string envelope =
      codepage::Utf8ToUtf16(std::string(AsText(ReadFile(home.path() / "secret.cry"))));
  ASSERT_EQ(Status(u"VLDecryptEnvelop", {Text(envelope)}), S_OK);
  EXPECT_EQ(Extracted(), std::string("file\0bytes", 10));

  ASSERT_EQ(Status(u"VLAddFileForEncrypt", {Text(Path16(home.path() / "secret.bin"))}), S_OK);
  EXPECT_EQ(Status(u"VLEncryptFileAndSave", {Text(certificate)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10004) << "a cancelled save dialog";
  EXPECT_EQ(ErrMsg(), u"用户取消");

  ServerMode(true);
  ASSERT_EQ(Status(u"VLAddFileForEncrypt", {Text(Path16(home.path() / "secret.bin"))}), S_OK)
      << "a named file needs no dialog";
  EXPECT_EQ(Status(u"VLEncryptFileAndSave", {Text(certificate)}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  ServerMode(false);
  SetPlainText(u"x");
  EXPECT_EQ(Status(u"VLEncryptFileAndSave", {Text(u"aGVsbG8gd29ybGQ=")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10035);
  EXPECT_EQ(ErrMsg(), u"加密失败");
  EXPECT_EQ(Status(u"VLAddFileForEncrypt", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10004) << "the open dialog was cancelled";
}

// Hostile input through dispatch: every call gives its defined code, and what the object
// holds survives.
TEST_F(FileMembersTest, HostileInputSweep) {
  SetExtracted("kept extracted text");
  SetPlainText(u"kept pending text");
  const std::u16string huge(4 << 20, u'A');
  const std::u16string withZeros(u"ab\0cd", 5);
  const std::u16string notDer = u"MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA";
  const std::u16string bomb = codepage::Utf8ToUtf16(*formats::Base64Encode(HugeZeroMember()));
  struct Case {
    std::u16string member;
    std::u16string argument;
    LONG expected;
  };
  const std::vector<Case> cases{
      {u"VLAttachedVerify", huge, -10007},
      {u"VLAttachedVerify", withZeros, -10002},
      {u"VLAttachedVerify", notDer, -10007},
      {u"VLAttachedVerify", bomb, -10007},
      {u"VLAdvanceAttachedVerify", notDer, -10037},
      {u"VLDecryptEnvelop", notDer, -10007},
      {u"VLDecryptedAndVerifiedEnvelop", huge, -10007},
      {u"VLAfterwardsVerify", u"YWJ", -10002},
      {u"VLGetCertExtension", huge, -10056},
      {u"VLEnumCertsDNByIssers", huge, -10056},
  };
  for (const Case& c : cases) {
    std::vector<VARIANT> args{Text(c.argument)};
    if (c.member == u"VLGetCertExtension") args.push_back(Text(u"2.5.29.15"));
    EXPECT_EQ(Method(c.member, std::move(args)).hr, S_FALSE) << codepage::Utf16ToUtf8(c.member);
    EXPECT_EQ(ErrorNum(), c.expected) << codepage::Utf16ToUtf8(c.member);
  }
  EXPECT_EQ(Method(u"VLAttachedVerify", {Kind(VT_DISPATCH)}).hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Method(u"VLDetachedVerify", {Text(u"x")}).hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Method(u"VLGetSignerCertInfo", {Number(-1)}).hr, DISP_E_OVERFLOW);
  EXPECT_EQ(Extracted(), "kept extracted text");
  EXPECT_EQ(control->state().pendingPlainText, "kept pending text");
}

}  // namespace
}  // namespace velsor::testing
