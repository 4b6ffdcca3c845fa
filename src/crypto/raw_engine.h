#pragma once
// Below the PKCS#7 level: a bare PKCS#1 v1.5 signature over a byte string, most
// significant byte first and Base64-encoded; its verification against another party's
// certificate; and the Base64 digest of a byte string.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "certs/cert_selection.h"
#include "crypto/sign_engine.h"
#include "crypto/verify_engine.h"
#include "platform/base/bytes.h"
#include "platform/base/result.h"

namespace velsor::crypto {

struct RawSettings {
  std::string_view digestOid;
  bool signatureKeyOnly = false;  // signing only
  certs::ChooserSetting chooser;
};

// The signer comes from "MY"; it signs with the key its certificate is linked to.
SignResult RawSign(std::optional<ByteView> content, bool serverMode, std::u16string_view signerDn,
                   std::u16string_view dnSeparator, const RawSettings& settings);

// The signer's certificate is looked for in "CA", "ROOT" and "AddressBOOK" and judged
// with all chain tests before the signature is checked. Only `status`, `signerInfo`
// and `lastError` of the result are used.
VerifyResult RawVerify(std::optional<std::string_view> signatureBase64, bool serverMode,
                       std::optional<ByteView> content, std::u16string_view signerDn,
                       std::u16string_view dnSeparator, const RawSettings& settings);

// The Base64 text of the digest (a line feed after every 64 characters and at the end).
// Failures carry the status codes a page reads: kMissingInput without content,
// kDecryptionFailed for a digest that cannot be made, kBase64EncodeFailed.
Result<std::string> HashAndEncode(std::optional<ByteView> content, std::string_view digestOid);

}  // namespace velsor::crypto
