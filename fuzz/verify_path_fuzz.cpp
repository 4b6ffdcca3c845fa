// A page's signed message on its whole way in: Base64, the compressed member, PKCS#7, the
// signature and the signer's chain against the user's stores; attached and detached, and
// the later check. The page's UTF-16 text read where it lies must answer exactly as its
// narrow form does, and an attached message split around its content must parse as the
// whole does, with the content where the split says it lies.

#include <openssl/pkcs7.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crypto/verify_engine.h"
#include "fuzz_home.h"
#include "platform/crypt/openssl/attached_content.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace {

using namespace velsor;

crypt::Pkcs7Ptr Parse(ByteView der) {
  const unsigned char* cursor = der.data();
  return crypt::Pkcs7Ptr(d2i_PKCS7(nullptr, &cursor, static_cast<long>(der.size())));
}

void CheckSplit(ByteView message) {
  const auto split = crypt::SplitAttachedContent(message);
  if (!split) return;
  // Everything but the content is the same bytes, so the parser takes both or neither.
  const auto whole = Parse(message);
  const auto detached = Parse(split->detached);
  if (!whole != !detached) std::abort();
  if (!whole) return;
  if (!PKCS7_type_is_signed(whole.get())) std::abort();
  const ASN1_OCTET_STRING* data = whole->d.sign->contents->d.data;
  const ByteView content = message.subspan(split->contentOffset, split->contentSize);
  if (data == nullptr || !std::ranges::equal(ByteView(data->data, static_cast<std::size_t>(
                                                                      data->length)),
                                             content) ||
      !PKCS7_get_detached(detached.get())) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::PrepareFuzzHome();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const crypto::VerifyResult attached =
      crypto::VerifySignedMessage(text, crypto::VerifyMode::Attached);
  if (attached.status == 0 && !attached.signerInfo.items[0]) std::abort();
  crypto::VerifySignedMessage(text, crypto::VerifyMode::Detached, AsBytes(std::string_view("x")));
  crypto::VerifyAfterwards(text);

  std::u16string wide;
  for (unsigned char c : text) wide.push_back(c);
  if (const auto read = crypto::VerifyWideAttached(wide, crypto::VerifyChecks::All)) {
    if (read->status != attached.status || read->content != attached.content) std::abort();
  }
  CheckSplit(ByteView(data, size));
  return 0;
}
