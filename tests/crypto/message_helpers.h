#pragma once
// What the engine tests share: the test PKI's first user, the default digest, and
// messages between Base64 and bytes.

#include <string>
#include <string_view>

#include "formats/base64.h"
#include "platform/base/bytes.h"
#include "platform/crypt/signed_message.h"

namespace velsor::crypto {

inline constexpr char16_t kAlice[] = u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
inline constexpr char kSha1[] = "1.3.14.3.2.26";

inline Bytes Decoded(const std::string& base64) { return *formats::Base64Decode(base64); }
inline std::string Encoded(ByteView der) { return *formats::Base64Encode(der); }
inline ByteView View(std::string_view text) { return AsBytes(text); }

}  // namespace velsor::crypto
