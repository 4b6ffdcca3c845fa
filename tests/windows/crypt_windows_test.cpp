#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <string>

#include "fixtures/test_files.h"
#include "fixtures/wine.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/cert_find.h"
#include "platform/crypt/chain_checks.h"
#include "platform/crypt/enveloped_message.h"
#include "platform/crypt/extension_text.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/hash_object.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/name_text.h"
#include "platform/crypt/signed_message.h"

namespace velsor::crypt {
namespace {

constexpr wchar_t kEnhanced[] = L"Microsoft Enhanced Cryptographic Provider v1.0";
constexpr char kSha1[] = "1.3.14.3.2.26";

std::wstring Digits(unsigned long number) { return std::to_wstring(number); }

ByteView View(std::string_view text) {
  return ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// A user of this run: a signature key made in a container of its own, a self-signed
// certificate for it linked to the key, in the user's "MY"; all gone afterwards.
class CryptWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine reuses process ids, so the tick count makes the names this run's own.
    const std::wstring run = Digits(GetCurrentProcessId()) + L"-" + Digits(GetTickCount());
    container = L"velsor-wine-test-" + run;
    subject = L"CN=Wine Tester " + run + L", O=Velsor Test";
    HCRYPTPROV provider = 0;
    ASSERT_TRUE(CryptAcquireContextW(&provider, container.c_str(), kEnhanced, PROV_RSA_FULL,
                                     CRYPT_NEWKEYSET));
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(provider, AT_KEYEXCHANGE, 1024 << 16, &key));
    CryptDestroyKey(key);
    BYTE name[512];
    DWORD nameSize = sizeof name;
    ASSERT_TRUE(CertStrToNameW(X509_ASN_ENCODING, subject.c_str(), CERT_X500_NAME_STR, nullptr,
                               name, &nameSize, nullptr));
    CERT_NAME_BLOB blob{nameSize, name};
    CRYPT_KEY_PROV_INFO link{};
    link.pwszContainerName = container.data();
    link.pwszProvName = const_cast<wchar_t*>(kEnhanced);
    link.dwProvType = PROV_RSA_FULL;
    link.dwKeySpec = AT_KEYEXCHANGE;
    CRYPT_ALGORITHM_IDENTIFIER algorithm{const_cast<char*>(szOID_RSA_SHA1RSA), {}};
    PCCERT_CONTEXT made = CertCreateSelfSignCertificate(provider, &blob, 0, &link, &algorithm,
                                                        nullptr, nullptr, nullptr);
    CryptReleaseContext(provider, 0);
    ASSERT_NE(made, nullptr);
    encoded.assign(made->pbCertEncoded, made->pbCertEncoded + made->cbCertEncoded);
    CertFreeCertificateContext(made);

