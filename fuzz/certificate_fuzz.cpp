// The decoders of received certificates and messages: a certificate with its name, serial
// and time texts, a key provider information property, and a signed message.

#include <cstdint>
#include <cstdlib>

#include "certs/cert_text.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/key_prov_info.h"
#include "platform/crypt/name_text.h"
#include "platform/crypt/signed_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  const ByteView input(data, size);
  if (auto certificate = crypt::CertContext::FromEncoded(input)) {
    crypt::SubjectText(**certificate, crypt::NameSeparator::CrLf);
    crypt::IssuerSimpleText(**certificate);
    crypt::IssuerDisplayName(**certificate);
    certs::CertInfo info;
    certs::ExtractCertInfo(certificate->get(), info);
    // The encoded issuer and subject lie inside the certificate.
    const ByteView issuer = (*certificate)->encodedIssuer();
    if (issuer.data() < (*certificate)->encoded().data() ||
        issuer.data() + issuer.size() > (*certificate)->encoded().data() + size) {
      std::abort();
    }
  }
  if (auto link = crypt::DecodeKeyProvInfo(input)) {
    if (crypt::EncodeKeyProvInfo(*link) != Bytes(input.begin(), input.end())) std::abort();
  }
  crypt::VerifyPkcs7(Bytes(input.begin(), input.end()), nullptr);
  return 0;
}
