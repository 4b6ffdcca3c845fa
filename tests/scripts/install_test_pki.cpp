// Puts the test PKI into the current VELSOR_HOME for the page-script tests: its users in
// MY with their keys, and the two main users in AddressBOOK as well, so that pages can
// envelope for them and check their raw signatures.

#include <cstdio>
#include <fstream>

#include "fixtures/test_pki.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"

// With an argument, also writes the first user's certificate there as Base64, for pages
// that hand a certificate over.
int main(int argc, char** argv) {
  const auto& pki = velsor::testing::SharedTestPki();
  pki.Install();
  auto book = velsor::crypt::CertStore::Open(u"AddressBOOK");
  if (!book || !book->Add(pki.alice.encoded) || !book->Add(pki.bob.encoded)) {
    std::fprintf(stderr, "install_test_pki: cannot fill AddressBOOK\n");
    return 1;
  }
  if (argc > 1) std::ofstream(argv[1]) << velsor::formats::Base64EncodeText(pki.alice.encoded);
  return 0;
}
