#include <gtest/gtest.h>

#include "crypto/advance_engine.h"
#include "crypto/envelope_engine.h"
#include "crypto/message_helpers.h"
#include "crypto/raw_engine.h"
#include "crypto/sign_engine.h"
#include "crypto/verify_engine.h"
#include "fixtures/openssl_cli.h"
#include "fixtures/soft_token.h"
#include "fixtures/test_files.h"
#include "platform/crypt/cert_store.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::crypto {
namespace {

using testing::kTokenLabel;
using testing::kTokenPin;
using testing::kTokenUser;
using testing::ReadFile;
using testing::SharedTestPki;
using testing::Shell;
using testing::WriteFile;
namespace fs = std::filesystem;

constexpr char16_t kTestCa[] = u"C=CN, O=Velsor, CN=Velsor Test CA";
constexpr LONG kCancelled = static_cast<LONG>(0x8010006E);
constexpr LONG kTimedOut = static_cast<LONG>(0x80100007);
constexpr LONG kWrongPin = static_cast<LONG>(0x8010006B);

class TokenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedTestPki().Install();
    token.emplace(SharedTestPki());
  }

  SignResult Sign(std::string_view content, bool detached = false,
                  std::u16string_view dn = kTokenUser) {
    settings.detached = detached;
    return SignMessage(View(content), true, dn, u"|", settings);
  }
  ui::ScriptedDialogHost& WithPin(std::string pin = kTokenPin) {
    return host.AnswerPin(PinOutcome::Entered, std::move(pin));
  }
  // The message verifies with the openssl command line against the test root.
  bool OpensslVerifies(const std::string& base64, const std::string& detachedContent = {}) {
    const fs::path dir = home.path();
    WriteFile(dir / "message.p7", Decoded(base64));
    testing::WriteCertificatePem(dir / "root.pem", SharedTestPki().root);
    testing::WriteCertificatePem(dir / "ca.pem", SharedTestPki().intermediate);
    const Bytes root = ReadFile(dir / "root.pem"), ca = ReadFile(dir / "ca.pem");
    Bytes chain(root);
    chain.insert(chain.end(), ca.begin(), ca.end());
    WriteFile(dir / "chain.pem", chain);
    std::string command = "openssl cms -verify -binary -inform DER -purpose any -CAfile " +
                          (dir / "chain.pem").string() + " -in " + (dir / "message.p7").string() +
                          " -out " + (dir / "out.bin").string();
    if (!detachedContent.empty()) {
      WriteFile(dir / "content.bin", View(detachedContent));
      command += " -content " + (dir / "content.bin").string();
    }
    return Shell(command) == 0;
  }

  testing::ScopedVelsorHome home;
  std::optional<testing::ScopedSoftToken> token;
  ui::ScriptedDialogHost host;
  certs::ChooserTexts texts{};
  SignSettings settings{false, 51200, kSha1, false, certs::ChooserSetting{texts, host}};
};

TEST_F(TokenTest, TheTokensCertificateIsInMyLinkedToItsTokenAndNeverStored) {
  auto personal = crypt::CertStore::Open(u"MY");
  ASSERT_TRUE(personal);
  const auto listed = personal->Certificates();
  ASSERT_TRUE(listed);
  const auto onToken = std::find_if(listed->begin(), listed->end(),
                                    [](const auto& c) { return c->token().has_value(); });
  ASSERT_NE(onToken, listed->end());
  EXPECT_EQ((*onToken)->encoded(), token->user().encoded);
  EXPECT_EQ(*(*onToken)->token(), u"Test Token");
  EXPECT_EQ((*onToken)->KeyProviderInfo()->keySpec, 1u) << "signs and decrypts: exchange key";
  EXPECT_EQ(personal->Remove(**onToken).code(), E_ACCESSDENIED);

  // Nothing of it went into the user's database: without the token, MY is as before.
  token->Remove();
  const auto without = crypt::CertStore::Open(u"MY")->Certificates();
  EXPECT_EQ(without->size() + 1, listed->size());
  EXPECT_FALSE(std::any_of(without->begin(), without->end(),
                           [&](const auto& c) { return c->encoded() == token->user().encoded; }));
}

TEST_F(TokenTest, AttachedDetachedAndHandAssembledSignaturesMadeOnTheTokenVerify) {
  WithPin();
  const SignResult attached = Sign("signed on the token");
  ASSERT_EQ(attached.status, 0);
  EXPECT_EQ(attached.signerInfo[certs::CertDetail::Subject], kTokenUser);
  const VerifyResult opened = VerifySignedMessage(attached.base64, VerifyMode::Attached);
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(opened.content), "signed on the token");
  EXPECT_TRUE(OpensslVerifies(attached.base64));
  ASSERT_EQ(host.pinDialogs().size(), 1u);
  EXPECT_EQ(host.pinDialogs()[0].request.token, u"Test Token");
  EXPECT_TRUE(host.pinDialogs()[0].request.notice.empty());

  WithPin();
  const SignResult detached = Sign("detached on the token", true);
  ASSERT_EQ(detached.status, 0);
  EXPECT_EQ(
      VerifySignedMessage(detached.base64, VerifyMode::Detached, View("detached on the token"))
          .status,
      0);
  EXPECT_TRUE(OpensslVerifies(detached.base64, "detached on the token"));

  WithPin();
  settings.detached = false;
  const SignResult assembled = AdvanceSign(View("assembled"), true, kTokenUser, u"|", settings);
  ASSERT_EQ(assembled.status, 0);
  EXPECT_EQ(AdvanceVerify(assembled.base64, VerifyMode::Attached).status, 0);
  EXPECT_TRUE(OpensslVerifies(assembled.base64));
}

