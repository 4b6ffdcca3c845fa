#include "store_inputs.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include <limits>
#include <memory>

#include "pkcs12_reading.h"
#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/cert_context.h"

namespace velsor::cli {
namespace {

crypt::BioPtr MemoryBio(ByteView file) {
  static const std::uint8_t kNothing = 0;
  if (file.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return nullptr;
  return crypt::BioPtr(
      BIO_new_mem_buf(file.empty() ? &kNothing : file.data(), static_cast<int>(file.size())));
}

}  // namespace

CertificatesRead CertificatesIn(ByteView file, std::string_view name) {
  CertificatesRead read;
  // Every certificate, PEM or DER, is judged by the same decoding that adding it uses, so
  // both encodings of one certificate are refused alike.
  const auto take = [&](ByteView encoded, const std::string& which) {
    auto decoded = crypt::CertContext::FromEncoded(encoded);
    if (!decoded) {
      read.problem = which + " is malformed (" + decoded.error().detail + ")";
      return false;
    }
    read.certificates.emplace_back(encoded.begin(), encoded.end());
    return true;
  };
  crypt::BioPtr bio = MemoryBio(file);
  if (!bio) {
    read.problem = std::string(name) + " is too big";
    return read;
  }
  int blocks = 0;
  for (;;) {
    char* rawName = nullptr;
    char* rawHeader = nullptr;
    unsigned char* rawData = nullptr;
    long length = 0;
    if (PEM_read_bio(bio.get(), &rawName, &rawHeader, &rawData, &length) != 1) break;
    const crypt::OpenSslMemoryPtr<char> blockName(rawName);
    const crypt::OpenSslMemoryPtr<char> header(rawHeader);
    const crypt::OpenSslMemoryPtr<unsigned char> data(rawData);
    const std::string_view kind(rawName);
    if (kind != "CERTIFICATE" && kind != "X509 CERTIFICATE") continue;
    ++blocks;
    const std::string which =
        "certificate " + std::to_string(blocks) + " of " + std::string(name);
    if (!take(ByteView(rawData, static_cast<std::size_t>(length)), which)) return read;
  }
  ERR_clear_error();  // the end of the blocks is reported as an error
  if (blocks == 0 && !file.empty() && static_cast<std::uint8_t>(file.front()) == 0x30) {
    take(file, "the certificate in " + std::string(name));
  }
  return read;
}

Bytes CrlIn(ByteView file) {
  crypt::BioPtr bio = MemoryBio(file);
  if (bio) {
    if (crypt::X509CrlPtr crl{PEM_read_bio_X509_CRL(bio.get(), nullptr, nullptr, nullptr)}) {
      return crypt::EncodeCrl(*crl);
    }
  }
  return Bytes(file.begin(), file.end());
}

Pkcs12Read Pkcs12In(ByteView file, const std::optional<std::string>& password) {
  crypt::BioPtr bio = MemoryBio(file);
  crypt::Pkcs12Ptr pfx(bio ? d2i_PKCS12_bio(bio.get(), nullptr) : nullptr);
  if (!pfx) return {std::nullopt, Pkcs12Failure::NotPkcs12};
  // An empty password is tried as empty and as absent, as OpenSSL's own tools do: files
  // made without one use either.
  const bool given = password && !password->empty();
  const bool macPresent = PKCS12_mac_present(pfx.get()) == 1;
  if (macPresent) {
    const bool verified = given ? PKCS12_verify_mac(pfx.get(), password->c_str(), -1) == 1
                                : PKCS12_verify_mac(pfx.get(), nullptr, 0) == 1 ||
                                      PKCS12_verify_mac(pfx.get(), "", 0) == 1;
    if (!verified) return {std::nullopt, Pkcs12Failure::WrongPassword};
  }
  const char* text = given ? password->c_str() : "";
  std::optional<Pkcs12Contents> contents = ParsePkcs12(*pfx, text);
  if (!contents) {
    // Older exports protect their bags with ciphers that OpenSSL keeps in its legacy
    // provider (RC2-40, RC4, DES).
    contents = ParsePkcs12WithLegacyCiphers(*pfx, text);
  }
  if (!contents) {
    // With the MAC verified the password was right: what is left is the protection.
    return {std::nullopt,
            macPresent ? Pkcs12Failure::LegacyProtection : Pkcs12Failure::Unreadable};
  }
  if (!contents->key || !contents->certificate) {
    return {std::nullopt, Pkcs12Failure::NoKeyOrCertificate};
  }
  return {std::move(contents), Pkcs12Failure::NotPkcs12};
}

}  // namespace velsor::cli
