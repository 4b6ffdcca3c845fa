#include <gtest/gtest.h>
#include <openssl/pkcs7.h>

#include "crypto/envelope_engine.h"
#include "crypto/message_helpers.h"
#include "fixtures/openssl_cli.h"
#include "fixtures/test_files.h"
#include "fixtures/test_pki.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/algorithm_oids.h"
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

constexpr char16_t kBob[] = u"C=CN, O=Velsor, OU=Testing, CN=Bob Li";
constexpr char16_t kPartner[] = u"CN=Partner Wang";
constexpr char kRc4[] = "1.2.840.113549.3.4";
constexpr char kAes256[] = "2.16.840.1.101.3.4.1.42";
constexpr char kDes3[] = "1.2.840.113549.3.7";

class EnvelopeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedTestPki().Install();
    // The user's own certificates also in the address book, so that they can be
    // recipients; their keys stay in MY.
    auto book = crypt::CertStore::Open(u"AddressBOOK");
    ASSERT_TRUE(book->Add(SharedTestPki().alice.encoded));
    ASSERT_TRUE(book->Add(SharedTestPki().bob.encoded));
  }

  SealedEnvelope Encrypt(std::string_view content, std::u16string_view recipient,
                         bool serverMode = true) {
    return EncryptEnvelope(View(content), serverMode, recipient, u"|", settings);
  }
  SealedEnvelope SignAndEncrypt(std::string_view content, std::u16string_view signer,
                                std::u16string_view recipient, bool serverMode = true) {
    return SignAndEncryptEnvelope(View(content), serverMode, signer, recipient, u"|", settings);
  }

  testing::ScopedVelsorHome home;
  ui::ScriptedDialogHost host;
  certs::ChooserTexts texts{};
  EnvelopeSettings settings{kRc4, "1.3.14.3.2.26", false, certs::ChooserSetting{texts, host}};
};

TEST_F(EnvelopeTest, EveryCipherRoundTrips) {
  for (const char* oid : {kRc4, "1.2.840.113549.3.2", "1.3.14.3.2.7", kDes3,
                          "2.16.840.1.101.3.4.1.2", "2.16.840.1.101.3.4.1.22", kAes256}) {
    settings.symmetricOid = oid;
    const SealedEnvelope sealed = Encrypt("for alice only", kAlice);
    ASSERT_EQ(sealed.status, 0) << oid;
    EXPECT_EQ(sealed.base64.find('\n'), 64u);
    EXPECT_EQ(sealed.base64.back(), '\n');
    EXPECT_EQ(sealed.recipientInfo[certs::CertDetail::Subject], kAlice);
    const OpenedEnvelopeResult opened = DecryptEnvelope(sealed.base64);
    ASSERT_EQ(opened.status, 0) << oid;
    EXPECT_EQ(AsText(*opened.content), "for alice only") << oid;
    EXPECT_EQ(opened.recipientInfo[certs::CertDetail::SerialNumber], u"1001");
  }
}

TEST_F(EnvelopeTest, Rc4CarriesNullParametersAndEnvelopesAreNeverCompressed) {
  const std::string content(100000, 'z');
  const Bytes message = Decoded(Encrypt(content, kAlice).base64);
  const Bytes rc4WithNull{0x06, 0x08, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x03, 0x04, 0x05, 0x00};
  EXPECT_NE(std::search(message.begin(), message.end(), rc4WithNull.begin(), rc4WithNull.end()),
            message.end());
  EXPECT_EQ(message.front(), 0x30);
  EXPECT_GT(message.size(), content.size());

  // The same envelope with the RC4 parameters left out, as other writers do, still opens.
  const unsigned char* cursor = message.data();
  crypt::Pkcs7Ptr parsed(d2i_PKCS7(nullptr, &cursor, static_cast<long>(message.size())));
  X509_ALGOR* algorithm = parsed->d.enveloped->enc_data->algorithm;
  ASN1_TYPE_free(algorithm->parameter);
  algorithm->parameter = nullptr;
  const Bytes withoutParameters = *crypt::EncodePkcs7(*parsed);
  ASSERT_LT(withoutParameters.size(), message.size());
  const OpenedEnvelopeResult opened = DecryptEnvelope(*formats::Base64Encode(withoutParameters));
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(*opened.content), content);
}

