#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "crypto/advance_engine.h"
#include "crypto/message_helpers.h"
#include "fixtures/openssl_cli.h"
#include "fixtures/peak_memory.h"
#include "fixtures/test_files.h"
#include "fixtures/test_pki.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/signed_message_openssl.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::crypto {
namespace {

using testing::ReadFile;
using testing::SharedTestPki;
using testing::Shell;
using testing::WriteCertificatePem;
using testing::WriteFile;
using testing::WritePem;
namespace fs = std::filesystem;

bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

class AdvanceTest : public ::testing::Test {
 protected:
  void SetUp() override { SharedTestPki().Install(); }

  SignResult Sign(std::string_view content, bool detached, std::u16string_view dn = kAlice) {
    settings.detached = detached;
    return AdvanceSign(View(content), true, dn, u"|", settings);
  }

  testing::ScopedVelsorHome home;
  ui::ScriptedDialogHost host;
  certs::ChooserTexts texts{};
  SignSettings settings{false, 51200, kSha1, false, certs::ChooserSetting{texts, host}};
};

TEST_F(AdvanceTest, VerificationHoldsTheMessageAndItsContentOnce) {
  // Random bytes do not compress; the message is left uncompressed to measure the parse.
  std::string content(std::size_t{16} << 20, '\0');
  std::mt19937 random(7);
  for (char& c : content) c = static_cast<char>(random());
  settings.compressThreshold = std::numeric_limits<std::int32_t>::max();
  const SignResult attached = Sign(content, false);
  ASSERT_EQ(attached.status, 0);
  content.clear();
  content.shrink_to_fit();
  VerifyResult opened;
  const long peak = testing::PeakGrowthBytes(
      [&] { opened = AdvanceVerify(attached.base64, VerifyMode::Attached); });
  ASSERT_EQ(opened.status, 0);
  // The decoded message and the content: about twice the content, never the four or five
  // copies a parser holding its own copies would take.
  if (testing::kPeaksMeasurable) {
    EXPECT_LT(peak, static_cast<long>(opened.content.size() * 5 / 2));
  }
}

TEST_F(AdvanceTest, AttachedAndDetachedForms) {
  const std::string content("binary\0content\xff", 15);
  const SignResult attached = Sign(content, false);
  ASSERT_EQ(attached.status, 0);
  EXPECT_EQ(attached.signerInfo[certs::CertDetail::Subject], kAlice);
  const VerifyResult opened = AdvanceVerify(attached.base64, VerifyMode::Attached);
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(opened.content), content);
  EXPECT_EQ(opened.signerInfo[certs::CertDetail::Subject], kAlice);
  EXPECT_EQ(AdvanceVerify(attached.base64, VerifyMode::Detached, View(content)).status, -10010);

  const SignResult detached = Sign(content, true);
  ASSERT_EQ(detached.status, 0);
  EXPECT_EQ(AdvanceVerify(detached.base64, VerifyMode::Detached, View(content)).status, 0);
  const VerifyResult other = AdvanceVerify(detached.base64, VerifyMode::Detached, View("other"));
  EXPECT_EQ(other.status, -10032);
  EXPECT_EQ(other.lastError, static_cast<LONG>(0x80090006));

  settings.compressThreshold = 1;
  for (bool detachedForm : {false, true}) {
    const SignResult packed = Sign(content, detachedForm);
    EXPECT_EQ(Decoded(packed.base64).front(), 0x1F) << "both forms are compressed";
    EXPECT_EQ(
        AdvanceVerify(packed.base64, detachedForm ? VerifyMode::Detached : VerifyMode::Attached,
                      View(content))
            .status,
        0);
  }
  EXPECT_EQ(AdvanceVerify(std::nullopt, VerifyMode::Attached).status, -10001);
  EXPECT_EQ(AdvanceVerify("not base64!", VerifyMode::Attached).status, -10002);
  EXPECT_EQ(AdvanceVerify("aGVsbG8gd29ybGQ=", VerifyMode::Attached).status, -10037);
}

TEST_F(AdvanceTest, MessagesCrossBothVerifiers) {
  settings.detached = false;
  const SignResult platform = SignMessage(View("cross"), true, kAlice, u"|", settings);
  const VerifyResult byHand = AdvanceVerify(platform.base64, VerifyMode::Attached);
  ASSERT_EQ(byHand.status, 0);
  EXPECT_EQ(AsText(byHand.content), "cross");
  const VerifyResult byPlatform =
      VerifySignedMessage(Sign("cross", false).base64, VerifyMode::Attached);
  ASSERT_EQ(byPlatform.status, 0);
  EXPECT_EQ(AsText(byPlatform.content), "cross");
  EXPECT_EQ(
      VerifySignedMessage(Sign("cross", true).base64, VerifyMode::Detached, View("cross")).status,
      0);
}

TEST_F(AdvanceTest, SerialNumbersAreWrittenAsTheCertificateHoldsThem) {
  const SignResult signed_ = Sign("serial", false, u"CN=High Serial");
  ASSERT_EQ(signed_.status, 0);
  EXPECT_TRUE(Contains(Decoded(signed_.base64), Bytes{0x02, 0x05, 0x00, 0x80, 0x11, 0x22, 0x33}));
  EXPECT_EQ(VerifySignedMessage(signed_.base64, VerifyMode::Attached).status, 0)
      << "OpenSSL finds the signer by issuer and serial number";
  EXPECT_EQ(Sign("serial", false, u"CN=Long Serial").status, 0);
}

