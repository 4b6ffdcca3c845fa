#include "certs/cert_queries.h"

#include <gtest/gtest.h>

#include "fixtures/test_pki.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/extension_text.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/openssl/cert_builder.h"

namespace velsor::certs {
namespace {

using testing::ScopedVelsorHome;
using testing::SharedTestPki;

constexpr char16_t kAlice[] = u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
constexpr char16_t kCa[] = u"C=CN, O=Velsor, CN=Velsor Test CA";

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override { SharedTestPki().Install(); }
  ScopedVelsorHome home;
};

TEST_F(QueryTest, CertExistsInEitherRdnOrder) {
  EXPECT_EQ(CertExists(kAlice), true);
  EXPECT_EQ(CertExists(u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN"), true);
  EXPECT_EQ(CertExists(u"C=CN,O=Velsor,OU=Testing,CN=Alice Zhang"), true);
  EXPECT_EQ(CertExists(u""), false);
  EXPECT_EQ(CertExists(u"C=CN, O=Velsor, CN=Alice Zhang"), false) << "the whole subject must match";
  EXPECT_EQ(CertExists(kCa), false) << "only MY is searched";
  // The default container it makes on the way stays, empty.
  EXPECT_TRUE(crypt::CryptProvider::Acquire(std::nullopt, crypt::kEnhancedProvider,
                                            crypt::PROV_RSA_FULL, 0));
}

TEST_F(QueryTest, CertExistsWhenTheStoresCannotBeReached) {
  ::chmod(home.path().c_str(), 0700);
  ::chmod((home.path() / "home").c_str(), 0777);
  // The provider fails too, but not because the container exists: the search goes on
  // without it and stops at the store.
  EXPECT_EQ(CertExists(kAlice).code(), kStoreUnavailable);
}

TEST_F(QueryTest, ExtensionTexts) {
  EXPECT_EQ(GetCertExtension(kCa, u"2.5.29.19", 936), u"CA:TRUE");
  EXPECT_EQ(GetCertExtension(kCa, u"2.5.29.15", 936), u"Certificate Sign, CRL Sign");
  EXPECT_EQ(GetCertExtension(kAlice, u"2.5.29.19", 65001), u"CA:FALSE") << "found in MY too";
  EXPECT_EQ(GetCertExtension(kCa, u"1.2.3.4", 936).code(), kNoSuchExtension);
  EXPECT_EQ(GetCertExtension(u"CN=Velsor Test CA, O=Velsor, C=CN", u"2.5.29.19", 936).code(),
            kNoSuchCertificate)
      << "the method retries with the reversed DN";
  EXPECT_EQ(GetCertExtension(kCa, u"2.5.29.19", 12345).code(), kOidNotConvertible);
}

TEST(ExtensionText, UnprintableExtensionsShowTheirBytes) {
  crypt::CertificateRequest request;
  request.subject = {crypt::NameAttribute::Utf8("CN", "Extended")};
  request.serial = {0x01};
  request.notAfter = 86400;
  const auto key = crypt::GenerateRsaKey(1024);
  auto certificate = std::move(*crypt::IssueCertificate(request, *key, nullptr, *key));
  ASN1_OBJECT* oid = OBJ_txt2obj("1.3.6.1.4.1.99999.1", 1);
  ASN1_OCTET_STRING* value = ASN1_OCTET_STRING_new();
  const unsigned char bytes[] = {0x04, 0x02, 0xAB, 0x0C};
  ASN1_OCTET_STRING_set(value, bytes, sizeof bytes);
  X509_EXTENSION* extension = X509_EXTENSION_create_by_OBJ(nullptr, oid, 0, value);
  X509_add_ext(certificate.get(), extension, -1);
  X509_sign(certificate.get(), key.get(), EVP_sha256());
  X509_EXTENSION_free(extension);
  ASN1_OCTET_STRING_free(value);
  ASN1_OBJECT_free(oid);
  const auto context = crypt::CertContext::FromEncoded(crypt::EncodeCertificate(*certificate));
  ASSERT_TRUE(context);
  EXPECT_EQ(crypt::ExtensionText(**context, "1.3.6.1.4.1.99999.1"), u"04 02 ab 0c");
  EXPECT_FALSE(crypt::ExtensionText(**context, "1.3.6.1.4.1.99999.2"));
}

TEST_F(QueryTest, SubjectsByIssuerNeverPassTheCapacity) {
  std::vector<crypt::CertStore> my{*crypt::CertStore::Open(u"MY")};
  std::vector<std::u16string> subjects;
  EXPECT_EQ(EnumCertsDnByIssuers(my, u"C=CN,O=Velsor,CN=Velsor Test CA", subjects, 100), 8u);
  EXPECT_EQ(subjects.front(), kAlice);
  EXPECT_EQ(EnumCertsDnByIssuers(my, u"C=CN, O=Velsor, CN=Velsor Test Root", subjects, 100), 8u)
      << "no certificate of this issuer: the count stays";
  std::vector<std::u16string> few;
  EXPECT_EQ(EnumCertsDnByIssuers(my, kCa, few, 3), 3u);
  EXPECT_EQ(few.size(), 3u);
}

TEST_F(QueryTest, QuotedValuesAreFoundByTheirQuotedText) {
  // A company name with a comma is quoted in both name forms, so its short name, cut at
  // the comma, still finds it.
  crypt::CertificateRequest request;
  request.subject = {crypt::NameAttribute::Printable("C", "CN"),
                     crypt::NameAttribute::Utf8("O", "Org, Inc.")};
  request.serial = {0x42};
  request.notBefore = std::time(nullptr) - 86400;
  request.notAfter = request.notBefore + 86400 * 30;
  request.certificateAuthority = true;
  const auto key = crypt::GenerateRsaKey(1024);
  const auto issued = crypt::IssueCertificate(request, *key, nullptr, *key);
  ASSERT_TRUE(issued);
  ASSERT_TRUE(crypt::CertStore::Open(u"MY")->Add(crypt::EncodeCertificate(**issued)));

  constexpr char16_t kQuoted[] = u"C=CN, O=\"Org, Inc.\"";
  EXPECT_EQ(CertExists(kQuoted), true);
  EXPECT_EQ(GetCertExtension(kQuoted, u"2.5.29.19", 936), u"CA:TRUE");
  std::vector<crypt::CertStore> my{*crypt::CertStore::Open(u"MY")};
  std::vector<std::u16string> subjects;
  EXPECT_EQ(EnumCertsDnByIssuers(my, kQuoted, subjects, 100), 1u);
  EXPECT_EQ(subjects.front(), kQuoted);
}

}  // namespace
}  // namespace velsor::certs
