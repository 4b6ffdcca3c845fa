#include "crypto/verify_engine.h"

#include "certs/cert_text.h"
#include "crypto/cert_chain_check.h"
#include "crypto/platform_errors.h"
#include "crypto/transport.h"
#include "platform/crypt/signed_message.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypto {
namespace {

using namespace status;

VerifyResult VerifyUnpacked(UnpackedMessage received, VerifyMode mode,
                            std::optional<ByteView> content, std::int32_t checks) {
  if (received.status != 0) return {received.status};
  if (mode == VerifyMode::Detached) {
    if (!content) return {kNoDetachedContent};
    if (content->empty()) return {kMissingInput};
  }
  auto verified = crypt::VerifyPkcs7(std::move(received.message),
                                     mode == VerifyMode::Detached ? &*content : nullptr);
  if (!verified) {
    return FailedWith<VerifyResult>(MapMessageError(verified.code(), kVerificationFailed),
                                    verified.code());
  }
  if (!verified->signer) return {kNoSignerCertificate};
  const crypt::UserDataSnapshot snapshot;
  if (std::int32_t status = CheckCertChain(*verified->signer, checks); status != 0) return {status};
  VerifyResult result{0, std::move(verified->content)};
  certs::ExtractCertInfo(verified->signer.get(), result.signerInfo);
  return result;
}

VerifyResult Verify(std::optional<std::string_view> message, VerifyMode mode,
                    std::optional<ByteView> content, std::int32_t checks,
                    std::string* owned = nullptr) {
  if (!message) return {kMissingInput};
  return VerifyUnpacked(UnpackMessage(*message, owned), mode, content, checks);
}

std::int32_t ChecksOf(VerifyChecks checks) {
  return checks == VerifyChecks::All ? kCheckAll : kCheckSignature | kCheckChain;
}

}  // namespace

VerifyResult VerifySignedMessage(std::optional<std::string_view> message, VerifyMode mode,
                                 std::optional<ByteView> content) {
  return Verify(message, mode, content, ChecksOf(VerifyChecks::All));
}

VerifyResult VerifyAndReleaseMessage(std::string&& message, VerifyMode mode,
                                     std::optional<ByteView> content) {
  const std::string_view text = message;
  return Verify(text, mode, content, ChecksOf(VerifyChecks::All), &message);
}

VerifyResult VerifyAfterwards(std::optional<std::string_view> message) {
  return Verify(message, VerifyMode::Attached, std::nullopt, ChecksOf(VerifyChecks::Afterwards));
}

std::optional<VerifyResult> VerifyWideAttached(std::u16string_view message, VerifyChecks checks) {
  auto received = UnpackWideMessage(message);
  if (!received) return std::nullopt;
  return VerifyUnpacked(std::move(*received), VerifyMode::Attached, std::nullopt, ChecksOf(checks));
}

}  // namespace velsor::crypto
