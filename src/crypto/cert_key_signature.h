#pragma once
// Signing a digest with the private key a certificate is linked to, and checking such a
// signature with a certificate's public key: PKCS#1 v1.5 with the DigestInfo of the
// digest. Signatures here are most significant byte first; the platform's raw services
// take and give them the other way round, and the reversal happens in this file.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/status_codes.h"
#include "platform/base/win_types.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/key_containers.h"

namespace velsor::crypto {

using status::kNoKeyProvInfo;

struct KeyOperation {
  std::int32_t status = 0;
  Bytes signature{};
  std::optional<LONG> lastError{};
};

// The container the certificate's key provider information names, opened as it is
// (provider type PROV_RSA_FULL, no flags). -10053 without that information, -10027 when
// it cannot be read, -10019 (with lastError) when the container cannot be opened.
struct LinkedKey {
  std::int32_t status = 0;
  std::optional<crypt::CryptProvider> provider{};
  DWORD keySpec = 0;
  std::optional<LONG> lastError{};
};
LinkedKey OpenLinkedKey(const crypt::CertContext& certificate);

// Hashes the content (-10029 no hash object, -10030 hashing) and signs the hash with
// `key` (-10031; a key that could not be had fails here). With `smartCardCodes`, and
// always for a token's failure, a cancelled or timed-out card gives -10051 or -10052.
KeyOperation HashAndSign(std::string_view digestOid, ByteView content,
                         const Result<crypt::KeyHandle>& key, bool smartCardCodes = false);

// Imports the certificate's public key (-10028), hashes the content (-10029, -10030) and
// checks the signature (-10032).
KeyOperation HashAndVerify(std::string_view digestOid, ByteView content,
                           const crypt::CertContext& signer, ByteView signature);

// With the certificate's own linked key, as the hand-assembled messages sign; `pin`
// answers a token's login.
KeyOperation SignWithCertKey(const crypt::CertContext& certificate, std::string_view digestOid,
                             ByteView content, const PinPrompt& pin = {});

// On a context of the default container of the Enhanced provider (-10019 without one).
KeyOperation VerifyWithCertKey(ByteView content, const crypt::CertContext& certificate,
                               std::string_view digestOid, ByteView signature);

}  // namespace velsor::crypto
