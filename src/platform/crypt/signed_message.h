#pragma once
// PKCS#7 SignedData as the platform makes and checks it: one signer, its certificate alone
// in the certificates field, no attributes, the digest OID from the caller with NULL
// parameters, rsaEncryption, content type data; a detached message leaves the content out.
// Failures carry the platform's error values: CRYPT_E_NO_KEY_PROPERTY (no private key for
// the signer), NTE_BAD_ALGID (a digest the provider cannot use), CRYPT_E_OSS_ERROR (a
// message that cannot be decoded or encoded), NTE_BAD_SIGNATURE.

#include <string_view>

#include "platform/base/pin_request.h"
#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/cert_context.h"

namespace velsor::crypt {

#ifndef CRYPT_E_UNEXPECTED_MSG_TYPE
inline constexpr HRESULT CRYPT_E_UNEXPECTED_MSG_TYPE = Hr(0x8009200A);
#endif
#ifndef CRYPT_E_SIGNER_NOT_FOUND
inline constexpr HRESULT CRYPT_E_SIGNER_NOT_FOUND = Hr(0x8009100E);
#endif
#ifndef CRYPT_E_NO_SIGNER
inline constexpr HRESULT CRYPT_E_NO_SIGNER = Hr(0x8009200E);
#endif

Result<Bytes> SignPkcs7(const CertContext& signer, std::string_view digestOid, ByteView content,
                        bool detached, const PinPrompt& pin = {});

struct VerifiedMessage {
  CertContextPtr signer;  // the first signer's certificate, from the message
  Bytes content;          // attached messages only
};

// Checks the first signer's signature. `detachedContent` is the signed content of a
// detached message; without it the content is the one inside the message, returned where
// it can be in the message's own buffer (never a second copy), else read out of the parse.
// The encoded message is released once it is parsed.
Result<VerifiedMessage> VerifyPkcs7(Bytes message, const ByteView* detachedContent);

}  // namespace velsor::crypt
