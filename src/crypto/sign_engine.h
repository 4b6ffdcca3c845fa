#pragma once
// Signing a byte string as Base64 PKCS#7 SignedData with a certificate of the current user,
// chosen by subject DN, by serial number and issuer, or in the chooser.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "certs/cert_info.h"
#include "certs/cert_selection.h"
#include "crypto/transport.h"
#include "platform/base/bytes.h"
#include "platform/base/win_types.h"

namespace velsor::crypto {

struct SignSettings {
  bool detached = false;
  std::int32_t compressThreshold = kDefaultCompressThreshold;  // attached messages only
  std::string_view digestOid;
  bool signatureKeyOnly = false;
  certs::ChooserSetting chooser;
};

struct SignResult {
  std::int32_t status = 0;
  std::string base64{};  // line feed after every 64 characters and at the end
  certs::CertInfo signerInfo{};
  std::optional<LONG> lastError{};  // set when the signing call itself failed
};

// Without a DN the user chooses. In server mode a DN is matched without any dialog.
SignResult SignMessage(std::optional<ByteView> content, bool serverMode,
                       std::u16string_view signerDn, std::u16string_view dnSeparator,
                       const SignSettings& settings);

// Without serial numbers the user chooses.
SignResult SignMessageBySerial(std::optional<ByteView> content, std::u16string_view serialNumbers,
                               std::u16string_view issuerDn, const SignSettings& settings);

}  // namespace velsor::crypto