TEST_F(EnvelopeTest, RecipientsAndKeys) {
  auto my = crypt::CertStore::Open(u"MY");
  const std::u16string revoked = u"C=CN, O=Velsor, OU=Testing, CN=Revoked User";
  EXPECT_EQ(Encrypt("x", revoked).status, -10005) << "MY is never searched for a recipient";
  EXPECT_EQ(SignAndEncrypt("x", kAlice, revoked).status, -10005);

  const OpenedEnvelopeResult noKey = DecryptEnvelope(Encrypt("x", kPartner).base64);
  EXPECT_EQ(noKey.status, -10015);
  EXPECT_EQ(noKey.lastError, static_cast<LONG>(0x8009200C));

  settings.symmetricOid = "1.2.3.4";
  const SealedEnvelope badCipher = Encrypt("x", kAlice);
  EXPECT_EQ(badCipher.status, -10033);
  EXPECT_EQ(badCipher.lastError, static_cast<LONG>(0x80090008));
  EXPECT_EQ(EncryptEnvelope(std::nullopt, true, kAlice, u"|", settings).status, -10001);

  EXPECT_EQ(DecryptEnvelope("not base64!").status, -10002);
  const OpenedEnvelopeResult garbage = DecryptEnvelope("aGVsbG8gd29ybGQ=");
  EXPECT_EQ(garbage.status, -10007);
  EXPECT_EQ(garbage.lastError, static_cast<LONG>(0x80093000));
  EXPECT_EQ(DecryptEnvelope(std::nullopt).status, -10001);

  // The recipient chosen by DN without server mode, tried reversed when nothing matched.
  settings.symmetricOid = kAes256;
  EXPECT_EQ(Encrypt("x", u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN", false)
                .recipientInfo[certs::CertDetail::Subject],
            kAlice);
}

// The envelope with its first recipient's key transport replaced by `wrapped`.
std::string WithKeyTransport(const std::string& base64, ByteView wrapped) {
  const Bytes der = Decoded(base64);
  const unsigned char* cursor = der.data();
  crypt::Pkcs7Ptr message(d2i_PKCS7(nullptr, &cursor, static_cast<long>(der.size())));
  EXPECT_TRUE(message);
  PKCS7_RECIP_INFO* info = sk_PKCS7_RECIP_INFO_value(message->d.enveloped->recipientinfo, 0);
  ASN1_STRING_set(info->enc_key, wrapped.data(), static_cast<int>(wrapped.size()));
  unsigned char* out = nullptr;
  const int length = i2d_PKCS7(message.get(), &out);
  const std::string text = Encoded(ByteView(out, static_cast<std::size_t>(length)));
  OPENSSL_free(out);
  return text;
}

Bytes WrappedFor(const testing::Issued& recipient, Bytes key) {
  crypt::EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, recipient.key.get(), nullptr));
  std::size_t size = 0;
  EXPECT_EQ(EVP_PKEY_encrypt_init(context.get()), 1);
  EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING);
  EVP_PKEY_encrypt(context.get(), nullptr, &size, key.data(), key.size());
  Bytes wrapped(size);
  EVP_PKEY_encrypt(context.get(), wrapped.data(), &size, key.data(), key.size());
  return wrapped;
}

