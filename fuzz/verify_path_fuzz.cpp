// A page's signed message on its whole way in: Base64, the compressed member, PKCS#7, the
// signature and the signer's chain against the user's stores; attached and detached, and
// the later check.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "crypto/verify_engine.h"
#include "fuzz_home.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  fuzzing::PrepareFuzzHome();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const crypto::VerifyResult attached =
      crypto::VerifySignedMessage(text, crypto::VerifyMode::Attached);
  if (attached.status == 0 && !attached.signerInfo.items[0]) std::abort();
  crypto::VerifySignedMessage(text, crypto::VerifyMode::Detached, AsBytes(std::string_view("x")));
  crypto::VerifyAfterwards(text);
  return 0;
}
