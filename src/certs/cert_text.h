#pragma once
// The texts a certificate is shown, compared and handed to pages by: subject and issuer in
// X500 form, the validity period as "2015-03-17 08:05:09GMT" (UTC, whatever the local time
// zone), and the serial number in groups of four hexadecimal digits.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "certs/cert_info.h"
#include "platform/base/bytes.h"
#include "platform/base/status_codes.h"
#include "platform/crypt/cert_context.h"

namespace velsor::certs {

inline constexpr std::int32_t kCertTextOk = status::kOk;
inline constexpr std::int32_t kCertTextMissing = status::kMissingInput;
inline constexpr std::int32_t kCertTextUnavailable = status::kNotText;
inline constexpr std::int32_t kCertTextNoMemory = status::kNoMemory;

struct CertText {
  std::int32_t status = kCertTextOk;
  std::u16string text;
};

// A kind outside CertDetail gives an empty text and success. A missing certificate gives
// kCertTextMissing; a time that cannot be written gives kCertTextUnavailable.
CertText GetCertText(const crypt::CertContext* certificate, CertDetail kind);

// Nothing when the time cannot be converted.
std::optional<std::u16string> FormatCertTime(std::time_t utc);

// The serial's bytes most significant first, as upper-case hex with a space after every
// second byte that another follows; `serialBlob` holds them least significant first.
// Written whole, whatever the length.
std::u16string SerialText(ByteView serialBlob);

// All five texts, or none: on failure the record is emptied and marked unavailable, so
// that storing it clears what was kept. A missing certificate or record gives
// kCertTextMissing and leaves the record untouched.
std::int32_t ExtractCertInfo(const crypt::CertContext* certificate, CertInfo* record);

}  // namespace velsor::certs