TEST_F(EnvelopeTest, AKeyTransportThatDoesNotUnwrapFailsAsAWrongKeyDoes) {
  // What a page reads after a failed opening is the status (errorNum) and the platform
  // error (errorCode); the message text is the member's own. A key transport with broken
  // padding must give the same pair as one that unwraps to a wrong key, or the user's key
  // answers padding questions for whoever sends the envelope.
  using Outcome = std::pair<std::int32_t, LONG>;
  const auto failure = [&](auto open, auto tamper) {
    // A random key decrypts a CBC block to valid padding about once in 256 tries: the
    // opening then succeeds with garbage, or (signed) fails on the garbage as an
    // undecodable message. Take the first failure of the decryption itself in a few tries.
    constexpr std::int32_t kGarbageContent = -10007;
    for (int attempt = 0; attempt < 4; ++attempt) {
      const OpenedEnvelopeResult opened = open(tamper());
      if (opened.status != 0 && opened.status != kGarbageContent) {
        return Outcome{opened.status, opened.lastError.value_or(0)};
      }
    }
    return Outcome{0, 0};
  };
  const auto& alice = SharedTestPki().alice;
  for (const char* oid : {kAes256, kDes3}) {
    settings.symmetricOid = oid;
    for (bool signedToo : {false, true}) {
      const auto seal = [&] {
        return signedToo ? SignAndEncrypt("secret", kBob, kAlice).base64
                         : Encrypt("secret", kAlice).base64;
      };
      const auto open = [&](const std::string& message) {
        return signedToo ? DecryptAndVerifyEnvelope(message) : DecryptEnvelope(message);
      };
      const Outcome brokenPadding = failure(open, [&] {
        Bytes garbage(256, 0x5A);
        return WithKeyTransport(seal(), garbage);
      });
      const Outcome wrongSize = failure(
          open, [&] { return WithKeyTransport(seal(), WrappedFor(alice, Bytes(5, 0x33))); });
      const Outcome wrongKey = failure(open, [&] {
        const std::size_t size = std::string_view(oid) == kAes256 ? 32 : 24;
        return WithKeyTransport(seal(), WrappedFor(alice, Bytes(size, 0x33)));
      });
      EXPECT_NE(wrongKey.first, 0) << oid;
      EXPECT_EQ(brokenPadding, wrongKey) << oid << (signedToo ? " signed" : "");
      EXPECT_EQ(wrongSize, wrongKey) << oid << (signedToo ? " signed" : "");
    }
  }
}

TEST_F(EnvelopeTest, SignedAndEnvelopedMessages) {
  const SealedEnvelope sealed = SignAndEncrypt("signed secret", kBob, kAlice);
  ASSERT_EQ(sealed.status, 0);
  EXPECT_EQ(sealed.signerInfo[certs::CertDetail::Subject], kBob);
  EXPECT_EQ(sealed.recipientInfo[certs::CertDetail::Subject], kAlice);
  const OpenedEnvelopeResult opened = DecryptAndVerifyEnvelope(sealed.base64);
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(*opened.content), "signed secret");
  EXPECT_EQ(opened.signerInfo[certs::CertDetail::Subject], kBob);
  EXPECT_EQ(opened.recipientInfo[certs::CertDetail::Subject], kAlice);

  const OpenedEnvelopeResult expired = DecryptAndVerifyEnvelope(
      SignAndEncrypt("old", u"C=CN, O=Velsor, OU=Testing, CN=Expired User", kAlice).base64);
  EXPECT_EQ(expired.status, -10011);
  ASSERT_TRUE(expired.content) << "decrypted before the certificate was judged";
  EXPECT_EQ(AsText(*expired.content), "old");

  EXPECT_EQ(DecryptAndVerifyEnvelope(Encrypt("plain", kAlice).base64).status, -10023)
      << "an envelope that holds no signed data";

  settings.digestOid = "2.16.840.1.101.3.4.2.1";
  EXPECT_EQ(DecryptAndVerifyEnvelope(SignAndEncrypt("sha-256", kBob, kAlice).base64).status, 0);

  // With the key-spec flag only signature keys sign; the recipient may be anyone.
  settings.signatureKeyOnly = true;
  const SealedEnvelope bySignatureKey = SignAndEncrypt("x", u"O=Velsor", kPartner, false);
  ASSERT_EQ(bySignatureKey.status, 0);
  EXPECT_EQ(bySignatureKey.signerInfo[certs::CertDetail::Subject], kBob);
  EXPECT_EQ(bySignatureKey.recipientInfo[certs::CertDetail::Subject],
            u"C=CN, O=Velsor, OU=Testing, CN=Partner Wang");
}

