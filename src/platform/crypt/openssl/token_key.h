#pragma once
// Private keys that live on a token. A certificate on a token is linked to its key by key
// provider information naming the token provider and, as the container, a PKCS#11 URI of
// the key with its module's path. The key is used through the token (C_Sign and C_Decrypt
// with CKM_RSA_PKCS) behind an ordinary EVP_PKEY, so every signing and decrypting path
// serves software and token keys alike; it never leaves the token.

#include <p11-kit/pkcs11.h>

#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/openssl/openssl_ptr.h"
#include "platform/base/pin_request.h"

namespace velsor::crypt {

inline constexpr std::u16string_view kTokenProvider = u"Velsor Token Provider";

// The container name that links a certificate to the key `id` on `token`.
std::u16string TokenKeyContainer(const std::string& modulePath, const CK_TOKEN_INFO& token,
                                 ByteView id);

// The key a container name links to, logged in with a PIN from `pin` when the token asks
// for one. SCARD_E_NO_SMARTCARD when the token is not present, SCARD_W_CANCELLED_BY_USER
// and SCARD_F_WAITED_TOO_LONG when the PIN dialog was cancelled or left unanswered,
// SCARD_W_WRONG_CHV after three wrong PINs, SCARD_W_CHV_BLOCKED for a locked token, NTE_NO_KEY
// when the token holds no such key, NTE_BAD_KEYSET for a container name that names none.
Result<EvpPkeyPtr> OpenTokenKey(std::u16string_view container, const PinPrompt& pin);

}  // namespace velsor::crypt
