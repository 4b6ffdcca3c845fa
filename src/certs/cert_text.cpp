#include "certs/cert_text.h"

#include <chrono>
#include <cstdio>
#include <new>

#include "platform/base/hex.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/name_text.h"

namespace velsor::certs {
// The calendar is computed rather than asked of the C library, whose UTC conversion is
// spelt differently on each platform.
Result<std::u16string> FormatCertTime(std::time_t utc) {
  using namespace std::chrono;
  const sys_seconds when{seconds{utc}};
  const sys_days day = floor<days>(when);
  const year_month_day date{day};
  const hh_mm_ss time{when - day};
  const int year = static_cast<int>(date.year());
  if (year > 9999 || year < 0) return Failure(status::kNotText, "a year past four digits");
  char text[32];
  const int length = std::snprintf(
      text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02dGMT", year,
      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
      static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
      static_cast<int>(time.seconds().count()));
  if (length != 22) return Failure(status::kNotText, "a time that cannot be written");
  return codepage::AsciiToUtf16(std::string_view(text, static_cast<std::size_t>(length)));
}

std::u16string SerialText(ByteView serialBlob) {
  std::u16string text;
  std::size_t written = 0;
  for (auto byte = serialBlob.rbegin(); byte != serialBlob.rend(); ++byte) {
    AppendHexByte(text, *byte, HexCase::Upper);
    if (++written % 2 == 0 && written < serialBlob.size()) text.push_back(u' ');
  }
  return text;
}

Result<std::u16string> GetCertText(const crypt::CertContext& certificate, CertDetail kind) {
  try {
    switch (kind) {
      case CertDetail::Subject:
        return crypt::SubjectText(certificate);
      case CertDetail::Issuer:
        return crypt::IssuerText(certificate);
      case CertDetail::NotBefore:
        return FormatCertTime(certificate.notBefore());
      case CertDetail::NotAfter:
        return FormatCertTime(certificate.notAfter());
      case CertDetail::SerialNumber:
        return SerialText(certificate.serialBlob());
    }
  } catch (const std::bad_alloc&) {
    return Failure(status::kNoMemory, "no memory for a certificate's text");
  }
  return std::u16string();
}

Result<Done> ExtractCertInfo(const crypt::CertContext* certificate, CertInfo& record) {
  if (certificate == nullptr) return Failure(status::kMissingInput, "no certificate");
  CertInfo filled;
  for (int kind = 1; kind <= static_cast<int>(kCertDetailCount); ++kind) {
    Result<std::u16string> text = GetCertText(*certificate, static_cast<CertDetail>(kind));
    if (!text) {
      record = CertInfo{};
      record.unavailable = true;
      return text.error();
    }
    filled[static_cast<CertDetail>(kind)] = *std::move(text);
  }
  record = std::move(filled);
  return Done{};
}

}  // namespace velsor::certs