// The PKCS#7 signedAndEnvelopedData type, as OpenSSL's PKCS7 routines make it.
Bytes OpenSslSignedAndEnveloped(std::string_view content) {
  const auto& pki = SharedTestPki();
  crypt::Pkcs7Ptr message(PKCS7_new());
  PKCS7_set_type(message.get(), NID_pkcs7_signedAndEnveloped);
  PKCS7_add_signature(message.get(), pki.bob.certificate.get(), pki.bob.key.get(), EVP_sha1());
  PKCS7_add_certificate(message.get(), pki.bob.certificate.get());
  PKCS7_add_recipient(message.get(), pki.alice.certificate.get());
  PKCS7_set_cipher(message.get(), EVP_aes_128_cbc());
  crypt::BioPtr data(PKCS7_dataInit(message.get(), nullptr));
  BIO_write(data.get(), content.data(), static_cast<int>(content.size()));
  BIO_flush(data.get());
  EXPECT_EQ(PKCS7_dataFinal(message.get(), data.get()), 1);
  Bytes encoded = *crypt::EncodePkcs7(*message);
  return encoded;
}

TEST_F(EnvelopeTest, ThePkcs7SignedAndEnvelopedTypeOpens) {
  const OpenedEnvelopeResult opened =
      DecryptAndVerifyEnvelope(*formats::Base64Encode(OpenSslSignedAndEnveloped("both at once")));
  ASSERT_EQ(opened.status, 0);
  EXPECT_EQ(AsText(*opened.content), "both at once");
  EXPECT_EQ(opened.signerInfo[certs::CertDetail::Subject], kBob);
}

TEST_F(EnvelopeTest, FileEncryptionForAHandedOverCertificate) {
  const std::string alice = *formats::Base64Encode(SharedTestPki().alice.encoded);
  const SealedEnvelope sealed = EncryptFileForCertificate(View("file bytes"), alice, kAes256);
  ASSERT_EQ(sealed.status, 0);
  EXPECT_EQ(AsText(*DecryptEnvelope(sealed.base64).content), "file bytes");
  EXPECT_EQ(EncryptFileForCertificate(View("x"), "aGVsbG8gd29ybGQ=", kAes256).status, -10035);
  EXPECT_EQ(EncryptFileForCertificate(View("x"), "not base64!", kAes256).status, -10002);
  EXPECT_EQ(EncryptFileForCertificate(std::nullopt, alice, kAes256).status, -10001);
}

TEST_F(EnvelopeTest, InteropWithTheOpensslCommandLine) {
  const auto& pki = SharedTestPki();
  const fs::path dir = home.path();
  WritePem(dir / "alice.pem", pki.alice);
  WriteCertificatePem(dir / "alice-cert.pem", pki.alice);
  WriteFile(dir / "content.txt", View("interop secret"));
  const std::string decrypt = "openssl cms -decrypt -binary -inform DER -recip " +
                              (dir / "alice.pem").string() + " -in " + (dir / "in.p7").string() +
                              " -out " + (dir / "out.bin").string();
  for (const char* oid : {kAes256, kDes3}) {
    settings.symmetricOid = oid;
    WriteFile(dir / "in.p7", Decoded(Encrypt("interop secret", kAlice).base64));
    ASSERT_EQ(Shell(decrypt), 0) << oid;
    EXPECT_EQ(AsText(ReadFile(dir / "out.bin")), "interop secret") << oid;
  }

  WriteFile(dir / "in.p7", Decoded(SignAndEncrypt("interop secret", kBob, kAlice).base64));
  ASSERT_EQ(Shell(decrypt), 0);
  EXPECT_EQ(Shell("openssl cms -verify -binary -noverify -inform DER -in " +
                  (dir / "out.bin").string() + " -out " + (dir / "verified.txt").string()),
            0);
  EXPECT_EQ(AsText(ReadFile(dir / "verified.txt")), "interop secret");

  const std::string encrypt = "openssl cms -encrypt -binary -outform DER -in " +
                              (dir / "content.txt").string() + " -out " +
                              (dir / "theirs.p7").string() + " ";
  for (const std::string& cipher :
       {std::string("-aes256"), std::string("-aes128"), std::string("-des3"),
        std::string("-rc4 -provider legacy -provider default")}) {
    ASSERT_EQ(Shell(encrypt + cipher + " " + (dir / "alice-cert.pem").string()), 0) << cipher;
    const OpenedEnvelopeResult opened =
        DecryptEnvelope(*formats::Base64Encode(ReadFile(dir / "theirs.p7")));
    ASSERT_EQ(opened.status, 0) << cipher;
    EXPECT_EQ(AsText(*opened.content), "interop secret") << cipher;
  }
}

