#include "certs/cert_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "fixtures/test_pki.h"

namespace velsor::certs {
namespace {

using crypt::CertContext;
using crypt::CertContextPtr;
using testing::SharedTestPki;

CertContextPtr Context(const Bytes& encoded) { return *CertContext::FromEncoded(encoded); }

TEST(CertText, TimesAreUtcWhateverTheTimeZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  for (const char* zone : {"UTC", "Asia/Shanghai", "America/Los_Angeles", "Pacific/Kiritimati"}) {
    setenv("TZ", zone, 1);
    tzset();
    EXPECT_EQ(FormatCertTime(1577836800), u"2020-01-01 00:00:00GMT") << zone;
    EXPECT_EQ(FormatCertTime(1426579509), u"2015-03-17 08:05:09GMT") << zone;
  }
  old ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST(CertText, SerialsInGroupsOfFourDigits) {
  // Blobs are least significant byte first.
  EXPECT_EQ(SerialText(Bytes{0x05}), u"05");
  EXPECT_EQ(SerialText(Bytes{0xFF, 0x00}), u"00FF");
  EXPECT_EQ(SerialText(Bytes{0x56, 0x34, 0x12}), u"1234 56");
  EXPECT_EQ(SerialText(Bytes{0x89, 0x67, 0x45, 0x23, 0x01}), u"0123 4567 89");
  EXPECT_EQ(SerialText(Bytes{}), u"");
  EXPECT_EQ(SerialText(Bytes(51, 0xAB)).size(), 2u * 51 + 25);
  EXPECT_EQ(SerialText(Bytes(52, 0xAB)).size(), 2u * 52 + 25) << "written whole, any length";
}

TEST(CertText, EachKindOfText) {
  const auto alice = Context(SharedTestPki().alice.encoded);
  EXPECT_EQ(GetCertText(*alice, CertDetail::Subject),
            u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang");
  EXPECT_EQ(GetCertText(*alice, CertDetail::Issuer), u"C=CN, O=Velsor, CN=Velsor Test CA");
  EXPECT_EQ(GetCertText(*alice, CertDetail::NotBefore)->size(), 22u);
  EXPECT_EQ(GetCertText(*alice, CertDetail::SerialNumber), u"1001");
  EXPECT_EQ(GetCertText(*alice, static_cast<CertDetail>(6)), u"");
  const auto high = Context(SharedTestPki().highSerial.encoded);
  EXPECT_EQ(GetCertText(*high, CertDetail::SerialNumber), u"0080 1122 33")
      << "the sign byte is part of the serial";
}

TEST(CertText, ExtractionIsCompleteOrEmpty) {
  CertInfo record;
  const auto alice = Context(SharedTestPki().alice.encoded);
  ASSERT_TRUE(ExtractCertInfo(alice.get(), record));
  EXPECT_EQ(record[CertDetail::Subject], u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang");
  EXPECT_EQ(record[CertDetail::SerialNumber], u"1001");
  EXPECT_TRUE(record[CertDetail::NotAfter]);

  const auto longSerial = Context(SharedTestPki().longSerial.encoded);
  ASSERT_TRUE(ExtractCertInfo(longSerial.get(), record));
  EXPECT_EQ(record[CertDetail::SerialNumber]->size(), 2u * 60 + 29) << "60 bytes, whole";
  EXPECT_FALSE(record.unavailable);

  record[CertDetail::Subject] = u"kept";
  EXPECT_EQ(ExtractCertInfo(nullptr, record).code(), status::kMissingInput);
  EXPECT_EQ(record[CertDetail::Subject], u"kept");
}

}  // namespace
}  // namespace velsor::certs
