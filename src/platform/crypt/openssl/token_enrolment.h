#pragma once
// Putting a user on a token: initialising a token with its PINs, generating a key pair on
// it (the private key is made there and never leaves) and storing the certificate issued
// for that key beside it. The demo hierarchy and the tests use it with SoftHSM2.

#include <memory>
#include <string>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/openssl/openssl_ptr.h"
#include "platform/crypt/openssl/pkcs11_module.h"

namespace velsor::crypt {

// Initialises the first token that is not initialised yet (a SoftHSM2 installation always
// offers one) under `label`, with its security officer's and user's PINs.
// CRYPT_E_NOT_FOUND when the module offers no such token.
Result<Done> InitializeFreeToken(const std::string& modulePath, const std::string& label,
                                 const std::string& soPin, const std::string& userPin);

// A read-write session on the token labelled `label`, logged in as its user.
Result<Pkcs11Session> OpenUserSession(std::shared_ptr<Pkcs11Module> module,
                                      const std::string& label, const std::string& userPin);

// Generates an RSA key pair on the token under `id`; its public half, to issue for.
Result<EvpPkeyPtr> GenerateKeyOnToken(const Pkcs11Session& session, ByteView id,
                                      const std::string& label, int bits);

// Stores a certificate on the token under `id`, beside the key it was issued for.
Result<Done> StoreCertificateOnToken(const Pkcs11Session& session, ByteView certificate,
                                     ByteView id, const std::string& label);

}  // namespace velsor::crypt
