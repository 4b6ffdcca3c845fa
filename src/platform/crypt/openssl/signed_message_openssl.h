#pragma once
// The POSIX service's PKCS#7 pieces that the envelopes share with the signed messages.

#include "platform/crypt/key_handle.h"
#include "platform/crypt/openssl/openssl_ptr.h"
#include "platform/crypt/signed_message.h"

namespace velsor::crypt {

// The private key linked to a certificate; CRYPT_E_NO_KEY_PROPERTY without one. A key on
// a token asks `pin` for its PIN and reports the token's own failures (OpenTokenKey).
Result<KeyHandle> PrivateKeyOf(const CertContext& certificate, const PinPrompt& pin = {});

// DER; CRYPT_E_OSS_ERROR when the message cannot be encoded.
Result<Bytes> EncodePkcs7(PKCS7& message);

// The two halves of VerifyPkcs7, for messages that arrive inside other messages.
Result<Pkcs7Ptr> DecodePkcs7(ByteView message);
Result<VerifiedMessage> VerifyDecodedPkcs7(PKCS7& message, const ByteView* detachedContent);

}  // namespace velsor::crypt
