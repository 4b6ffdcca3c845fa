// Puts the test PKI into the current VELSOR_HOME for the page-script tests: its users in
// MY with their keys, and the two main users in AddressBOOK as well, so that pages can
// envelope for them and check their raw signatures.
//
//   install_test_pki [ALICE.b64]    also writes the first user's certificate there as Base64,
//                                   for pages that hand a certificate over
//   install_test_pki --export DIR   writes the same PKI as files instead, with the list
//                                   `imports` of what goes into which store, for the Windows
//                                   page tests to import into Wine's stores

#include <openssl/x509.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fixtures/test_pki.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"

namespace {

using velsor::testing::Issued;
namespace fs = std::filesystem;

void Write(const fs::path& file, const velsor::Bytes& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The certificate, and its RSA key as PKCS#1 DER when one is asked for; its `imports` line.
std::string Export(const fs::path& dir, const std::string& name, const Issued& issued,
                   const char* store, const char* keySpec) {
  Write(dir / (name + ".der"), issued.encoded);
  std::string line = std::string(store) + " " + name + ".der";
  if (keySpec != nullptr && issued.key) {
    unsigned char* der = nullptr;
    const int length = i2d_PrivateKey(issued.key.get(), &der);
    if (length > 0) Write(dir / (name + ".key"), velsor::Bytes(der, der + length));
    OPENSSL_free(der);
    line += " " + name + ".key " + keySpec;
  }
  return line + "\n";
}

// The same stores as TestPki::Install and main below fill.
int ExportAll(const fs::path& dir) {
  const auto& pki = velsor::testing::SharedTestPki();
  fs::create_directories(dir);
  std::string imports = Export(dir, "root", pki.root, "ROOT", nullptr) +
                        Export(dir, "ca", pki.intermediate, "CA", nullptr);
  Write(dir / "ca.crl", pki.crl);
  imports += "CA --crl ca.crl\n";
  imports += Export(dir, "alice", pki.alice, "MY", "exchange");
  imports += Export(dir, "bob", pki.bob, "MY", "signature");
  const std::pair<const char*, const Issued*> others[] = {
      {"expired", &pki.expired},       {"revoked", &pki.revoked},
      {"reversed", &pki.reversed},     {"nocn", &pki.noCommonName},
      {"highserial", &pki.highSerial}, {"longserial", &pki.longSerial}};
  for (const auto& [name, user] : others) imports += Export(dir, name, *user, "MY", "exchange");
  imports += Export(dir, "partner", pki.partner, "AddressBook", nullptr);
  imports += "AddressBook alice.der\nAddressBook bob.der\n";
  std::ofstream(dir / "imports") << imports;
  std::ofstream(dir / "alice.b64") << *velsor::formats::Base64Encode(pki.alice.encoded);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--export") return ExportAll(argv[2]);
  const auto& pki = velsor::testing::SharedTestPki();
  pki.Install();
  auto book = velsor::crypt::CertStore::Open(u"AddressBOOK");
  if (!book || !book->Add(pki.alice.encoded) || !book->Add(pki.bob.encoded)) {
    std::fprintf(stderr, "install_test_pki: cannot fill AddressBOOK\n");
    return 1;
  }
  if (argc > 1) std::ofstream(argv[1]) << *velsor::formats::Base64Encode(pki.alice.encoded);
  return 0;
}
