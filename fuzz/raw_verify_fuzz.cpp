// Raw signature checks as a page asks for them: the input is a 2-byte big-endian length,
// that many bytes of Base64 signature text, and the content; the signer is the store's
// user, found by DN in server mode.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "crypto/raw_engine.h"
#include "fuzz_home.h"
#include "platform/ui/dialog_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  fuzzing::PrepareFuzzHome();
  if (size < 2) return 0;
  const std::size_t length = std::min<std::size_t>((data[0] << 8) | data[1], size - 2);
  const std::string_view signature(reinterpret_cast<const char*>(data + 2), length);
  const ByteView content(data + 2 + length, size - 2 - length);
  static const auto host = ui::MakeNoDialogHost();
  static const certs::ChooserTexts texts{};
  for (const char* digest : {"1.3.14.3.2.26", "2.16.840.1.101.3.4.2.1"}) {
    const crypto::RawSettings settings{digest, false, {texts, *host}};
    crypto::RawVerify(signature, true, content, u"CN=Fuzz User", u"|", settings);
  }
  return 0;
}
