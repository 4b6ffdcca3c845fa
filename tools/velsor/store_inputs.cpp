#include "store_inputs.h"

#include <openssl/pem.h>
#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>

#include <limits>
#include <memory>

#include "platform/base/secret_bytes.h"
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

std::optional<Pkcs12Contents> Parse(PKCS12& pfx, const char* password) {
  EVP_PKEY* rawKey = nullptr;
  X509* rawCertificate = nullptr;
  STACK_OF(X509)* rawChain = nullptr;
  if (PKCS12_parse(&pfx, password, &rawKey, &rawCertificate, &rawChain) != 1) {
    ERR_clear_error();
    return std::nullopt;
  }
  return Pkcs12Contents{crypt::EvpPkeyPtr(rawKey), crypt::X509Ptr(rawCertificate),
                        crypt::X509StackPtr(rawChain)};
}

// While it lives, this thread's default library context is one of its own that holds the
// legacy provider next to the default one; it exists only to read one PKCS#12 file.
class LegacyReading {
 public:
  LegacyReading() : context_(OSSL_LIB_CTX_new()) {
    if (!context_) return;
    legacy_ = OSSL_PROVIDER_load(context_.get(), "legacy");
    standard_ = OSSL_PROVIDER_load(context_.get(), "default");
    if (legacy_ != nullptr && standard_ != nullptr) {
      previous_ = OSSL_LIB_CTX_set0_default(context_.get());
      active_ = previous_ != nullptr;
    }
  }
  ~LegacyReading() {
    if (active_) OSSL_LIB_CTX_set0_default(previous_);
    if (legacy_ != nullptr) OSSL_PROVIDER_unload(legacy_);
    if (standard_ != nullptr) OSSL_PROVIDER_unload(standard_);
    ERR_clear_error();
  }
  LegacyReading(const LegacyReading&) = delete;
  LegacyReading& operator=(const LegacyReading&) = delete;
  bool ready() const { return active_; }

 private:
  struct ContextFree {
    void operator()(OSSL_LIB_CTX* context) const { OSSL_LIB_CTX_free(context); }
  };
  std::unique_ptr<OSSL_LIB_CTX, ContextFree> context_;
  OSSL_PROVIDER* legacy_ = nullptr;
  OSSL_PROVIDER* standard_ = nullptr;
  OSSL_LIB_CTX* previous_ = nullptr;
  bool active_ = false;
};

// What was read inside a LegacyReading leaves it encoded and is decoded again outside:
// objects made there belong to its context, which ends with it.
struct EncodedContents {
  SecretBytes key;
  Bytes certificate;
  std::vector<Bytes> chain;
};

EncodedContents Encoded(const Pkcs12Contents& read) {
  EncodedContents encoded;
  if (read.key) {
    unsigned char* raw = nullptr;
    const int length = i2d_PrivateKey(read.key.get(), &raw);
    if (length > 0) encoded.key.assign(raw, raw + length);
    OPENSSL_clear_free(raw, length > 0 ? static_cast<std::size_t>(length) : 0);
  }
  if (read.certificate) encoded.certificate = crypt::EncodeCertificate(*read.certificate);
  for (int i = 0; read.chain && i < sk_X509_num(read.chain.get()); ++i) {
    encoded.chain.push_back(crypt::EncodeCertificate(*sk_X509_value(read.chain.get(), i)));
  }
  return encoded;
}

crypt::X509Ptr DecodedCertificate(const Bytes& encoded) {
  const unsigned char* at = encoded.data();
  return crypt::X509Ptr(d2i_X509(nullptr, &at, static_cast<long>(encoded.size())));
}

std::optional<Pkcs12Contents> Decoded(const EncodedContents& encoded) {
  Pkcs12Contents contents;
  if (!encoded.key.empty()) {
    const unsigned char* at = encoded.key.data();
    contents.key.reset(d2i_AutoPrivateKey(nullptr, &at, static_cast<long>(encoded.key.size())));
    if (!contents.key) return std::nullopt;
  }
  if (!encoded.certificate.empty() &&
      !(contents.certificate = DecodedCertificate(encoded.certificate))) {
    return std::nullopt;
  }
  contents.chain.reset(sk_X509_new_null());
  if (!contents.chain) return std::nullopt;
  for (const Bytes& other : encoded.chain) {
    crypt::X509Ptr certificate = DecodedCertificate(other);
    if (!certificate || !sk_X509_push(contents.chain.get(), certificate.get())) return std::nullopt;
    certificate.release();  // the stack holds it now
  }
  return contents;
}

std::optional<Pkcs12Contents> ParseWithLegacyCiphers(PKCS12& pfx, const char* password) {
  std::optional<EncodedContents> encoded;
  {
    LegacyReading legacy;
    if (!legacy.ready()) return std::nullopt;
    if (auto read = Parse(pfx, password)) encoded = Encoded(*read);
  }
  return encoded ? Decoded(*encoded) : std::nullopt;
}

void FreeOpenSsl(void* memory) { OPENSSL_free(memory); }

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
    const std::unique_ptr<char, decltype(&FreeOpenSsl)> blockName(rawName, &FreeOpenSsl);
    const std::unique_ptr<char, decltype(&FreeOpenSsl)> header(rawHeader, &FreeOpenSsl);
    const std::unique_ptr<unsigned char, decltype(&FreeOpenSsl)> data(rawData, &FreeOpenSsl);
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
  std::optional<Pkcs12Contents> contents = Parse(*pfx, text);
  if (!contents) {
    // Older exports protect their bags with ciphers that OpenSSL keeps in its legacy
    // provider (RC2-40, RC4, DES).
    contents = ParseWithLegacyCiphers(*pfx, text);
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