TEST_F(TokenTest, FoundBySerialAndIssuerAndInTheChooser) {
  WithPin();
  const SignResult bySerial = SignMessageBySerial(View("by serial"), u"7007", kTestCa, settings);
  ASSERT_EQ(bySerial.status, 0);
  EXPECT_EQ(bySerial.signerInfo[certs::CertDetail::Subject], kTokenUser);

  // Without a DN the chooser offers every certificate with a key, the token's among them.
  host.SelectText(u"Tina Token").ClickOk();
  WithPin();
  const SignResult chosen = SignMessage(View("chosen"), false, u"", u"|", settings);
  ASSERT_EQ(chosen.status, 0);
  EXPECT_EQ(chosen.signerInfo[certs::CertDetail::Subject], kTokenUser);
  ASSERT_FALSE(host.choosers().empty());
  const auto& rows = host.choosers().back().rows;
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                          [](const auto& row) { return row[0] == u"Tina Token"; }));
}

TEST_F(TokenTest, RawSignatureOnTheTokenVerifies) {
  WithPin();
  const RawSettings raw{kSha1, false, certs::ChooserSetting{texts, host}};
  const SignResult signature = RawSign(View("raw on the token"), true, kTokenUser, u"|", raw);
  ASSERT_EQ(signature.status, 0);
  EXPECT_EQ(RawVerify(signature.base64, true, View("raw on the token"), kTokenUser, u"|", raw)
                .status,
            0);
  EXPECT_NE(RawVerify(signature.base64, true, View("other"), kTokenUser, u"|", raw).status, 0);

  // The signature is plain PKCS#1 v1.5 over SHA-1, most significant byte first.
  const fs::path dir = home.path();
  testing::WriteCertificatePem(dir / "tina.pem", token->user());
  WriteFile(dir / "raw.sig", Decoded(signature.base64));
  WriteFile(dir / "raw.txt", View("raw on the token"));
  EXPECT_EQ(Shell("openssl x509 -pubkey -noout -in " + (dir / "tina.pem").string() + " > " +
                  (dir / "tina.pub").string() + " && openssl dgst -sha1 -verify " +
                  (dir / "tina.pub").string() + " -signature " + (dir / "raw.sig").string() +
                  " " + (dir / "raw.txt").string() + " >/dev/null"),
            0);
}

TEST_F(TokenTest, AnEnvelopeForTheTokenUserOpensWithTheTokensKey) {
  EnvelopeSettings sealing{"1.2.840.113549.3.7", kSha1, false, certs::ChooserSetting{texts, host}};
  const SealedEnvelope sealed = EncryptEnvelope(View("for Tina"), true, kTokenUser, u"|", sealing);
  ASSERT_EQ(sealed.status, 0);
  WithPin();
  const OpenedEnvelopeResult opened = DecryptEnvelope(sealed.base64, KeyUseThrough(host));
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(*opened.content), "for Tina");
  EXPECT_EQ(opened.recipientInfo[certs::CertDetail::Subject], kTokenUser);

  host.AnswerPin(PinOutcome::Cancelled);
  const OpenedEnvelopeResult cancelled = DecryptEnvelope(sealed.base64, KeyUseThrough(host));
  EXPECT_EQ(cancelled.status, -10051);
  EXPECT_EQ(cancelled.lastError, kCancelled);
}

TEST_F(TokenTest, PinDialogOutcomesGiveTheirCodesAndLeaveTheTokenUsable) {
  host.AnswerPin(PinOutcome::Cancelled);
  SignResult failed = Sign("x");
  EXPECT_EQ(failed.status, -10051);
  EXPECT_EQ(failed.lastError, kCancelled);

  host.AnswerPin(PinOutcome::TimedOut);
  failed = Sign("x");
  EXPECT_EQ(failed.status, -10052);
  EXPECT_EQ(failed.lastError, kTimedOut);

  // No answer queued at all counts as left unanswered too.
  EXPECT_EQ(Sign("x").status, -10052);

  WithPin("0000").AnswerPin(PinOutcome::Entered, "1111").AnswerPin(PinOutcome::Entered, "2222");
  failed = Sign("x");
  EXPECT_EQ(failed.status, -10020) << "three wrong PINs end the signing";
  EXPECT_EQ(failed.lastError, kWrongPin);

  const std::size_t before = host.pinDialogs().size();
  WithPin("0000");
  WithPin();
  EXPECT_EQ(Sign("second try").status, 0);
  ASSERT_EQ(host.pinDialogs().size(), before + 2);
  EXPECT_NE(host.pinDialogs()[before + 1].request.notice.find(u"wrong PIN"), std::u16string::npos);
}

TEST_F(TokenTest, ARemovedTokenLeavesMyAndTheOtherKeysWork) {
  WithPin();
  ASSERT_EQ(Sign("while present").status, 0);
  token->Remove();
  EXPECT_EQ(Sign("x").status, -10005) << "its certificate is no longer in MY";
  EXPECT_EQ(host.pinDialogs().size(), 1u);
  EXPECT_EQ(Sign("software key", false, kAlice).status, 0);
  // Another token put in while the module stays loaded is found at the next signature.
  token->PutIn();
  WithPin();
  EXPECT_EQ(Sign("a new token").status, 0);
  EXPECT_EQ(host.pinDialogs().size(), 2u) << "signed on the token";
}

}  // namespace
}  // namespace velsor::crypto
