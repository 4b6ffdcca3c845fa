#pragma once
// A private user home for the targets that need the user's stores, made once per fuzzing
// process: the fixed root of fuzz/fixtures in ROOT, the fixed user with its key in MY and
// in AddressBOOK. The seeds in fuzz/corpus are made with the same keys, so that they get
// past the signature and decryption checks.

#include <openssl/pem.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/key_containers_openssl.h"

namespace velsor::fuzzing {

// A PEM object of fuzz/fixtures, read by `read` (PEM_read_X509, PEM_read_PrivateKey).
template <class Owner, class Read>
Owner FromFixture(const char* name, Read&& read) {
  std::FILE* file = std::fopen((std::string(VELSOR_FUZZ_FIXTURES) + "/" + name).c_str(), "r");
  if (file == nullptr) std::abort();
  Owner object(read(file, nullptr, nullptr, nullptr));
  std::fclose(file);
  if (!object) std::abort();
  return object;
}

inline void PrepareFuzzHome() {
  static const bool prepared = [] {
    char folder[] = "/tmp/velsor-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    setenv("VELSOR_HOME", (std::string(folder) + "/home").c_str(), 1);
    const Bytes root =
        crypt::EncodeCertificate(*FromFixture<crypt::X509Ptr>("root.pem", PEM_read_X509));
    const Bytes user =
        crypt::EncodeCertificate(*FromFixture<crypt::X509Ptr>("user.pem", PEM_read_X509));
    if (!crypt::CertStore::Open(u"ROOT")->Add(root) ||
        !crypt::CertStore::Open(u"AddressBOOK")->Add(user) ||
        !crypt::ImportCertificateWithKey(
            user, *FromFixture<crypt::EvpPkeyPtr>("user.key", PEM_read_PrivateKey),
            crypt::AT_KEYEXCHANGE, crypt::kEnhancedProvider)) {
      std::abort();
    }
    return true;
  }();
  (void)prepared;
}

}  // namespace velsor::fuzzing
