#include <gtest/gtest.h>
#include <openssl/pem.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "crypto/cert_chain_check.h"
#include "crypto/message_helpers.h"
#include "crypto/sign_engine.h"
#include "crypto/verify_engine.h"
#include "fixtures/openssl_cli.h"
#include "fixtures/test_files.h"
#include "fixtures/test_pki.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/attached_content.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::crypto {
namespace {

using testing::ReadFile;
using testing::Shell;
using testing::WriteCertificatePem;
using testing::WriteFile;
using testing::WritePem;

using crypt::CertContext;
using crypt::NameAttribute;
using testing::Issued;
using testing::ScopedVelsorHome;
using testing::SharedTestPki;

namespace fs = std::filesystem;

class SigningTest : public ::testing::Test {
 protected:
  void SetUp() override { SharedTestPki().Install(); }

  SignResult Sign(std::string_view content, std::u16string_view dn, bool detached = false,
                  bool serverMode = false) {
    settings.detached = detached;
    return SignMessage(View(content), serverMode, dn, u"|", settings);
  }

  ScopedVelsorHome home;
  ui::ScriptedDialogHost host;
  certs::ChooserTexts texts{};
  SignSettings settings{false, 51200, kSha1, false, certs::ChooserSetting{texts, host}};
};

TEST_F(SigningTest, AttachedAndDetachedRoundTrips) {
  const SignResult attached = Sign("attached content", kAlice);
  ASSERT_EQ(attached.status, 0);
  EXPECT_EQ(attached.base64.back(), '\n');
  EXPECT_EQ(attached.base64.find('\n'), 64u);
  EXPECT_EQ(attached.signerInfo[certs::CertDetail::Subject], kAlice);
  const VerifyResult opened = VerifySignedMessage(attached.base64, VerifyMode::Attached);
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(opened.content), "attached content");
  EXPECT_EQ(opened.signerInfo[certs::CertDetail::SerialNumber], u"1001");

  const SignResult detached = Sign("detached content", kAlice, true);
  ASSERT_EQ(detached.status, 0);
  EXPECT_EQ(
      VerifySignedMessage(detached.base64, VerifyMode::Detached, View("detached content")).status,
      0);
  EXPECT_EQ(
      VerifySignedMessage(detached.base64, VerifyMode::Detached, View("other content")).status,
      -10010);
  EXPECT_EQ(VerifySignedMessage(detached.base64, VerifyMode::Detached).status, -10006);
  EXPECT_EQ(VerifySignedMessage(detached.base64, VerifyMode::Detached, View("")).status, -10001);
}

TEST_F(SigningTest, CompressionAtExactlyTheThreshold) {
  const std::string content(60000, 'x');
  settings.compressThreshold = 1 << 30;
  const auto plain = Decoded(Sign(content, kAlice).base64);
  const auto size = static_cast<std::int32_t>(plain.size());
  settings.compressThreshold = size + 1;
  EXPECT_EQ(Decoded(Sign(content, kAlice).base64), plain) << "one byte below: not compressed";
  settings.compressThreshold = size;
  const SignResult packed = Sign(content, kAlice);
  EXPECT_EQ(Decoded(packed.base64).front(), 0x1F) << "at the threshold: a gzip member";
  EXPECT_EQ(AsText(VerifySignedMessage(packed.base64, VerifyMode::Attached).content), content);
  settings.compressThreshold = 1;
  const SignResult detached = Sign(content, kAlice, true);
  EXPECT_EQ(Decoded(detached.base64).front(), 0x30) << "detached messages are never compressed";
  EXPECT_EQ(VerifySignedMessage(detached.base64, VerifyMode::Detached, View(content)).status, 0);
}

