#include "platform/crypt/openssl/content_encryption.h"

#include <openssl/err.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <limits>

#include "platform/crypt/openssl/algorithm_oids.h"
#include "platform/crypt/openssl/openssl_error.h"

namespace velsor::crypt {
namespace {

constexpr std::size_t kPiece = 1 << 20;

// Runs the cipher over the input in pieces that fit OpenSSL's int lengths.
Result<Bytes> RunCipher(EVP_CIPHER_CTX& context, ByteView input, HRESULT finalError) {
  const std::size_t block = static_cast<std::size_t>(EVP_CIPHER_CTX_get_block_size(&context));
  if (input.size() > std::numeric_limits<std::size_t>::max() - 2 * block) {
    return Failure(E_OUTOFMEMORY, "content too large");
  }
  Bytes output(input.size() + 2 * block);
  std::size_t written = 0;
  for (std::size_t at = 0; at < input.size(); at += kPiece) {
    const std::size_t piece = std::min(kPiece, input.size() - at);
    int produced = 0;
    if (EVP_CipherUpdate(&context, output.data() + written, &produced, input.data() + at,
                         static_cast<int>(piece)) != 1) {
      return OpenSslError(finalError, "cipher");
    }
    written += static_cast<std::size_t>(produced);
  }
  int produced = 0;
  if (EVP_CipherFinal_ex(&context, output.data() + written, &produced) != 1) {
    return OpenSslError(finalError, "cipher padding");
  }
  output.resize(written + static_cast<std::size_t>(produced));
  return output;
}

}  // namespace

Result<EncryptedContent> EncryptContent(std::string_view cipherOid, ByteView content) {
  auto cipher = ContentCipherForOid(cipherOid);
  if (!cipher) return Failure(NTE_BAD_ALGID, "no such content-encryption algorithm");
  EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
  if (!context ||
      EVP_EncryptInit_ex2(context.get(), cipher->cipher.get(), nullptr, nullptr, nullptr) != 1) {
    return OpenSslError(NTE_BAD_ALGID, "cipher");
  }
  EncryptedContent encrypted;
  encrypted.key.resize(static_cast<std::size_t>(EVP_CIPHER_CTX_get_key_length(context.get())));
  Bytes iv(static_cast<std::size_t>(EVP_CIPHER_CTX_get_iv_length(context.get())));
  if (RAND_priv_bytes(encrypted.key.data(), static_cast<int>(encrypted.key.size())) != 1 ||
      (!iv.empty() && RAND_bytes(iv.data(), static_cast<int>(iv.size())) != 1)) {
    return OpenSslError(E_FAIL, "random key");
  }
  if (EVP_EncryptInit_ex2(context.get(), nullptr, encrypted.key.data(),
                          iv.empty() ? nullptr : iv.data(), nullptr) != 1) {
    return OpenSslError(NTE_BAD_ALGID, "cipher key");
  }
  encrypted.parameters.reset(ASN1_TYPE_new());
  if (!encrypted.parameters) return Failure(E_OUTOFMEMORY, "parameters");
  if (cipher->nullParameters) {
    ASN1_TYPE_set(encrypted.parameters.get(), V_ASN1_NULL, nullptr);
  } else if (EVP_CIPHER_param_to_asn1(context.get(), encrypted.parameters.get()) <= 0) {
    return OpenSslError(NTE_BAD_ALGID, "cipher parameters");
  }
  auto ciphertext = RunCipher(*context, content, E_FAIL);
  if (!ciphertext) return ciphertext.error();
  encrypted.ciphertext = std::move(*ciphertext);
  return encrypted;
}

namespace {

// A decryption context for the algorithm, its IV (and RC2's key size) read from the
// parameters; RC4 has none to read.
Result<EvpCipherCtxPtr> DecryptionContext(const X509_ALGOR& algorithm) {
  const ASN1_OBJECT* oid = nullptr;
  const void* parameterValue = nullptr;
  int parameterType = V_ASN1_UNDEF;
  X509_ALGOR_get0(&oid, &parameterType, &parameterValue, &algorithm);
  auto cipher = ContentCipherForOid(OidText(oid));
  if (!cipher) return Failure(NTE_BAD_ALGID, "no such content-encryption algorithm");
  EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
  if (!context ||
      EVP_DecryptInit_ex2(context.get(), cipher->cipher.get(), nullptr, nullptr, nullptr) != 1) {
    return OpenSslError(NTE_BAD_ALGID, "cipher");
  }
  if (!cipher->nullParameters &&
      (algorithm.parameter == nullptr ||
       EVP_CIPHER_asn1_to_param(context.get(), algorithm.parameter) <= 0)) {
    return OpenSslError(CRYPT_E_OSS_ERROR, "cipher parameters");
  }
  return context;
}

}  // namespace

Result<std::size_t> ContentKeySize(const X509_ALGOR& algorithm) {
  auto context = DecryptionContext(algorithm);
  if (!context) return context.error();
  const int size = EVP_CIPHER_CTX_get_key_length(context->get());
  if (size <= 0) return Failure(NTE_BAD_ALGID, "cipher key size");
  return static_cast<std::size_t>(size);
}

Result<Bytes> DecryptContent(const X509_ALGOR& algorithm, ByteView key, ByteView ciphertext) {
  auto context = DecryptionContext(algorithm);
  if (!context) return context.error();
  if (key.size() != static_cast<std::size_t>(EVP_CIPHER_CTX_get_key_length(context->get())) &&
      EVP_CIPHER_CTX_set_key_length(context->get(), static_cast<int>(key.size())) != 1) {
    return OpenSslError(NTE_BAD_KEY, "content key size");
  }
  if (EVP_DecryptInit_ex2(context->get(), nullptr, key.data(), nullptr, nullptr) != 1) {
    return OpenSslError(NTE_BAD_KEY, "content key");
  }
  return RunCipher(**context, ciphertext, NTE_BAD_DATA);
}

Result<Bytes> WrapKey(const X509& recipient, ByteView key) {
  EVP_PKEY* publicKey = X509_get0_pubkey(&recipient);
  if (publicKey == nullptr) return OpenSslError(CRYPT_E_OSS_ERROR, "recipient key");
  EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, publicKey, nullptr));
  std::size_t size = 0;
  if (!context || EVP_PKEY_encrypt_init(context.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) != 1 ||
      EVP_PKEY_encrypt(context.get(), nullptr, &size, key.data(), key.size()) != 1) {
    return OpenSslError(NTE_BAD_ALGID, "key transport");
  }
  Bytes wrapped(size);
  if (EVP_PKEY_encrypt(context.get(), wrapped.data(), &size, key.data(), key.size()) != 1) {
    return OpenSslError(E_FAIL, "key transport");
  }
  wrapped.resize(size);
  return wrapped;
}

