// Opening envelopes as the user: EnvelopedData, the nested signed-and-enveloped form and
// the PKCS#7 signedAndEnvelopedData type, against a store whose user can open the seeds.

#include <cstdint>
#include <cstdlib>

#include "fuzz_home.h"
#include "platform/crypt/enveloped_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  fuzzing::PrepareFuzzHome();
  static const crypt::CertStore personal = *crypt::CertStore::Open(u"MY");
  const ByteView message(data, size);
  if (auto opened = crypt::OpenEnvelopePkcs7(message, personal)) {
    if (!opened->recipient) std::abort();
  }
  if (auto opened = crypt::OpenSignedEnvelopePkcs7(message, personal)) {
    if (!opened->recipient || !opened->signer) std::abort();
  }
  return 0;
}
