#include "store_inputs.h"

#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include <limits>

#include "platform/crypt/cert_builder.h"
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

std::vector<Bytes> CertificatesIn(ByteView file) {
  std::vector<Bytes> found;
  crypt::BioPtr bio = MemoryBio(file);
  if (!bio) return found;
  while (crypt::X509Ptr certificate{PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)}) {
    found.push_back(crypt::EncodeCertificate(*certificate));
  }
  if (found.empty() && crypt::CertContext::FromEncoded(file))
    found.emplace_back(file.begin(), file.end());
  return found;
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
  const char* text = password ? password->c_str() : "";
  if (PKCS12_verify_mac(pfx.get(), text, -1) != 1 &&
      (password || PKCS12_verify_mac(pfx.get(), nullptr, 0) != 1)) {
    return {std::nullopt, Pkcs12Failure::WrongPassword};
  }
  EVP_PKEY* rawKey = nullptr;
  X509* rawCertificate = nullptr;
  STACK_OF(X509)* rawChain = nullptr;
  if (PKCS12_parse(pfx.get(), text, &rawKey, &rawCertificate, &rawChain) != 1) {
    return {std::nullopt, Pkcs12Failure::Unreadable};
  }
  Pkcs12Contents contents{crypt::EvpPkeyPtr(rawKey), crypt::X509Ptr(rawCertificate),
                          crypt::X509StackPtr(rawChain)};
  if (!contents.key || !contents.certificate) {
    return {std::nullopt, Pkcs12Failure::NoKeyOrCertificate};
  }
  return {std::move(contents), Pkcs12Failure::NotPkcs12};
}

}  // namespace velsor::cli
