// Adds COUNT certificates of strangers, issued by a throwaway authority, to "MY" of the
// current VELSOR_HOME: the store of a server that has collected thousands. Used by
// scripts/bench-pages.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/crypt/cert_builder.h"
#include "platform/crypt/cert_store.h"

int main(int argc, char** argv) {
  using namespace velsor;
  const int count = argc > 1 ? std::atoi(argv[1]) : 0;
  if (count <= 0 || count > 100000) {
    std::fprintf(stderr, "usage: fill_store COUNT (1 to 100000)\n");
    return 2;
  }
  const auto key = crypt::GenerateRsaKey(1024);
  crypt::CertificateRequest request;
  request.subject = {crypt::NameAttribute::Utf8("CN", "Filler Authority")};
  request.serial = {0x01};
  request.notBefore = std::time(nullptr) - 1000;
  request.notAfter = request.notBefore + 10000000;
  request.certificateAuthority = true;
  const auto authority = crypt::IssueCertificate(request, *key, nullptr, *key);
  request.certificateAuthority = false;
  std::vector<Bytes> fillers;
  for (int i = 0; i < count; ++i) {
    request.subject = {crypt::NameAttribute::Printable("C", "CN"),
                       crypt::NameAttribute::Utf8("CN", "Stranger " + std::to_string(i))};
    request.serial = {0x10, static_cast<std::uint8_t>(i >> 16), static_cast<std::uint8_t>(i >> 8),
                      static_cast<std::uint8_t>(i)};
    fillers.push_back(
        crypt::EncodeCertificate(**crypt::IssueCertificate(request, *key, authority->get(), *key)));
  }
  auto personal = crypt::CertStore::Open(u"MY");
  if (!personal || !personal->AddAll(fillers)) {
    std::fprintf(stderr, "fill_store: cannot add to MY\n");
    return 1;
  }
  return 0;
}
