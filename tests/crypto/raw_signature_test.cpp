#include <gtest/gtest.h>

#include "crypto/message_helpers.h"
#include "crypto/raw_engine.h"
#include "fixtures/openssl_cli.h"
#include "fixtures/test_files.h"
#include "fixtures/test_pki.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::crypto {
namespace {

using testing::ReadFile;
using testing::SharedTestPki;
using testing::Shell;
using testing::WriteFile;
using testing::WritePem;
namespace fs = std::filesystem;

class RawSignatureTest : public ::testing::Test {
 protected:
  void SetUp() override { SharedTestPki().Install(); }

  SignResult Sign(std::string_view content, std::u16string_view dn, bool serverMode = true) {
    return RawSign(View(content), serverMode, dn, u"|", settings);
  }
  VerifyResult Verify(const std::string& signature, std::string_view content,
                      std::u16string_view dn = kAlice) {
    return RawVerify(signature, true, View(content), dn, u"|", settings);
  }
  void AliceInAddressBook() {
    ASSERT_TRUE(crypt::CertStore::Open(u"AddressBOOK")->Add(SharedTestPki().alice.encoded));
  }

  testing::ScopedVelsorHome home;
  ui::ScriptedDialogHost host;
  certs::ChooserTexts texts{};
  RawSettings settings{kSha1, false, certs::ChooserSetting{texts, host}};
};

TEST_F(RawSignatureTest, SignAndVerifyWithTheOtherPartysCertificate) {
  const SignResult signed_ = Sign("raw content", kAlice);
  ASSERT_EQ(signed_.status, 0);
  EXPECT_EQ(Decoded(signed_.base64).size(), 256u) << "the modulus length of a 2048-bit key";
  EXPECT_EQ(signed_.base64.find('\n'), 64u);
  EXPECT_EQ(signed_.signerInfo[certs::CertDetail::Subject], kAlice);

  EXPECT_EQ(Verify(signed_.base64, "raw content").status, -10005)
      << "the signer's certificate only in MY is not found";
  AliceInAddressBook();
  const VerifyResult verified = Verify(signed_.base64, "raw content");
  EXPECT_EQ(verified.status, 0);
  EXPECT_EQ(verified.signerInfo[certs::CertDetail::Subject], kAlice);
  const VerifyResult changed = Verify(signed_.base64, "raw Content");
  EXPECT_EQ(changed.status, -10032);
  EXPECT_EQ(changed.lastError, static_cast<LONG>(0x80090006));
  EXPECT_EQ(Verify("", "raw content").status, -10001);
  EXPECT_EQ(Verify(signed_.base64, "").status, -10001);
  EXPECT_EQ(Verify("not base64!", "raw content").status, -10002);

  settings.digestOid = "2.16.840.1.101.3.4.2.1";
  EXPECT_EQ(Verify(Sign("sha-256", kAlice).base64, "sha-256").status, 0);
  EXPECT_EQ(Verify(signed_.base64, "raw content").status, -10032) << "digest differs";
}

TEST_F(RawSignatureTest, SignerSelectionAndFailures) {
  settings.signatureKeyOnly = true;
  EXPECT_EQ(Sign("x", u"O=Velsor", false).signerInfo[certs::CertDetail::SerialNumber], u"1002");
  settings.signatureKeyOnly = false;
  EXPECT_EQ(Sign("x", u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN", false).status, 0)
      << "reversed DN retry";
  EXPECT_EQ(RawSign(std::nullopt, true, kAlice, u"|", settings).status, -10001);

  settings.digestOid = "1.2.3.4";
  const SignResult unknown = Sign("x", kAlice);
  EXPECT_EQ(unknown.status, -10029);
  EXPECT_EQ(unknown.lastError, static_cast<LONG>(0x80090008));

  // A certificate in MY linked to no key signs on the default container, which has none.
  settings.digestOid = kSha1;
  ASSERT_TRUE(crypt::CertStore::Open(u"MY")->Add(SharedTestPki().partner.encoded));
  EXPECT_EQ(Sign("x", u"CN=Partner Wang").status, -10031);
  // Chain failures come before the signature is looked at.
  ASSERT_TRUE(crypt::CertStore::Open(u"AddressBOOK")->Add(SharedTestPki().expired.encoded));
  EXPECT_EQ(Verify(Sign("x", u"CN=Expired User").base64, "x", u"CN=Expired User").status, -10011);
}

TEST_F(RawSignatureTest, InteropWithOpensslDgst) {
  AliceInAddressBook();
  const fs::path dir = home.path();
  WritePem(dir / "alice.pem", SharedTestPki().alice);
  WriteFile(dir / "content.txt", View("dgst content"));
  ASSERT_EQ(Shell("openssl x509 -in " + (dir / "alice.pem").string() + " -pubkey -noout > " +
                  (dir / "alice-pub.pem").string()),
            0);
  WriteFile(dir / "ours.sig", Decoded(Sign("dgst content", kAlice).base64));
  EXPECT_EQ(
      Shell("openssl dgst -sha1 -verify " + (dir / "alice-pub.pem").string() + " -signature " +
            (dir / "ours.sig").string() + " " + (dir / "content.txt").string() + " >/dev/null"),
      0);
  ASSERT_EQ(Shell("openssl dgst -sha1 -sign " + (dir / "alice.pem").string() + " -out " +
                  (dir / "theirs.sig").string() + " " + (dir / "content.txt").string()),
            0);
  EXPECT_EQ(Verify(*formats::Base64Encode(ReadFile(dir / "theirs.sig")), "dgst content").status, 0);
}

TEST(HashAndEncode, DigestText) {
  EXPECT_EQ(HashAndEncode(View("abc"), kSha1), "qZk+NkcGgWq6PiVxeFDCbJzQ2J0=\n");
  constexpr char kSha512[] = "2.16.840.1.101.3.4.2.3";
  EXPECT_EQ(HashAndEncode(View(""), kSha512).value_or("").size(), 90u)
      << "two lines, each ending in a feed";
  EXPECT_EQ(HashAndEncode(View("abc"), "1.2.3.4").code(), -10023);
  EXPECT_EQ(HashAndEncode(std::nullopt, kSha1).code(), -10001);
}

}  // namespace
}  // namespace velsor::crypto