TEST_F(EnvelopeTest, ForAWebPageTheUserConfirmsEachOpeningBeforeTheKeyIsUsed) {
  const std::string envelope = Encrypt("for Alice", u"CN=Alice Zhang").base64;
  EXPECT_EQ(DecryptEnvelope(envelope, KeyUseThrough(host)).status, 0);
  EXPECT_TRUE(host.consents().empty()) << "a program on this machine is not asked";

  host.SetRequester(u"https://bank.example");
  host.AnswerConsent(ui::ConsentAnswer::Allow).AnswerConsent(ui::ConsentAnswer::Deny);
  const OpenedEnvelopeResult allowed = DecryptEnvelope(envelope, KeyUseThrough(host));
  EXPECT_EQ(allowed.status, 0);
  EXPECT_EQ(allowed.content, Bytes(View("for Alice").begin(), View("for Alice").end()));
  const OpenedEnvelopeResult denied = DecryptAndVerifyEnvelope(
      SignAndEncrypt("signed", u"CN=Bob Li", u"CN=Alice Zhang").base64, KeyUseThrough(host));
  EXPECT_EQ(denied.status, -10004);
  EXPECT_EQ(denied.lastError, static_cast<LONG>(0x800704C7));
  EXPECT_FALSE(denied.content);
  // Left unanswered, the confirmation counts as refused.
  EXPECT_EQ(DecryptEnvelope(envelope, KeyUseThrough(host)).status, -10004);
  ASSERT_EQ(host.consents().size(), 3u);
  EXPECT_NE(host.consents()[0].requesterLine.find(u"https://bank.example"), std::u16string::npos);
  EXPECT_EQ(host.consents()[0].request.certificate, u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang");
  EXPECT_EQ(host.consents()[2].answer, ui::ConsentAnswer::NoAnswer);
  // A message the user holds no key for is asked about alike: refused, the page cannot
  // tell it from one the user holds a key for; allowed, it learns that none opens it.
  const std::string forPartner = Encrypt("x", kPartner).base64;
  host.AnswerConsent(ui::ConsentAnswer::Deny).AnswerConsent(ui::ConsentAnswer::Allow);
  EXPECT_EQ(DecryptEnvelope(forPartner, KeyUseThrough(host)).status, -10004);
  EXPECT_EQ(DecryptEnvelope(forPartner, KeyUseThrough(host)).status, -10015);
  ASSERT_EQ(host.consents().size(), 5u);
  EXPECT_NE(host.consents()[3].request.certificate.find(u"none of your certificates"),
            std::u16string::npos);
  // A program on this machine is still asked nothing.
  host.SetRequester(u"");
  EXPECT_EQ(DecryptEnvelope(forPartner, KeyUseThrough(host)).status, -10015);
  EXPECT_EQ(host.consents().size(), 5u);
}

}  // namespace
}  // namespace velsor::crypto
