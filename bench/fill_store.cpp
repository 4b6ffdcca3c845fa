// Adds COUNT certificates of strangers, issued by a throwaway authority, to "MY" of the
// current VELSOR_HOME: the store of a server that has collected thousands. Used by
// scripts/bench-pages.

#include <cstdio>
#include <cstdlib>

#include "filler_certificates.h"
#include "platform/crypt/cert_store.h"

int main(int argc, char** argv) {
  using namespace velsor;
  const int count = argc > 1 ? std::atoi(argv[1]) : 0;
  if (count <= 0 || count > 100000) {
    std::fprintf(stderr, "usage: fill_store COUNT (1 to 100000)\n");
    return 2;
  }
  const auto key = crypt::GenerateRsaKey(2048);
  auto request = bench::ScaleRequest("Filler Authority", {0x01});
  request.certificateAuthority = true;
  const auto authority = crypt::IssueCertificate(request, *key, nullptr, *key);
  const auto fillers =
      bench::FillerCertificates(static_cast<std::size_t>(count), **authority, *key);
  auto personal = crypt::CertStore::Open(u"MY");
  if (!personal || !personal->AddAll(fillers)) {
    std::fprintf(stderr, "fill_store: cannot add to MY\n");
    return 1;
  }
  return 0;
}
