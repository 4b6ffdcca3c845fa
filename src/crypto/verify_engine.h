#pragma once
// Checking Base64 PKCS#7 SignedData and its signer's certificate.

#include <cstdint>
#include <optional>
#include <string_view>

#include "certs/cert_info.h"
#include "platform/base/bytes.h"
#include "platform/base/win_types.h"

namespace velsor::crypto {

enum class VerifyMode { Detached = 0, Attached = 1 };

struct VerifyResult {
  std::int32_t status = 0;
  Bytes content{};  // attached messages
  certs::CertInfo signerInfo{};
  std::optional<LONG> lastError{};  // set when the verification call itself failed
};

// Attached: the content comes from inside the message. Detached: `content` is the signed
// content (absent: -10006; empty: -10001). The signer's certificate undergoes all chain
// tests.
VerifyResult VerifySignedMessage(std::optional<std::string_view> message, VerifyMode mode,
                                 std::optional<ByteView> content = std::nullopt);

// The same with the text handed over: it is released as soon as it is decoded, so that a
// big message is not held twice over.
VerifyResult VerifyAndReleaseMessage(std::string&& message, VerifyMode mode,
                                     std::optional<ByteView> content = std::nullopt);

// An attached message checked later: the signer's validity period and revocation are not
// tested, only the issuer's signature and the chain.
VerifyResult VerifyAfterwards(std::optional<std::string_view> message);

enum class VerifyChecks { All, Afterwards };

// An attached message as the page's UTF-16 text, read where it lies (UnpackWideMessage)
// so that a big message is held once. Nothing when the text is not plain ASCII Base64 of
// a plain shape: the caller then converts it and calls the functions above.
std::optional<VerifyResult> VerifyWideAttached(std::u16string_view message, VerifyChecks checks);

}  // namespace velsor::crypto
