#include "platform/crypt/signed_message.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/signed_message_openssl.h"

#include <openssl/err.h>
#include <openssl/pkcs7.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>

#include "platform/codepage/utf.h"
#include "platform/crypt/openssl/algorithm_oids.h"
#include "platform/crypt/openssl/attached_content.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/openssl/key_handle_openssl.h"
#include "platform/crypt/openssl/openssl_error.h"
#include "platform/crypt/openssl/user_data_connection.h"

namespace velsor::crypt {
namespace {

BioPtr MemoryBio(ByteView bytes) {
  static const std::uint8_t kNothing = 0;
  return BioPtr(
      BIO_new_mem_buf(bytes.empty() ? &kNothing : bytes.data(), static_cast<int>(bytes.size())));
}

// Reads a BIO to its end, as digesting through a PKCS7 BIO chain requires, keeping what
// it reads only when asked to; `expected` is the size to make room for at once.
std::optional<Bytes> Drain(BIO* bio, bool keep, std::size_t expected) {
  Bytes out;
  if (keep) out.reserve(expected);
  std::array<std::uint8_t, 16384> buffer;
  for (;;) {
    const int n = BIO_read(bio, buffer.data(), static_cast<int>(buffer.size()));
    if (n > 0) {
      if (keep) out.insert(out.end(), buffer.data(), buffer.data() + n);
      continue;
    }
    if (n == 0 || !BIO_should_retry(bio)) break;
  }
  return out;
}

// The size of the data a signed message carries inside, when it says.
std::size_t InnerDataSize(const PKCS7& message) {
  const PKCS7* inner = message.d.sign != nullptr ? message.d.sign->contents : nullptr;
  if (inner == nullptr || !PKCS7_type_is_data(inner) || inner->d.data == nullptr) return 0;
  return static_cast<std::size_t>(std::max(inner->d.data->length, 0));
}

}  // namespace

Result<KeyHandle> PrivateKeyOf(const CertContext& certificate, const PinPrompt& pin) {
  const auto link = certificate.KeyProviderInfo();
  if (!link) return Failure(CRYPT_E_NO_KEY_PROPERTY, "the certificate is linked to no private key");
  auto provider =
      CryptProvider::Acquire(std::u16string_view(link->containerName), link->providerName,
                             PROV_RSA_FULL, 0, certificate.database());
  if (!provider) return Failure(CRYPT_E_NO_KEY_PROPERTY, "the key container is missing");
  auto key = provider->PrivateKey(link->keySpec, pin);
  if (!key && certificate.token()) return key.error();
  if (!key) return Failure(CRYPT_E_NO_KEY_PROPERTY, "the key is missing from its container");
  return key;
}

Result<Bytes> SignPkcs7(const CertContext& signer, std::string_view digestOid, ByteView content,
                        bool detached, const PinPrompt& pin) {
  const EVP_MD* digest = DigestForOid(digestOid);
  if (digest == nullptr) return Failure(NTE_BAD_ALGID, "no such digest algorithm");
  auto key = PrivateKeyOf(signer, pin);
  if (!key) return key.error();
  if (content.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return Failure(E_OUTOFMEMORY, "content too large");
  }
  // Signed as detached, so that OpenSSL only digests the content instead of collecting a
  // copy in a growing buffer; an attached message then gets the content put in once.
  constexpr int kFlags =
      PKCS7_BINARY | PKCS7_NOATTR | PKCS7_NOSMIMECAP | PKCS7_PARTIAL | PKCS7_DETACHED;
  Pkcs7Ptr message(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, kFlags));
  if (!message) return OpenSslError(E_FAIL, "signed message");
  if (PKCS7_sign_add_signer(message.get(), const_cast<X509*>(X509Of(signer)), PkeyOf(*key), digest,
                            kFlags) == nullptr) {
    return OpenSslError(NTE_BAD_ALGID, "signer");
  }
  BioPtr data = MemoryBio(content);
  if (!data || PKCS7_final(message.get(), data.get(), kFlags) != 1) {
    return OpenSslError(E_FAIL, "signing");
  }
  if (!detached) {
    PKCS7* inner = message->d.sign->contents;
    ASN1_OCTET_STRING_free(inner->d.data);
    inner->d.data = ASN1_OCTET_STRING_new();
    if (inner->d.data == nullptr || ASN1_OCTET_STRING_set(inner->d.data, content.data(),
                                                          static_cast<int>(content.size())) != 1) {
      return OpenSslError(E_OUTOFMEMORY, "content");
    }
    PKCS7_set_detached(message.get(), 0);
  }
  return EncodePkcs7(*message);
}