TEST_F(SigningTest, SelectionAndErrorMapping) {
  auto my = crypt::CertStore::Open(u"MY");
  ASSERT_TRUE(my->Add(SharedTestPki().partner.encoded));
  const SignResult noKey = Sign("x", u"CN=Partner Wang", false, true);
  EXPECT_EQ(noKey.status, -10015);
  EXPECT_EQ(noKey.lastError, static_cast<LONG>(0x8009200B));
  EXPECT_EQ(Sign("x", u"CN=Nobody", false, true).status, -10005);
  EXPECT_TRUE(host.choosers().empty()) << "server mode shows no dialog";

  settings.digestOid = "1.2.3.4";
  const SignResult badDigest = Sign("x", kAlice);
  EXPECT_EQ(badDigest.status, -10033);
  EXPECT_EQ(badDigest.lastError, static_cast<LONG>(0x80090008));
  settings.digestOid = "2.16.840.1.101.3.4.2.1";
  EXPECT_EQ(Sign("x", kAlice).status, 0) << "SHA-256 goes beyond the original providers, and works";

  host.ClickCancel();
  EXPECT_EQ(Sign("x", u"O=Velsor").status, -10005);
  EXPECT_EQ(host.choosers().size(), 1u) << "a cancelled chooser is not followed by the reversed DN";
  EXPECT_EQ(Sign("x", u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN").status, 0)
      << "reversed DN retry";

  settings.signatureKeyOnly = true;
  EXPECT_EQ(Sign("x", u"O=Velsor").signerInfo[certs::CertDetail::SerialNumber], u"1002");
  EXPECT_EQ(SignMessage(std::nullopt, false, kAlice, u"|", settings).status, -10001);

  settings.signatureKeyOnly = false;
  EXPECT_EQ(SignMessageBySerial(View("x"), u"1001", u"C=CN,O=Velsor,CN=Velsor Test CA", settings)
                .signerInfo[certs::CertDetail::SerialNumber],
            u"1001");
  EXPECT_EQ(SignMessageBySerial(View("x"), u"1001", u"CN=Velsor Test CA, O=Velsor, C=CN", settings)
                .status,
            0)
      << "the issuer DN is tried reversed";
  EXPECT_EQ(SignMessageBySerial(View("x"), u"9999", u"C=CN, O=Velsor, CN=Velsor Test CA", settings)
                .status,
            -10005);
}

TEST_F(SigningTest, ForAWebPageEveryKeyUseGoesThroughTheChooserNamingThePage) {
  host.SetRequester(u"https://bank.example");
  // A single match would be signed with at once for a program on this machine.
  host.SelectRow(0).ClickOk();
  EXPECT_EQ(Sign("x", kAlice).status, 0);
  ASSERT_EQ(host.choosers().size(), 1u);
  EXPECT_EQ(host.choosers()[0].rows.size(), 1u);
  EXPECT_NE(host.choosers()[0].requesterLine.find(u"https://bank.example"), std::u16string::npos);
  host.ClickCancel();
  EXPECT_EQ(SignMessageBySerial(View("x"), u"1001", u"C=CN, O=Velsor, CN=Velsor Test CA", settings)
                .status,
            -10005)
      << "declining the chooser declines the signature";
  EXPECT_EQ(host.choosers().size(), 2u);

  host.SetRequester(u"");
  EXPECT_EQ(Sign("x", kAlice).status, 0);
  EXPECT_EQ(host.choosers().size(), 2u) << "no chooser for a single match without a page";
}

TEST_F(SigningTest, MessagesThatAreNotSignedData) {
  EXPECT_EQ(VerifySignedMessage("YWJ", VerifyMode::Attached).status, -10002);
  const VerifyResult notPkcs7 = VerifySignedMessage("aGVsbG8gd29ybGQ=", VerifyMode::Attached);
  EXPECT_EQ(notPkcs7.status, -10007);
  EXPECT_EQ(notPkcs7.lastError, static_cast<LONG>(0x80093000));
  EXPECT_EQ(VerifySignedMessage(std::nullopt, VerifyMode::Attached).status, -10001);
  Bytes tampered = Decoded(Sign("original content", kAlice).base64);
  const auto at = std::search(tampered.begin(), tampered.end(), std::begin("original"),
                              std::end("original") - 1);
  ASSERT_NE(at, tampered.end());
  *at = 'O';
  EXPECT_EQ(VerifySignedMessage(*formats::Base64Encode(tampered), VerifyMode::Attached).status,
            -10010);
}

TEST_F(SigningTest, InteropWithTheOpensslCommandLine) {
  const auto& pki = SharedTestPki();
  const fs::path dir = home.path();
  WritePem(dir / "alice.pem", pki.alice);
  WriteCertificatePem(dir / "root.pem", pki.root);
  WriteCertificatePem(dir / "ca.pem", pki.intermediate);
  WriteFile(dir / "content.txt", View("interop content"));
  WriteFile(dir / "chain.pem", [&] {
    Bytes both = ReadFile(dir / "root.pem");
    const Bytes ca = ReadFile(dir / "ca.pem");
    both.insert(both.end(), ca.begin(), ca.end());
    return both;
  }());
  const std::string verify = "openssl cms -verify -binary -inform DER -purpose any -CAfile " +
                             (dir / "chain.pem").string();

  WriteFile(dir / "ours.p7", Decoded(Sign("interop content", kAlice).base64));
  EXPECT_EQ(
      Shell(verify + " -in " + (dir / "ours.p7").string() + " -out " + (dir / "out.txt").string()),
      0);
  EXPECT_EQ(AsText(ReadFile(dir / "out.txt")), "interop content");
  WriteFile(dir / "ours-detached.p7", Decoded(Sign("interop content", kAlice, true).base64));
  EXPECT_EQ(Shell(verify + " -in " + (dir / "ours-detached.p7").string() + " -content " +
                  (dir / "content.txt").string() + " -out /dev/null"),
            0);

  const std::string sign = "openssl cms -sign -binary -noattr -nosmimecap -outform DER -signer " +
                           (dir / "alice.pem").string() + " -in " + (dir / "content.txt").string();
  for (const std::string& options :
       {std::string("-nodetach -md sha1"), std::string("-md sha1"),
        std::string("-nodetach -md sha256"), std::string("-md sha256")}) {
    ASSERT_EQ(Shell(sign + " " + options + " -out " + (dir / "theirs.p7").string()), 0) << options;
    const std::string base64 = *formats::Base64Encode(ReadFile(dir / "theirs.p7"));
    const bool detached = options.find("-nodetach") == std::string::npos;
    const VerifyResult result =
        detached ? VerifySignedMessage(base64, VerifyMode::Detached, View("interop content"))
                 : VerifySignedMessage(base64, VerifyMode::Attached);
    EXPECT_EQ(result.status, 0) << options;
    if (!detached) {
      EXPECT_EQ(AsText(result.content), "interop content") << options;
    }
  }
  ASSERT_EQ(Shell("openssl smime -sign -nodetach -binary -noattr -nosmimecap -md sha1 -outform DER "
                  "-signer " +
                  (dir / "alice.pem").string() + " -in " + (dir / "content.txt").string() +
                  " -out " + (dir / "smime.p7").string()),
            0);
  EXPECT_EQ(
      VerifySignedMessage(*formats::Base64Encode(ReadFile(dir / "smime.p7")), VerifyMode::Attached)
          .status,
      0);
}

TEST_F(SigningTest, AnAttachedMessageIsCheckedAgainstItsContentWhereItLies) {
  const std::string content = "content checked in place";
  const Bytes attached = Decoded(Sign(content, kAlice).base64);
  const Bytes detached = Decoded(Sign(content, kAlice, true).base64);
  const auto split = crypt::SplitAttachedContent(attached);
  ASSERT_TRUE(split);
  // PKCS#1 v1.5 signatures are deterministic: the message without its content is exactly
  // the detached signature of the same content.
  EXPECT_EQ(split->detached, detached);
  EXPECT_EQ(AsText(ByteView(attached).subspan(split->contentOffset, split->contentSize)), content);
  EXPECT_FALSE(crypt::SplitAttachedContent(detached));
  Bytes notData = attached;
  const Bytes dataOid{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01};
  const auto inner = std::search(notData.begin(), notData.end(), dataOid.begin(), dataOid.end());
  ASSERT_NE(inner, notData.end());
  inner[8] = 0x05;  // another content type: only data is read in place
  EXPECT_FALSE(crypt::SplitAttachedContent(notData));

  // Indefinite lengths, as a streaming signer writes them, take the whole-message way.
  const fs::path dir = home.path();
  WritePem(dir / "alice.pem", SharedTestPki().alice);
  WriteFile(dir / "content.txt", View(content));
  ASSERT_EQ(Shell("openssl cms -sign -nodetach -stream -binary -noattr -md sha1 -outform DER "
                  "-signer " +
                  (dir / "alice.pem").string() + " -in " + (dir / "content.txt").string() +
                  " -out " + (dir / "streamed.p7").string()),
            0);
  const Bytes streamed = ReadFile(dir / "streamed.p7");
  EXPECT_FALSE(crypt::SplitAttachedContent(streamed));
  const VerifyResult result = VerifySignedMessage(Encoded(streamed), VerifyMode::Attached);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(AsText(result.content), content);
}

// A certificate context for the chain tests.
crypt::CertContextPtr Context(const Bytes& encoded) { return *CertContext::FromEncoded(encoded); }

Issued IssueBy(const Issued& issuer, std::vector<NameAttribute> subject, std::time_t from,
               std::time_t until, bool authority = false) {
  crypt::CertificateRequest request;
  request.subject = std::move(subject);
  request.serial = {0x42, static_cast<std::uint8_t>(std::rand())};
  request.notBefore = from;
  request.notAfter = until;
  request.certificateAuthority = authority;
  Issued issued;
  issued.key = crypt::GenerateRsaKey(1024);
  issued.certificate = std::move(*crypt::IssueCertificate(
      request, *issued.key, issuer.certificate.get(), issuer.key ? *issuer.key : *issued.key));
  issued.encoded = crypt::EncodeCertificate(*issued.certificate);
  return issued;
}

Issued SelfSigned(std::vector<NameAttribute> subject) {
  Issued self;
  self.key = crypt::GenerateRsaKey(1024);
  crypt::CertificateRequest request;
  request.subject = std::move(subject);
  request.serial = {0x01};
  request.notBefore = std::time(nullptr) - 1000;
  request.notAfter = std::time(nullptr) + 100000;
  request.certificateAuthority = true;
  self.certificate = std::move(*crypt::IssueCertificate(request, *self.key, nullptr, *self.key));
  self.encoded = crypt::EncodeCertificate(*self.certificate);
  return self;
}

TEST_F(SigningTest, ChainMatrix) {
  const auto& pki = SharedTestPki();
  const std::time_t now = std::time(nullptr);
  const auto name = [](std::string_view cn) {
    return std::vector<NameAttribute>{NameAttribute::Utf8("CN", cn)};
  };
  EXPECT_EQ(CheckCertChain(*Context(pki.alice.encoded), kCheckAll), 0);
  EXPECT_EQ(
      CheckCertChain(*Context(IssueBy(pki.root, name("By Root"), now - 10, now + 1000).encoded),
                     kCheckAll),
      0)
      << "issuer only in ROOT, which holds no CRL";
  const Issued stranger = SelfSigned(name("Stranger Root"));
  EXPECT_EQ(
      CheckCertChain(*Context(IssueBy(stranger, name("Foreign"), now - 10, now + 1000).encoded),
                     kCheckAll),
      kIssuerNotFound);
  EXPECT_EQ(CheckCertChain(*Context(pki.expired.encoded), kCheckAll), kOutsideValidity);
  EXPECT_EQ(CheckCertChain(*Context(pki.expired.encoded), kCheckSignature | kCheckChain), 0)
      << "expiry is forgiven by the chain policy";
  const Issued future =
      testing::IssueUser(pki, name("Future User"), {0x77}, now + 100000, now + 200000);
  EXPECT_EQ(CheckCertChain(*Context(future.encoded), kCheckAll), kOutsideValidity);
  EXPECT_EQ(CheckCertChain(*Context(pki.revoked.encoded), kCheckAll), kRevoked);
  EXPECT_EQ(CheckCertChain(*Context(pki.revoked.encoded), kCheckSignature | kCheckChain),
            kChainRejected);

  Bytes forged = pki.alice.encoded;
  forged[forged.size() - 5] ^= 0xFF;  // inside the signature value
  EXPECT_EQ(CheckCertChain(*Context(forged), kCheckAll), kBadIssuerSignature);

  // An authority whose root is not trusted.
  const Issued otherRoot = SelfSigned(name("Other Root"));
  const Issued otherCa = IssueBy(otherRoot, name("Other CA"), now - 10, now + 10000, true);
  ASSERT_TRUE(crypt::CertStore::Open(u"CA")->Add(otherCa.encoded));
  EXPECT_EQ(
      CheckCertChain(*Context(IssueBy(otherCa, name("Other User"), now - 10, now + 1000).encoded),
                     kCheckAll),
      kChainRejected);

  const Issued anonymous = SelfSigned({});
  EXPECT_EQ(CheckCertChain(*Context(anonymous.encoded), kCheckAll), kNoIssuerName);
}

TEST(ChainIssuerLookup, OnlyTheExactSubjectIsTheIssuer) {
  ScopedVelsorHome home;
  const auto& pki = SharedTestPki();
  // A decoy with the same common name comes first in CA.
  const Issued decoy =
      SelfSigned({NameAttribute::Printable("C", "CN"), NameAttribute::Utf8("O", "Decoy"),
                  NameAttribute::Utf8("CN", "Velsor Test CA")});
  ASSERT_TRUE(crypt::CertStore::Open(u"CA")->Add(decoy.encoded));
  pki.Install();
  EXPECT_EQ(CheckCertChain(*Context(pki.alice.encoded), kCheckAll), 0);
}

// An authority that renewed its key holds two certificates of one name; each user is judged
// against the one that signed it, and each CRL counts only for the key that signed it,
// whichever certificate the store lists first.
TEST(ChainIssuerLookup, KeyRolloverFindsTheSigningAuthority) {
  const std::time_t now = std::time(nullptr);
  const auto& pki = SharedTestPki();
  const auto name = [](std::string_view cn) {
    return std::vector<NameAttribute>{NameAttribute::Utf8("O", "Velsor"),
                                      NameAttribute::Utf8("CN", cn)};
  };
  const Issued oldCa = IssueBy(pki.root, name("Rollover CA"), now - 100, now + 10000, true);
  const Issued newCa = IssueBy(pki.root, name("Rollover CA"), now - 100, now + 10000, true);
  const Issued underOld = IssueBy(oldCa, name("Old Key User"), now - 10, now + 1000);
  const Issued underNew = IssueBy(newCa, name("New Key User"), now - 10, now + 1000);
  const Issued revokedByNew = IssueBy(newCa, name("Revoked By New"), now - 10, now + 1000);
  const Issued impostor = SelfSigned(name("Rollover CA"));
  const Issued forged = IssueBy(impostor, name("Forged User"), now - 10, now + 1000);
  const auto crlOf = [&](const Issued& ca, const std::vector<crypt::RevokedSerial>& revoked) {
    return crypt::EncodeCrl(
        **crypt::IssueCrl(*ca.certificate, *ca.key, revoked, now - 50, now + 5000));
  };
  const auto serialOf = [](const Issued& issued) {
    const ASN1_INTEGER* serial = X509_get0_serialNumber(issued.certificate.get());
    return Bytes(serial->data, serial->data + serial->length);
  };
  // The old key's CRL lists the user the new key revoked: it must not count for that user.
  const Bytes oldCrl = crlOf(oldCa, {{serialOf(revokedByNew), now - 20}});
  const Bytes newCrl = crlOf(newCa, {{serialOf(revokedByNew), now - 20}});
  const Bytes oldCrlListingOldUser = crlOf(oldCa, {{serialOf(underOld), now - 20}});

  for (const bool oldFirst : {true, false}) {
    SCOPED_TRACE(oldFirst ? "old key listed first" : "new key listed first");
    ScopedVelsorHome home;
    pki.Install();
    auto ca = crypt::CertStore::Open(u"CA");
    ASSERT_TRUE(ca);
    ASSERT_TRUE(ca->Add(oldFirst ? oldCa.encoded : newCa.encoded));
    ASSERT_TRUE(ca->Add(oldFirst ? newCa.encoded : oldCa.encoded));
    ASSERT_TRUE(ca->AddCrl(oldFirst ? oldCrl : newCrl));
    EXPECT_EQ(CheckCertChain(*Context(underOld.encoded), kCheckAll), 0);
    EXPECT_EQ(CheckCertChain(*Context(underNew.encoded), kCheckAll), 0);
    EXPECT_EQ(CheckCertChain(*Context(forged.encoded), kCheckAll), kBadIssuerSignature)
        << "a name alone makes no issuer";
    ASSERT_TRUE(ca->AddCrl(oldFirst ? newCrl : oldCrl));
    EXPECT_EQ(CheckCertChain(*Context(revokedByNew.encoded), kCheckAll), kRevoked);
    EXPECT_EQ(CheckCertChain(*Context(revokedByNew.encoded), kCheckSignature | kCheckChain),
              kChainRejected);
    EXPECT_EQ(CheckCertChain(*Context(underOld.encoded), kCheckAll), 0);
    ASSERT_TRUE(ca->AddCrl(oldCrlListingOldUser));
    EXPECT_EQ(CheckCertChain(*Context(underOld.encoded), kCheckAll), kRevoked);
  }
}

TEST_F(SigningTest, ExpiredAndRevokedSignersThroughTheEngines) {
  const std::u16string expired = u"C=CN, O=Velsor, OU=Testing, CN=Expired User";
  const SignResult byExpired = Sign("old", expired);
  ASSERT_EQ(byExpired.status, 0);
  EXPECT_EQ(VerifySignedMessage(byExpired.base64, VerifyMode::Attached).status, -10011);
  const VerifyResult later = VerifyAfterwards(byExpired.base64);
  EXPECT_EQ(later.status, 0);
  EXPECT_EQ(AsText(later.content), "old");
  const SignResult byRevoked = Sign("bad", u"C=CN, O=Velsor, OU=Testing, CN=Revoked User");
  EXPECT_EQ(VerifySignedMessage(byRevoked.base64, VerifyMode::Attached).status, -10012);
  EXPECT_EQ(VerifyAfterwards(byRevoked.base64).status, -10013);
}

}  // namespace
}  // namespace velsor::crypto
