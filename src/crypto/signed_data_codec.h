#pragma once
// PKCS#7 SignedData written and read by hand with the format-string codec: version 1,
// one digest algorithm (MD5 or SHA-1 with NULL parameters), the content (attached) or
// none (detached), the signer's certificate alone, and one SignerInfo without attributes
// holding the RSA signature most significant byte first.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/crypt/cert_context.h"

namespace velsor::crypto {

struct BuiltSignedData {
  std::int32_t status = 0;  // -10033 for a digest other than MD5 or SHA-1, -10054
  Bytes message{};
};

BuiltSignedData BuildSignedData(bool detached, ByteView content,
                                const crypt::CertContext& certificate, std::string_view digestOid,
                                ByteView signature);

struct ParsedSignedData {
  std::int32_t status = 0;  // -10037 undecodable, -10038 unexpected types, -10033, -10035,
                            // -10010 content present where none was asked for
  Bytes content{};
  crypt::CertContextPtr certificate{};  // the first certificate the message carries
  std::string digestOid{};              // "1.2.840.113549.2.5" or "1.3.14.3.2.26"
  Bytes signature{};
};

// `wantContent`: hand out the content (attached); without it a message that carries
// content is refused (detached).
ParsedSignedData ParseSignedData(ByteView message, bool wantContent);

}  // namespace velsor::crypto