Result<Bytes> EncodePkcs7(PKCS7& message) {
  // Written straight into the result: big content is not held a third time.
  const int length = i2d_PKCS7(&message, nullptr);
  if (length <= 0) return OpenSslError(CRYPT_E_OSS_ERROR, "encoding");
  Bytes encoded(static_cast<std::size_t>(length));
  unsigned char* cursor = encoded.data();
  if (i2d_PKCS7(&message, &cursor) != length) return OpenSslError(CRYPT_E_OSS_ERROR, "encoding");
  return encoded;
}

namespace {

// An attached message checked as a detached one against its content where it lies; the
// content then moves to the front of the message's buffer and becomes the result, so a big
// message never has its content copied. Nothing when the message has another shape or
// fails: the whole message's parse then decides, with the failures it has always given.
std::optional<VerifiedMessage> VerifyContentInPlace(Bytes& message) {
  const auto split = SplitAttachedContent(message);
  if (!split) return std::nullopt;
  const auto parsed = DecodePkcs7(split->detached);
  if (!parsed) return std::nullopt;
  const ByteView content = ByteView(message).subspan(split->contentOffset, split->contentSize);
  auto verified = VerifyDecodedPkcs7(**parsed, &content);
  if (!verified) return std::nullopt;
  std::memmove(message.data(), content.data(), content.size());
  message.resize(content.size());
  verified->content = std::move(message);
  return std::move(*verified);
}

}  // namespace

Result<VerifiedMessage> VerifyPkcs7(Bytes message, const ByteView* detachedContent) {
  if (detachedContent == nullptr) {
    if (auto verified = VerifyContentInPlace(message)) return std::move(*verified);
  }
  auto parsed = DecodePkcs7(message);
  // The parsed form holds all the message holds; the encoding goes before the content is
  // read out a second time.
  Bytes().swap(message);
  if (!parsed) return parsed.error();
  return VerifyDecodedPkcs7(**parsed, detachedContent);
}

Result<Pkcs7Ptr> DecodePkcs7(ByteView message) {
  if (message.size() > static_cast<std::size_t>(std::numeric_limits<long>::max())) {
    return Failure(CRYPT_E_OSS_ERROR, "message too large");
  }
  const unsigned char* cursor = message.data();
  Pkcs7Ptr parsed(d2i_PKCS7(nullptr, &cursor, static_cast<long>(message.size())));
  if (!parsed) return OpenSslError(CRYPT_E_OSS_ERROR, "not a PKCS#7 message");
  return parsed;
}

Result<VerifiedMessage> VerifyDecodedPkcs7(PKCS7& message, const ByteView* detachedContent) {
  PKCS7* parsed = &message;
  if (!PKCS7_type_is_signed(parsed)) {
    return Failure(CRYPT_E_UNEXPECTED_MSG_TYPE, "not a signed message");
  }
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(parsed);
  if (signers == nullptr || sk_PKCS7_SIGNER_INFO_num(signers) == 0) {
    return Failure(CRYPT_E_NO_SIGNER, "the message has no signer");
  }
  PKCS7_SIGNER_INFO* first = sk_PKCS7_SIGNER_INFO_value(signers, 0);
  // The signer's certificate among those the message carries, by issuer and serial number.
  X509* signer = PKCS7_cert_from_signer_info(parsed, first);
  if (signer == nullptr)
    return Failure(CRYPT_E_SIGNER_NOT_FOUND, "the signer's certificate is missing");
  X509_ALGOR* digestAlgorithm = nullptr;
  PKCS7_SIGNER_INFO_get0_algs(first, nullptr, &digestAlgorithm, nullptr);
  const ASN1_OBJECT* digestOid = nullptr;
  X509_ALGOR_get0(&digestOid, nullptr, nullptr, digestAlgorithm);
  if (DigestForOid(OidText(digestOid)) == nullptr)
    return Failure(NTE_BAD_ALGID, "unknown digest algorithm");

  // A detached message's content comes from the caller; an attached one's from inside.
  BioPtr external;
  if (detachedContent != nullptr) {
    external = MemoryBio(*detachedContent);
  } else if (PKCS7_get_detached(parsed)) {
    external = MemoryBio({});
  }
  BIO* chain = PKCS7_dataInit(parsed, external.get());
  if (chain == nullptr) return OpenSslError(CRYPT_E_OSS_ERROR, "message content");
  // The chain owns the memory BIO from here on.
  external.release();
  BioPtr chainOwner(chain);
  auto content = Drain(chain, detachedContent == nullptr, InnerDataSize(*parsed));
  if (!content) return OpenSslError(CRYPT_E_OSS_ERROR, "reading the content");
  if (PKCS7_signatureVerify(chain, parsed, first, signer) != 1) {
    return OpenSslError(NTE_BAD_SIGNATURE, "the signature does not match");
  }
  auto certificate = CertContextFromX509(*signer);
  if (!certificate) return certificate.error();
  VerifiedMessage verified{std::move(*certificate), {}};
  if (detachedContent == nullptr) verified.content = std::move(*content);
  return verified;
}

}  // namespace velsor::crypt
