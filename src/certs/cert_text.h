#pragma once
// The texts a certificate is shown, compared and handed to pages by: subject and issuer in
// X500 form, the validity period as "2015-03-17 08:05:09GMT" (UTC, whatever the local time
// zone), and the serial number in groups of four hexadecimal digits.

#include <cstdint>
#include <ctime>
#include <string>

#include "certs/cert_info.h"
#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/status_codes.h"
#include "platform/crypt/cert_context.h"

namespace velsor::certs {

// A kind outside CertDetail gives an empty text. A time that cannot be written fails with
// status::kNotText, and memory running out with status::kNoMemory.
Result<std::u16string> GetCertText(const crypt::CertContext& certificate, CertDetail kind);

// status::kNotText when the time cannot be written.
Result<std::u16string> FormatCertTime(std::time_t utc);

// The serial's bytes most significant first, as upper-case hex with a space after every
// second byte that another follows; `serialBlob` holds them least significant first.
// Written whole, whatever the length.
std::u16string SerialText(ByteView serialBlob);

// All five texts, or none: on failure the record is emptied and marked unavailable, so
// that storing it clears what was kept. A missing certificate fails with
// status::kMissingInput and leaves the record untouched.
Result<Done> ExtractCertInfo(const crypt::CertContext* certificate, CertInfo& record);

}  // namespace velsor::certs
