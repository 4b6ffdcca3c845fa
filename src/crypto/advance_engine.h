#pragma once
// Hand-assembled PKCS#7 SignedData: the content hashed and signed with the certificate's
// own key, the message written with the DER codec; and on the way back parsed with the
// BER codec and checked with the public key of the first certificate it carries.
// Messages of either form are compressed at the threshold.

#include <optional>
#include <string_view>

#include "crypto/sign_engine.h"
#include "crypto/verify_engine.h"
#include "platform/base/bytes.h"

namespace velsor::crypto {

// Without a DN the user chooses; in server mode a DN is matched without any dialog.
SignResult AdvanceSign(std::optional<ByteView> content, bool serverMode,
                       std::u16string_view signerDn, std::u16string_view dnSeparator,
                       const SignSettings& settings);

// Attached: the content comes out of the message. Detached: `content` is the signed
// content, and a message that carries content fails with -10010. The digest algorithm is
// the one the message names; the signer's certificate undergoes all chain tests.
VerifyResult AdvanceVerify(std::optional<std::string_view> message, VerifyMode mode,
                           std::optional<ByteView> content = std::nullopt);

}  // namespace velsor::crypto
