#pragma once
// PKCS#7 EnvelopedData as the platform makes and opens it: one recipient by issuer and
// serial number, RSA PKCS#1 v1.5 key transport, the content encrypted with the cipher the
// caller names by OID. A signed-and-enveloped message is nested: an envelope whose inner
// content type is signedData and whose content is an attached SignedData; opening one also
// accepts the PKCS#7 signedAndEnvelopedData type.
//
// The content is encrypted and decrypted here rather than by OpenSSL's PKCS7 routines,
// which neither write nor accept RC4 with NULL parameters as the platform does.
// Failures carry the platform's error values: CRYPT_E_NO_DECRYPT_CERT (no certificate
// of the user with a key opens the message), CRYPT_E_OSS_ERROR (undecodable), NTE_BAD_ALGID
// (a cipher or digest the provider cannot use), NTE_BAD_SIGNATURE.

#include <functional>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/pin_request.h"
#include "platform/base/result.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"

namespace velsor::crypt {

Result<Bytes> EnvelopePkcs7(const CertContext& recipient, std::string_view symmetricOid,
                            ByteView content);

Result<Bytes> SignAndEnvelopePkcs7(const CertContext& signer, std::string_view digestOid,
                                   const CertContext& recipient, std::string_view symmetricOid,
                                   ByteView content, const PinPrompt& pin = {});

struct OpenedEnvelope {
  CertContextPtr recipient;  // the user's certificate whose private key opened it
  Bytes content;
};

// Asked before the private key of `recipient` is used; false ends the opening with
// HRESULT_ERROR_CANCELLED before the key is touched. Empty: every use is approved.
using KeyUseApproval = std::function<bool(const CertContext& recipient)>;

// Opens an EnvelopedData with the private key of a certificate in `personal`; a key on a
// token asks `pin` for the token's PIN, after the approval.
Result<OpenedEnvelope> OpenEnvelopePkcs7(ByteView message, const CertStore& personal,
                                         const KeyUseApproval& approve = {},
                                         const PinPrompt& pin = {});

struct OpenedSignedEnvelope {
  CertContextPtr recipient;
  CertContextPtr signer;  // the first signer's certificate, from the message
  Bytes content;
};

// Opens a signed-and-enveloped message and checks its first signer's signature.
Result<OpenedSignedEnvelope> OpenSignedEnvelopePkcs7(ByteView message, const CertStore& personal,
                                                     const KeyUseApproval& approve = {},
                                                     const PinPrompt& pin = {});

}  // namespace velsor::crypt