    auto my = CertStore::Open(u"MY");
    ASSERT_TRUE(my);
    auto added = my->Add(encoded);
    ASSERT_TRUE(added);
    KeyProvInfo ours;
    ours.containerName = std::u16string(container.begin(), container.end());
    ours.providerName = u"Microsoft Enhanced Cryptographic Provider v1.0";
    ours.keySpec = AT_KEYEXCHANGE;
    ASSERT_TRUE(my->SetProperty(**added, CERT_KEY_PROV_INFO_PROP_ID, EncodeKeyProvInfo(ours)));
  }
  void TearDown() override {
    if (auto my = CertStore::Open(u"MY")) {
      if (auto certificate = CertContext::FromEncoded(encoded)) my->Remove(**certificate);
    }
    HCRYPTPROV gone = 0;
    CryptAcquireContextW(&gone, container.c_str(), kEnhanced, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
  }
  // The test user as the personal store lists it.
  CertContextPtr Mine() {
    auto my = CertStore::Open(u"MY");
    const std::u16string wanted(subject.begin(), subject.end());
    auto found = my->Matching([&](const StoredCertNames& names) { return names.subject == wanted; });
    return found.size() == 1 ? found.front() : nullptr;
  }

  std::wstring container;
  std::wstring subject;
  Bytes encoded;
};

TEST_F(CryptWindowsTest, TheUsersStoreListsTheCertificateWithItsNamesAndKeyLink) {
  const CertContextPtr mine = Mine();
  ASSERT_TRUE(mine);
  EXPECT_EQ(mine->encoded(), encoded);
  EXPECT_EQ(mine->store(), SystemStore::My);
  EXPECT_EQ(SubjectText(*mine), std::u16string(subject.begin(), subject.end()));
  EXPECT_EQ(IssuerText(*mine, NameSeparator::CrLf).find(u"\r\n"), SubjectText(*mine).find(u", "));
  EXPECT_EQ(SubjectSimpleText(*mine).find(u"Wine Tester"), 0u);
  EXPECT_EQ(IssuerDisplayName(*mine).find(u"Wine Tester"), 0u);
  const auto link = mine->KeyProviderInfo();
  ASSERT_TRUE(link);
  EXPECT_EQ(link->keySpec, AT_KEYEXCHANGE);
  EXPECT_EQ(link->containerName, std::u16string(container.begin(), container.end()));
  EXPECT_NE(std::find(mine->PropertyIds().begin(), mine->PropertyIds().end(),
                      CERT_KEY_PROV_INFO_PROP_ID),
            mine->PropertyIds().end());
  // The serial as encoded, least significant byte first, as the stores' texts keep it.
  PCCERT_CONTEXT system = CertCreateCertificateContext(
      X509_ASN_ENCODING, encoded.data(), static_cast<DWORD>(encoded.size()));
  const CRYPT_INTEGER_BLOB& serial = system->pCertInfo->SerialNumber;
  EXPECT_TRUE(IntegerBlobsEqual(mine->serialBlob(), ByteView(serial.pbData, serial.cbData)));
  CertFreeCertificateContext(system);

  auto my = CertStore::Open(u"mY");
  ASSERT_TRUE(my) << "store names ignore case";
  const auto again = my->Certificate(*mine->storedId());
  ASSERT_TRUE(again);
  EXPECT_EQ((*again)->encoded(), encoded);
  EXPECT_EQ(CertStore::Open(u"Other").code(), E_INVALIDARG);

  ASSERT_TRUE(my->Remove(*mine));
  EXPECT_FALSE(Mine()) << "removed from the store";
  EXPECT_EQ(my->Remove(*mine).code(), CRYPT_E_NOT_FOUND);
}

TEST_F(CryptWindowsTest, RawSignaturesFromTheContainerVerifyWithTheCertificatesKey) {
  const CertContextPtr mine = Mine();
  ASSERT_TRUE(mine);
  const auto link = mine->KeyProviderInfo();
  ASSERT_TRUE(link);
  auto provider = CryptProvider::Acquire(std::u16string_view(link->containerName),
                                         link->providerName, PROV_RSA_FULL, 0);
  ASSERT_TRUE(provider);
  auto key = provider->PrivateKey(AT_KEYEXCHANGE);
  ASSERT_TRUE(key);
  EXPECT_EQ(provider->PrivateKey(AT_SIGNATURE).code(), NTE_NO_KEY);

  auto hash = HashObject::Create(kSha1);
  ASSERT_TRUE(hash);
  ASSERT_TRUE(hash->Update(View("raw content")));
  auto signature = hash->SignLeastSignificantFirst(&*key);
  ASSERT_TRUE(signature);
  EXPECT_EQ(signature->size(), 128u);

  auto publicKey = ImportPublicKey(*mine);
  ASSERT_TRUE(publicKey);
  auto check = HashObject::Create(kSha1);
  ASSERT_TRUE(check->Update(View("raw content")));
  EXPECT_TRUE(check->VerifyLeastSignificantFirst(*publicKey, *signature));
  auto other = HashObject::Create(kSha1);
  ASSERT_TRUE(other->Update(View("other content")));
  EXPECT_EQ(other->VerifyLeastSignificantFirst(*publicKey, *signature).code(), NTE_BAD_SIGNATURE);

  EXPECT_EQ(DigestSize("2.16.840.1.101.3.4.2.1"), 32u);
  EXPECT_FALSE(DigestSize("1.2.3"));
  EXPECT_EQ(HashObject::Create("1.2.3").code(), NTE_BAD_ALGID);
  // SHA-1 of "abc", the FIPS 180 example.
  const auto digest = HashMessage(kSha1, View("abc"));
  ASSERT_TRUE(digest);
  EXPECT_EQ((*digest)[0], 0xA9);
  EXPECT_EQ((*digest)[19], 0x9D);
}

TEST_F(CryptWindowsTest, AttachedAndDetachedMessagesRoundTrip) {
  const CertContextPtr mine = Mine();
  ASSERT_TRUE(mine);
  auto attached = SignPkcs7(*mine, kSha1, View("signed on Windows"), false);
  ASSERT_TRUE(attached) << std::hex << attached.code();
  auto opened = VerifyPkcs7(*attached, nullptr);
  ASSERT_TRUE(opened) << std::hex << opened.code() << " " << opened.error().detail;
  EXPECT_EQ(std::string(opened->content.begin(), opened->content.end()), "signed on Windows");
  EXPECT_EQ(opened->signer->encoded(), encoded);

  auto detached = SignPkcs7(*mine, kSha1, View("detached"), true);
  ASSERT_TRUE(detached);
  const ByteView content = View("detached");
  EXPECT_TRUE(VerifyPkcs7(*detached, &content));
  const ByteView other = View("other");
  EXPECT_EQ(VerifyPkcs7(*detached, &other).code(), NTE_BAD_SIGNATURE);

  Bytes tampered = *attached;
  tampered[tampered.size() / 2] ^= 0x01;
  EXPECT_FALSE(VerifyPkcs7(tampered, nullptr));
  EXPECT_EQ(VerifyPkcs7(Bytes{0x30, 0x03, 0x02, 0x01}, nullptr).code(), CRYPT_E_OSS_ERROR);
}

TEST_F(CryptWindowsTest, EnvelopesForTheUserOpenWithTheUsersKey) {
  const CertContextPtr mine = Mine();
  ASSERT_TRUE(mine);
  auto my = CertStore::Open(u"MY");
  constexpr char kRc4[] = "1.2.840.113549.3.4";
  auto sealed = EnvelopePkcs7(*mine, kRc4, View("for the tester"));
  ASSERT_TRUE(sealed) << std::hex << sealed.code();
  auto opened = OpenEnvelopePkcs7(*sealed, *my);
  ASSERT_TRUE(opened) << std::hex << opened.code();
  EXPECT_EQ(std::string(opened->content.begin(), opened->content.end()), "for the tester");
  EXPECT_EQ(opened->recipient->encoded(), encoded);

  bool asked = false;
  const KeyUseApproval refuse = [&](const CertContext&) { return !(asked = true); };
  EXPECT_EQ(OpenEnvelopePkcs7(*sealed, *my, refuse).code(), HRESULT_ERROR_CANCELLED);
  EXPECT_TRUE(asked);

  auto signedSealed = SignAndEnvelopePkcs7(*mine, kSha1, *mine, kRc4, View("signed and sealed"));
  ASSERT_TRUE(signedSealed) << std::hex << signedSealed.code();
  auto both = OpenSignedEnvelopePkcs7(*signedSealed, *my);
  ASSERT_TRUE(both) << std::hex << both.code();
  EXPECT_EQ(std::string(both->content.begin(), both->content.end()), "signed and sealed");
  EXPECT_EQ(both->signer->encoded(), encoded);
  EXPECT_EQ(OpenSignedEnvelopePkcs7(*sealed, *my).code(), CRYPT_E_UNEXPECTED_MSG_TYPE)
      << "an envelope of plain data carries no signature";

  Bytes broken = *sealed;
  broken[broken.size() - 3] ^= 0x5A;  // inside the encrypted content
  auto garbled = OpenEnvelopePkcs7(broken, *my);
  EXPECT_TRUE(!garbled || garbled->content != opened->content);

  // Wine's message encryption knows no AES; Windows does.
  auto aes = EnvelopePkcs7(*mine, "2.16.840.1.101.3.4.1.42", View("aes"));
  if (testing::RunningUnderWine()) {
    EXPECT_EQ(aes.code(), NTE_BAD_ALGID) << "expected Wine failure: no AES in messages";
  } else {
    EXPECT_TRUE(aes);
  }
}

TEST_F(CryptWindowsTest, ChainChecksOnTheSystemsChainEngine) {
  const CertContextPtr mine = Mine();
  ASSERT_TRUE(mine);
  EXPECT_TRUE(IssuerSignatureVerifies(*mine, *mine)) << "self-signed";
  EXPECT_TRUE(WithinValidity(*mine, mine->notBefore()));
  EXPECT_FALSE(WithinValidity(*mine, mine->notAfter() + 1));
  EXPECT_TRUE(ChainPolicyAccepts(*mine, {}, {mine}, {}));
  EXPECT_FALSE(ChainPolicyAccepts(*mine, {}, {}, {})) << "no trusted root";
  auto my = CertStore::Open(u"MY");
  EXPECT_EQ(RevocationByIssuerCrl(*mine, *mine, *my), Revocation::NoCrl);
  EXPECT_FALSE(ExtensionText(*mine, "1.3.6.1.4.1.99999.1"));
}

// A certificate of the path-validation suite that Debian installs, read through Wine's Z:.
CertContextPtr SuiteCertificate(const std::string& name) {
  auto certificate = CertContext::FromEncoded(testing::ReadFile(
      "Z:\\usr\\lib\\python3\\dist-packages\\cryptography_vectors\\x509\\PKITS_data\\certs\\" +
      name));
  return certificate ? *certificate : nullptr;
}

TEST(CryptWindowsKeyIdentifiers, TheAuthorityKeyIdentifierNamesTheSigningKey) {
  const CertContextPtr anchor = SuiteCertificate("TrustAnchorRootCertificate.crt");
  const CertContextPtr good = SuiteCertificate("GoodCACert.crt");
  const CertContextPtr user = SuiteCertificate("ValidCertificatePathTest1EE.crt");
  ASSERT_TRUE(anchor && good && user);
  EXPECT_TRUE(KeyIdentifierMatches(*good, *anchor));
  EXPECT_TRUE(KeyIdentifierMatches(*user, *good));
  EXPECT_FALSE(KeyIdentifierMatches(*user, *anchor)) << "the key of its issuer's issuer";
  EXPECT_FALSE(KeyIdentifierMatches(*good, *good));
}

TEST(CryptWindowsNames, AValueThatIsNotAStringIsWrittenAsHexOfItsEncoding) {
  // A BIT STRING x500UniqueIdentifier, from the public corpus Debian installs.
  const Bytes pem = testing::ReadFile(
      "Z:\\usr\\lib\\python3\\dist-packages\\cryptography_vectors\\x509\\"
      "scottishpower-bitstring-dn.pem");
  DWORD size = 0;
  const auto* text = reinterpret_cast<const char*>(pem.data());
  ASSERT_TRUE(CryptStringToBinaryA(text, static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                                   nullptr, &size, nullptr, nullptr));
  Bytes der(size);
  ASSERT_TRUE(CryptStringToBinaryA(text, static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                                   der.data(), &size, nullptr, nullptr));
  auto certificate = CertContext::FromEncoded(der);
  ASSERT_TRUE(certificate);
  // The key of a type with no short name is the system's ("OID.2.5.4.45" on Windows, Wine
  // leaves out "OID.").
  const std::u16string subject = SubjectText(**certificate);
  EXPECT_TRUE(subject.starts_with(u"CN=ScottishPower, OU=02, ")) << codepage::Utf16ToUtf8(subject);
  EXPECT_TRUE(subject.ends_with(u"2.5.4.45=#03090070B3D51F305F0001"))
      << codepage::Utf16ToUtf8(subject);
  EXPECT_EQ(SubjectSimpleText(**certificate), u"ScottishPower, 02, #03090070B3D51F305F0001");
}

}  // namespace
}  // namespace velsor::crypt