TEST_F(AdvanceTest, DigestsAndKeys) {
  settings.digestOid = "2.16.840.1.101.3.4.2.1";
  EXPECT_EQ(Sign("x", false).status, -10033) << "hashed, but never a message";
  settings.digestOid = "1.2.3.4";
  const SignResult unknown = Sign("x", false);
  EXPECT_EQ(unknown.status, -10029);
  EXPECT_TRUE(unknown.base64.empty());
  settings.digestOid = "1.2.840.113549.2.5";
  EXPECT_EQ(AdvanceVerify(Sign("md5", false).base64, VerifyMode::Attached).status, 0);

  settings.digestOid = kSha1;
  ASSERT_TRUE(crypt::CertStore::Open(u"MY")->Add(SharedTestPki().partner.encoded));
  EXPECT_EQ(Sign("x", false, u"CN=Partner Wang").status, -10053);
  EXPECT_EQ(Sign("x", false, u"CN=Nobody").status, -10005);
  EXPECT_EQ(AdvanceSign(std::nullopt, true, kAlice, u"|", settings).status, -10001);

  const VerifyResult expired =
      AdvanceVerify(Sign("old", false, u"CN=Expired User").base64, VerifyMode::Attached);
  EXPECT_EQ(expired.status, -10011);
}

class AdvanceInteropTest : public AdvanceTest {
 protected:
  void SetUp() override {
    AdvanceTest::SetUp();
    WritePem(dir / "alice.pem", SharedTestPki().alice);
    WriteCertificatePem(dir / "ca.pem", SharedTestPki().intermediate);
    WriteFile(dir / "content.txt", View("interop content"));
  }
  // The message the command makes from content.txt, as Base64.
  std::string Made(const std::string& command) {
    EXPECT_EQ(Shell(command + " -outform DER -signer " + (dir / "alice.pem").string() + " -in " +
                    (dir / "content.txt").string() + " -out " + (dir / "made.p7").string()),
              0)
        << command;
    return Encoded(ReadFile(dir / "made.p7"));
  }
  const fs::path dir = home.path();
};

TEST_F(AdvanceInteropTest, WithTheOpensslCommandLine) {
  WriteFile(dir / "ours.p7", Decoded(Sign("interop content", false).base64));
  EXPECT_EQ(Shell("openssl cms -verify -binary -noverify -inform DER -in " +
                  (dir / "ours.p7").string() + " -out " + (dir / "out.txt").string()),
            0);
  EXPECT_EQ(AsText(ReadFile(dir / "out.txt")), "interop content");

  const VerifyResult smime =
      AdvanceVerify(Made("openssl smime -sign -nodetach -binary -noattr -nosmimecap -md sha1"),
                    VerifyMode::Attached);
  ASSERT_EQ(smime.status, 0);
  EXPECT_EQ(AsText(smime.content), "interop content");

  // With more certificates, the first one the message carries (DER sorts the set) is
  // taken as the signer, whatever the SignerInfo names.
  const std::string withChain =
      Made("openssl smime -sign -nodetach -binary -noattr -nosmimecap -md sha1 -certfile " +
           (dir / "ca.pem").string());
  const Bytes withChainDer = Decoded(withChain);
  const unsigned char* cursor = withChainDer.data();
  crypt::Pkcs7Ptr parsed(d2i_PKCS7(nullptr, &cursor, static_cast<long>(withChainDer.size())));
  ASSERT_EQ(sk_X509_num(parsed->d.sign->cert), 2);
  const bool signerFirst = X509_cmp(sk_X509_value(parsed->d.sign->cert, 0),
                                    SharedTestPki().alice.certificate.get()) == 0;
  const VerifyResult chained = AdvanceVerify(withChain, VerifyMode::Attached);
  if (signerFirst) {
    EXPECT_EQ(chained.status, 0);
    EXPECT_EQ(chained.signerInfo[certs::CertDetail::Subject], kAlice);
  } else {
    EXPECT_EQ(chained.status, -10032) << "checked with the authority's key";
  }

  EXPECT_NE(
      AdvanceVerify(Made("openssl smime -sign -nodetach -binary -md sha1"), VerifyMode::Attached)
          .status,
      0)
      << "signed attributes";
  EXPECT_EQ(AdvanceVerify(Made("openssl smime -sign -nodetach -binary -noattr -nosmimecap -nocerts "
                               "-md sha1"),
                          VerifyMode::Attached)
                .status,
            -10037)
      << "no certificates";
}

TEST_F(AdvanceTest, AMessageWithACrlFieldIsRefused) {
  const Bytes ours = Decoded(Sign("with a crl", false).base64);
  const unsigned char* cursor = ours.data();
  crypt::Pkcs7Ptr message(d2i_PKCS7(nullptr, &cursor, static_cast<long>(ours.size())));
  const Bytes& crlDer = SharedTestPki().crl;
  const unsigned char* crlCursor = crlDer.data();
  crypt::X509CrlPtr crl(d2i_X509_CRL(nullptr, &crlCursor, static_cast<long>(crlDer.size())));
  ASSERT_EQ(PKCS7_add_crl(message.get(), crl.get()), 1);
  const Bytes withCrl = *crypt::EncodePkcs7(*message);
  EXPECT_EQ(VerifySignedMessage(Encoded(withCrl), VerifyMode::Attached).status, 0)
      << "a sound message for OpenSSL";
  EXPECT_NE(AdvanceVerify(Encoded(withCrl), VerifyMode::Attached).status, 0);
}

}  // namespace
}  // namespace velsor::crypto
