#pragma once
// What `velsor store` reads from the files a user hands it: certificates in PEM (one or
// more) or DER, a revocation list in PEM or DER, and a PKCS#12 file with its password.
// Every function takes the file's bytes as they are and never trusts them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::cli {

struct CertificatesRead {
  std::vector<Bytes> certificates;  // DER, in the file's order
  std::string problem;              // which certificate is malformed and why; "" when none is
};

// The certificates in a PEM file (its CERTIFICATE blocks) or a DER one, each checked as
// adding it would check it; `name` names the file in the problem.
CertificatesRead CertificatesIn(ByteView file, std::string_view name);

// The DER encoding of a revocation list given as PEM, or the file as it is (a DER list is
// checked when it is added).
Bytes CrlIn(ByteView file);

struct Pkcs12Contents {
  crypt::EvpPkeyPtr key;
  crypt::X509Ptr certificate;
  crypt::X509StackPtr chain;
};

// LegacyProtection: the password was right (the MAC verified) but the bags are protected in
// a way that cannot be read even with OpenSSL's legacy ciphers.
enum class Pkcs12Failure {
  NotPkcs12,
  WrongPassword,
  Unreadable,
  LegacyProtection,
  NoKeyOrCertificate
};

struct Pkcs12Read {
  std::optional<Pkcs12Contents> contents;
  Pkcs12Failure failure = Pkcs12Failure::NotPkcs12;
};

// Without a password, or with an empty one, the empty one and none at all are both tried.
// Files protected with legacy ciphers (RC2-40, RC4, DES) are read through OpenSSL's legacy
// provider, loaded for that reading only.
Pkcs12Read Pkcs12In(ByteView file, const std::optional<std::string>& password);

}  // namespace velsor::cli
