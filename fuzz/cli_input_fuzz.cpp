// The files a user hands `velsor store`: certificates in PEM or DER, a revocation list,
// a PKCS#12 file with no password and with one.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/crypt/cert_context.h"
#include "store_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  const ByteView file(data, size);
  const cli::CertificatesRead certificates = cli::CertificatesIn(file, "input");
  for (const Bytes& encoded : certificates.certificates) {
    if (!crypt::CertContext::FromEncoded(encoded)) std::abort();  // taken, yet not readable
  }
  cli::CrlIn(file);
  for (const auto& password : {std::optional<std::string>(), std::optional<std::string>("pw")}) {
    const cli::Pkcs12Read read = cli::Pkcs12In(file, password);
    if (read.contents && (!read.contents->key || !read.contents->certificate)) std::abort();
  }
  return 0;
}
