#include "pkcs12_reading.h"

#include <openssl/err.h>
#include <openssl/provider.h>

#include <memory>
#include <vector>

#include "platform/base/secret_bytes.h"
#include "platform/crypt/openssl/cert_builder.h"

namespace velsor::cli {
namespace {

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

}  // namespace

std::optional<Pkcs12Contents> ParsePkcs12(PKCS12& pfx, const char* password) {
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

std::optional<Pkcs12Contents> ParsePkcs12WithLegacyCiphers(PKCS12& pfx, const char* password) {
  std::optional<EncodedContents> encoded;
  {
    LegacyReading legacy;
    if (!legacy.ready()) return std::nullopt;
    if (auto read = ParsePkcs12(pfx, password)) encoded = Encoded(*read);
  }
  return encoded ? Decoded(*encoded) : std::nullopt;
}


}  // namespace velsor::cli
