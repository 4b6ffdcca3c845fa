#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/name_text_openssl.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>

#include "fixtures/test_files.h"

#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_find.h"

namespace velsor::crypt {
namespace {

using N = NameAttribute;

const EVP_PKEY& SharedKey() {
  static const EvpPkeyPtr key = GenerateRsaKey(1024);
  return *key;
}

CertContextPtr Certificate(std::vector<NameAttribute> subject, Bytes serial = {0x01}) {
  CertificateRequest request;
  request.subject = std::move(subject);
  request.serial = std::move(serial);
  request.notBefore = 1577836800;  // 2020-01-01 00:00:00 UTC
  request.notAfter = 1893456000;
  auto issued = IssueCertificate(request, SharedKey(), nullptr, SharedKey());
  EXPECT_TRUE(issued) << issued.error().detail;
  auto context = CertContext::FromEncoded(EncodeCertificate(**issued));
  EXPECT_TRUE(context);
  return *context;
}

TEST(NameText, KeysInEncodedOrder) {
  auto certificate =
      Certificate({N::Printable("C", "CN"), N::Utf8("O", "Velsor"), N::Utf8("OU", "Testing"),
                   N::Utf8("CN", "Alice"), N::Ia5("emailAddress", "alice@velsor.test"),
                   N::Utf8("ST", "Beijing"), N::Utf8("L", "Haidian"), N::Utf8("street", "1 Road"),
                   N::Utf8("title", "Dr"), N::Utf8("GN", "A"), N::Utf8("initials", "AZ"),
                   N::Utf8("SN", "Zhang"), N::Ia5("DC", "test"), N::Printable("serialNumber", "42"),
                   N::Utf8("postalCode", "100000"), N::Utf8("description", "d"),
                   N::Printable("dnQualifier", "q"), N::Utf8("1.2.3.4.5", "other")});
  EXPECT_EQ(X500NameText(SubjectNameOf(*certificate)),
            u"C=CN, O=Velsor, OU=Testing, CN=Alice, E=alice@velsor.test, S=Beijing, L=Haidian, "
            u"STREET=1 Road, T=Dr, G=A, I=AZ, SN=Zhang, DC=test, SERIALNUMBER=42, "
            u"PostalCode=100000, Description=d, dnQualifier=q, OID.1.2.3.4.5=other");
  EXPECT_EQ(X500NameText(SubjectNameOf(*certificate)), X500NameText(IssuerNameOf(*certificate)))
      << "self-signed";
}

TEST(NameText, QuotingOfSpecialValues) {
  auto certificate = Certificate(
      {N::Utf8("CN", "Zhang, San"), N::Utf8("O", "say \"hi\""), N::Utf8("OU", " padded "),
       N::Utf8("L", "a+b"), N::Utf8("ST", "x=y"), N::Utf8("street", "#1"), N::Utf8("title", "<t>"),
       N::Utf8("description", "semi;colon"), N::Utf8("GN", "plain")});
  EXPECT_EQ(X500NameText(SubjectNameOf(*certificate)),
            u"CN=\"Zhang, San\", O=\"say \"\"hi\"\"\", OU=\" padded \", L=\"a+b\", S=\"x=y\", "
            u"STREET=\"#1\", T=\"<t>\", Description=\"semi;colon\", G=plain");
}

TEST(NameText, MultiValuedRdnsAndLineBreaks) {
  auto certificate = Certificate({N::Printable("C", "CN"), N::Utf8("O", "Velsor"),
                                  N::Utf8("OU", "Unit", true), N::Utf8("CN", "Multi")});
  // DER sorts the attributes of a set by their encoding: the shorter OU comes first.
  EXPECT_EQ(X500NameText(SubjectNameOf(*certificate)), u"C=CN, OU=Unit + O=Velsor, CN=Multi");
  EXPECT_EQ(X500NameText(SubjectNameOf(*certificate), NameSeparator::CrLf),
            u"C=CN\r\nOU=Unit + O=Velsor\r\nCN=Multi");
  EXPECT_EQ(SimpleNameText(SubjectNameOf(*certificate)), u"CN, Unit + Velsor, Multi");
}

TEST(NameText, ChineseValuesInEveryStringType) {
  auto certificate = Certificate(
      {N::Utf8("CN", "张三"), N::Bmp("O", u"北京测试"), N::Utf8("OU", "\xF0\xA0\x80\x80")});
  EXPECT_EQ(X500NameText(SubjectNameOf(*certificate)), u"CN=张三, O=北京测试, OU=\U00020000");
}

TEST(NameText, UniversalStringsAndTeletexAsLatin1) {
  ASN1_STRING* universal = ASN1_STRING_type_new(V_ASN1_UNIVERSALSTRING);
  const unsigned char ucs4[] = {0, 0, 0x4E, 0x2D, 0, 2, 0, 0};
  ASN1_STRING_set(universal, ucs4, sizeof ucs4);
  EXPECT_EQ(AttributeValueText(universal), u"中\U00020000");
  ASN1_STRING_free(universal);
  ASN1_STRING* teletex = ASN1_STRING_type_new(V_ASN1_T61STRING);
  const unsigned char latin1[] = {'c', 0xE9};
  ASN1_STRING_set(teletex, latin1, sizeof latin1);
  EXPECT_EQ(AttributeValueText(teletex), u"c\u00E9") << "not UTF-8: Latin-1";
  const unsigned char utf8[] = {'c', 0xC3, 0xA9};
  ASN1_STRING_set(teletex, utf8, sizeof utf8);
  EXPECT_EQ(AttributeValueText(teletex), u"c\u00E9") << "valid UTF-8 is read as UTF-8";
  const unsigned char truncated[] = {'c', 0xC3};
  ASN1_STRING_set(teletex, truncated, sizeof truncated);
  EXPECT_EQ(AttributeValueText(teletex), u"c\u00C3");
  ASN1_STRING_free(teletex);
}

TEST(NameText, AValueThatIsNotAStringIsWrittenAsHexOfItsEncoding) {
  // A real certificate whose subject carries a BIT STRING x500UniqueIdentifier (with a NUL
  // among its bits), from a public corpus.
  const auto file = testing::ReadFile(
      "/usr/lib/python3/dist-packages/cryptography_vectors/x509/scottishpower-bitstring-dn.pem");
  BioPtr bio(BIO_new_mem_buf(file.data(), static_cast<int>(file.size())));
  X509Ptr x509(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  ASSERT_TRUE(x509);
  auto certificate = CertContext::FromEncoded(EncodeCertificate(*x509));
  ASSERT_TRUE(certificate);
  EXPECT_EQ(SubjectText(**certificate), u"CN=ScottishPower, OU=02, OID.2.5.4.45=#03090070B3D51F305F0001");
  EXPECT_EQ(SubjectSimpleText(**certificate), u"ScottishPower, 02, #03090070B3D51F305F0001");
}

TEST(NameText, SimpleDisplayNameFallsBackInOrder) {
  EXPECT_EQ(SimpleDisplayName(SubjectNameOf(*Certificate({N::Utf8("O", "Org"), N::Utf8("CN", "Name")}))),
            u"Name");
  EXPECT_EQ(SimpleDisplayName(SubjectNameOf(*Certificate({N::Utf8("O", "Org"), N::Utf8("OU", "Unit"),
                                           N::Ia5("emailAddress", "e@x")}))),
            u"Unit");
  EXPECT_EQ(SimpleDisplayName(SubjectNameOf(*Certificate({N::Ia5("emailAddress", "e@x"), N::Utf8("O", "Org")}))),
            u"Org");
  EXPECT_EQ(SimpleDisplayName(SubjectNameOf(*Certificate({N::Printable("C", "CN"), N::Ia5("emailAddress", "e@x")}))),
            u"e@x");
  EXPECT_EQ(
      SimpleDisplayName(SubjectNameOf(*Certificate({N::Printable("C", "CN"), N::Utf8("L", "City")}))),
      u"CN");
}

TEST(NameSearch, SubjectAndIssuerStringsIgnoreCase) {
  const std::vector<CertContextPtr> certificates{
      Certificate({N::Utf8("O", "Velsor"), N::Utf8("CN", "Alice Zhang")}),
      Certificate({N::Utf8("O", "Other"), N::Utf8("CN", "Bob")}),
      Certificate({N::Utf8("CN", "ÄRGER")}),
  };
  EXPECT_EQ(FindBySubjectString(certificates, u"alice zh").size(), 1u);
  EXPECT_EQ(FindBySubjectString(certificates, u"velsor, ALICE").size(), 1u)
      << "the simple form joins values with \", \"";
  EXPECT_EQ(FindBySubjectString(certificates, u"CN=").size(), 0u) << "keys are not searched";
  EXPECT_EQ(FindBySubjectString(certificates, u"ärger").size(), 1u);
  EXPECT_TRUE(ContainsIgnoringCase(IssuerSimpleText(*certificates[1]), u"bob"));
}

TEST(NameSearch, TheSimpleFormKeepsQuoting) {
  const auto quoted = Certificate({N::Printable("C", "CN"), N::Utf8("O", "Example Co., Ltd.")});
  EXPECT_EQ(SimpleNameText(SubjectNameOf(*quoted)), u"CN, \"Example Co., Ltd.\"");
  EXPECT_EQ(FindBySubjectString({quoted}, u"\"example co.").size(), 1u);
}

TEST(CertContext, SerialAndNamesExactlyAsEncoded) {
  auto high = Certificate({N::Utf8("CN", "High")}, {0x00, 0x80, 0x01});
  EXPECT_EQ(high->serialBlob(), (Bytes{0x01, 0x80, 0x00}))
      << "least significant first, sign byte kept";
  EXPECT_EQ(high->encodedIssuer().front(), 0x30);
  EXPECT_EQ(high->notBefore(), 1577836800);
  EXPECT_FALSE(CertContext::FromEncoded(Bytes{0x30, 0x03, 0x02, 0x01, 0x01}));
  Bytes trailing = high->encoded();
  trailing.push_back(0);
  EXPECT_EQ(CertContext::FromEncoded(trailing).code(), CRYPT_E_OSS_ERROR);
}

TEST(IntegerBlob, IgnoresSignExtension) {
  EXPECT_TRUE(IntegerBlobsEqual(Bytes{0x01, 0x80, 0x00}, Bytes{0x01, 0x80, 0x00}));
  EXPECT_TRUE(IntegerBlobsEqual(Bytes{0x05, 0x00}, Bytes{0x05}));
  EXPECT_FALSE(IntegerBlobsEqual(Bytes{0x80, 0x00}, Bytes{0x80})) << "128 is not -128";
  EXPECT_TRUE(IntegerBlobsEqual(Bytes{0x80, 0xFF}, Bytes{0x80}));
  EXPECT_FALSE(IntegerBlobsEqual(Bytes{0x05}, Bytes{0x06}));
}

}  // namespace
}  // namespace velsor::crypt
