#pragma once
// The key provider information property that links a certificate to its private key:
// which container of which provider holds it, and as which of the container's two keys.

#include <optional>
#include <string>

#include "platform/base/bytes.h"
#include "platform/base/win_types.h"

namespace velsor::crypt {

// The system's headers define these as macros of the same values.
#ifndef CERT_KEY_PROV_INFO_PROP_ID
inline constexpr DWORD CERT_KEY_PROV_INFO_PROP_ID = 2;
#endif
#ifndef AT_KEYEXCHANGE
inline constexpr DWORD AT_KEYEXCHANGE = 1;
#endif
#ifndef AT_SIGNATURE
inline constexpr DWORD AT_SIGNATURE = 2;
#endif
#ifndef PROV_RSA_FULL
inline constexpr DWORD PROV_RSA_FULL = 1;
#endif

struct KeyProvInfo {
  std::u16string containerName;
  std::u16string providerName;
  DWORD provType = PROV_RSA_FULL;
  DWORD flags = 0;
  DWORD keySpec = AT_KEYEXCHANGE;

  friend bool operator==(const KeyProvInfo&, const KeyProvInfo&) = default;
};

// The property's stored form: three 32-bit values, then the two names, each with its
// length, little-endian throughout.
Bytes EncodeKeyProvInfo(const KeyProvInfo& info);
std::optional<KeyProvInfo> DecodeKeyProvInfo(ByteView stored);

}  // namespace velsor::crypt
