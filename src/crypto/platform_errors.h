#pragma once
// How the engines turn a platform error of a message call into their status, in one fixed
// order: no key property (or, when decrypting, no certificate to decrypt with), then an
// undecodable message, a bad signature, an unusable algorithm, a token's PIN dialog
// cancelled or left unanswered, and otherwise the operation's own code.

#include <cstdint>
#include <optional>

#include "platform/base/hresult.h"
#include "platform/base/status_codes.h"

namespace velsor::crypto {

using status::kBadSignature;
using status::kMessageUndecodable;
using status::kNoPrivateKey;
using status::kSmartCardCancelled;
using status::kSmartCardTimedOut;
using status::kUnusableAlgorithm;

constexpr std::int32_t MapMessageError(HRESULT error, std::int32_t otherwise,
                                       bool decrypting = false) {
  if (error == (decrypting ? CRYPT_E_NO_DECRYPT_CERT : CRYPT_E_NO_KEY_PROPERTY))
    return kNoPrivateKey;
  if (error == CRYPT_E_OSS_ERROR) return kMessageUndecodable;
  if (error == NTE_BAD_SIGNATURE) return kBadSignature;
  if (error == NTE_BAD_ALGID) return kUnusableAlgorithm;
  if (error == SCARD_W_CANCELLED_BY_USER) return kSmartCardCancelled;
  if (error == SCARD_F_WAITED_TOO_LONG) return kSmartCardTimedOut;
  return otherwise;
}

// An engine result that failed with `status`, keeping the platform's error for errorCode.
template <class Result>
Result FailedWith(std::int32_t status, std::optional<LONG> lastError) {
  Result failed{status};
  failed.lastError = lastError;
  return failed;
}

}  // namespace velsor::crypto