Result<SecretBytes> UnwrapKeyOrDecoy(EVP_PKEY& privateKey, ByteView wrapped, std::size_t keySize) {
  // The decoy is drawn before the attempt and the same steps follow either outcome, so
  // neither the result nor the work tells whether the padding was right.
  SecretBytes key(keySize);
  if (keySize > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
      RAND_priv_bytes(key.data(), static_cast<int>(keySize)) != 1) {
    return OpenSslError(E_FAIL, "random key");
  }
  auto unwrapped = UnwrapKey(privateKey, wrapped);
  const SecretBytes empty;
  const SecretBytes& candidate = unwrapped ? *unwrapped : empty;
  const std::uint8_t keep = (unwrapped && candidate.size() == keySize) ? 0xFF : 0x00;
  for (std::size_t i = 0; i < keySize; ++i) {
    const std::uint8_t fromMessage = i < candidate.size() ? candidate[i] : 0;
    key[i] = static_cast<std::uint8_t>((fromMessage & keep) | (key[i] & ~keep));
  }
  ERR_clear_error();
  return key;
}

Result<SecretBytes> UnwrapKey(EVP_PKEY& privateKey, ByteView wrapped) {
  EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, &privateKey, nullptr));
  std::size_t size = 0;
  if (!context || EVP_PKEY_decrypt_init(context.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) != 1 ||
      EVP_PKEY_decrypt(context.get(), nullptr, &size, wrapped.data(), wrapped.size()) != 1) {
    return OpenSslError(NTE_BAD_ALGID, "key transport");
  }
  SecretBytes key(size);
  if (EVP_PKEY_decrypt(context.get(), key.data(), &size, wrapped.data(), wrapped.size()) != 1) {
    return OpenSslError(NTE_BAD_DATA, "the key does not open the content key");
  }
  key.resize(size);
  return key;
}

}  // namespace velsor::crypt
