#include "platform/crypt/enveloped_message.h"

#include <openssl/pkcs7.h>

#include <limits>

#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/cert_find.h"
#include "platform/crypt/openssl/content_encryption.h"
#include "platform/crypt/der_reader.h"
#include "platform/crypt/openssl/key_handle_openssl.h"
#include "platform/crypt/openssl/openssl_error.h"
#include "platform/crypt/openssl/signed_message_openssl.h"

namespace velsor::crypt {
namespace {

using Asn1ObjectPtr = std::unique_ptr<ASN1_OBJECT, OpenSslFree<ASN1_OBJECT_free>>;
using RecipientInfoPtr = std::unique_ptr<PKCS7_RECIP_INFO, OpenSslFree<PKCS7_RECIP_INFO_free>>;

bool FitsInt(std::size_t size) {
  return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

Result<Bytes> Envelope(const CertContext& recipient, std::string_view symmetricOid,
                       ByteView content, int innerType) {
  if (!FitsInt(content.size())) return Failure(E_OUTOFMEMORY, "content too large");
  auto encrypted = EncryptContent(symmetricOid, content);
  if (!encrypted) return encrypted.error();
  auto wrapped = WrapKey(*X509Of(recipient), encrypted->key);
  if (!wrapped) return wrapped.error();

  Pkcs7Ptr message(PKCS7_new());
  RecipientInfoPtr info(PKCS7_RECIP_INFO_new());
  Asn1ObjectPtr cipherOid(OBJ_txt2obj(std::string(symmetricOid).c_str(), 1));
  if (!message || !info || !cipherOid || PKCS7_set_type(message.get(), NID_pkcs7_enveloped) != 1 ||
      PKCS7_RECIP_INFO_set(info.get(), const_cast<X509*>(X509Of(recipient))) != 1 ||
      ASN1_STRING_set(info->enc_key, wrapped->data(), static_cast<int>(wrapped->size())) != 1) {
    return OpenSslError(CRYPT_E_OSS_ERROR, "envelope");
  }
  if (PKCS7_add_recipient_info(message.get(), info.get()) != 1) {
    return OpenSslError(CRYPT_E_OSS_ERROR, "recipient");
  }
  info.release();  // the message owns it now

  PKCS7_ENC_CONTENT* body = message->d.enveloped->enc_data;
  body->content_type = OBJ_nid2obj(innerType);
  X509_ALGOR* algorithm = body->algorithm;
  ASN1_OBJECT_free(algorithm->algorithm);
  algorithm->algorithm = cipherOid.release();
  ASN1_TYPE_free(algorithm->parameter);
  algorithm->parameter = encrypted->parameters.release();
  body->enc_data = ASN1_OCTET_STRING_new();
  if (body->enc_data == nullptr ||
      ASN1_OCTET_STRING_set(body->enc_data, encrypted->ciphertext.data(),
                            static_cast<int>(encrypted->ciphertext.size())) != 1) {
    return OpenSslError(E_OUTOFMEMORY, "encrypted content");
  }
  return EncodePkcs7(*message);
}

struct EnvelopeParts {
  STACK_OF(PKCS7_RECIP_INFO) * recipients;
  PKCS7_ENC_CONTENT* body;
};

std::optional<EnvelopeParts> PartsOf(PKCS7& message) {
  if (PKCS7_type_is_enveloped(&message) && message.d.enveloped != nullptr) {
    return EnvelopeParts{message.d.enveloped->recipientinfo, message.d.enveloped->enc_data};
  }
  if (PKCS7_type_is_signedAndEnveloped(&message) && message.d.signed_and_enveloped != nullptr) {
    return EnvelopeParts{message.d.signed_and_enveloped->recipientinfo,
                         message.d.signed_and_enveloped->enc_data};
  }
  return std::nullopt;
}

bool Names(const CertContext& certificate, const PKCS7_ISSUER_AND_SERIAL& id) {
  return X509_NAME_cmp(IssuerNameOf(certificate), id.issuer) == 0 &&
         ASN1_INTEGER_cmp(X509_get0_serialNumber(X509Of(certificate)), id.serial) == 0;
}

// The serial of a recipient as a blob, least significant byte first, to compare with the
// stored serials before any certificate is decoded.
std::optional<Bytes> SerialBlobOf(const ASN1_INTEGER* serial) {
  unsigned char* der = nullptr;
  const int length = i2d_ASN1_INTEGER(serial, &der);
  if (length <= 0) return std::nullopt;
  const Bytes encoded(der, der + length);
  OPENSSL_free(der);
  ByteView input(encoded);
  const auto element = ReadDerElement(input);
  if (!element) return std::nullopt;
  return Bytes(element->content.rbegin(), element->content.rend());
}

// The first recipient for whom the user holds a certificate with a private key in
// `personal`, and the content key of `keySize` bytes that private key unwraps (or a
// decoy, see UnwrapKeyOrDecoy).
struct Unwrapped {
  CertContextPtr recipient;
  SecretBytes key;
};
Result<Unwrapped> UnwrapForUser(STACK_OF(PKCS7_RECIP_INFO) * recipients, const CertStore& personal,
                                std::size_t keySize, const KeyUseApproval& approve,
                                const PinPrompt& pin) {
  for (int i = 0; i < sk_PKCS7_RECIP_INFO_num(recipients); ++i) {
    const PKCS7_RECIP_INFO* info = sk_PKCS7_RECIP_INFO_value(recipients, i);
    if (info == nullptr || info->issuer_and_serial == nullptr || info->enc_key == nullptr) continue;
    const auto serial = SerialBlobOf(info->issuer_and_serial->serial);
    if (!serial) continue;
    // Only the user's certificates with this serial are decoded, to compare the issuer.
    const auto withSerial = personal.Matching(
        [&](const StoredCertNames& names) { return IntegerBlobsEqual(names.serialBlob, *serial); });
    for (const CertContextPtr& certificate : withSerial) {
      if (!Names(*certificate, *info->issuer_and_serial)) continue;
      // A software key is looked at before the user is asked, so that a certificate whose
      // key is gone is passed over; a token key only after, since opening it asks the PIN.
      const bool onToken = certificate->token().has_value();
      Result<KeyHandle> privateKey = onToken ? Result<KeyHandle>(HoldKey(nullptr))
                                             : PrivateKeyOf(*certificate);
      if (!privateKey) continue;
      if (approve && !approve(*certificate)) {
        return Failure(HRESULT_ERROR_CANCELLED, "the user did not allow the use of the key");
      }
      if (onToken) {
        privateKey = PrivateKeyOf(*certificate, pin);
        if (!privateKey) return privateKey.error();
      }
      auto key = UnwrapKeyOrDecoy(
          *PkeyOf(*privateKey),
          ByteView(info->enc_key->data, static_cast<std::size_t>(info->enc_key->length)), keySize);
      if (!key) return key.error();
      return Unwrapped{certificate, std::move(*key)};
    }
  }
  return Failure(CRYPT_E_NO_DECRYPT_CERT, "no certificate of the user opens the message");
}

// A wrong content key and a key transport that does not unwrap end here alike.
Error NotOpened() { return Failure(NTE_BAD_DATA, "the user's key does not open the message"); }

struct Decrypted {
  Pkcs7Ptr message;
  CertContextPtr recipient;
  Bytes content;
  int innerType = NID_undef;
};

Result<Decrypted> Decrypt(ByteView encoded, const CertStore& personal,
                          const KeyUseApproval& approve, const PinPrompt& pin) {
  auto message = DecodePkcs7(encoded);
  if (!message) return message.error();
  const auto parts = PartsOf(**message);
  if (!parts) return Failure(CRYPT_E_UNEXPECTED_MSG_TYPE, "not an enveloped message");
  if (parts->body == nullptr || parts->body->algorithm == nullptr ||
      parts->body->enc_data == nullptr) {
    return Failure(CRYPT_E_OSS_ERROR, "the message holds no encrypted content");
  }
  const auto keySize = ContentKeySize(*parts->body->algorithm);
  if (!keySize) return keySize.error();
  auto unwrapped = UnwrapForUser(parts->recipients, personal, *keySize, approve, pin);
  if (!unwrapped) return unwrapped.error();
  const ASN1_OCTET_STRING* ciphertext = parts->body->enc_data;
  auto content =
      DecryptContent(*parts->body->algorithm, unwrapped->key,
                     ByteView(ciphertext->data, static_cast<std::size_t>(ciphertext->length)));
  if (!content) {
    const HRESULT code = content.code();
    return code == NTE_BAD_DATA || code == NTE_BAD_KEY ? NotOpened() : content.error();
  }
  const int innerType = OBJ_obj2nid(parts->body->content_type);
  return Decrypted{std::move(*message), std::move(unwrapped->recipient), std::move(*content),
                   innerType};
}

// The signer part of a signedAndEnvelopedData as a SignedData over the decrypted
// content, so that one verifier serves every form.
Result<Pkcs7Ptr> SignedPartOf(const PKCS7& envelope, ByteView content) {
  const PKCS7_SIGN_ENVELOPE& parts = *envelope.d.signed_and_enveloped;
  Pkcs7Ptr signedData(PKCS7_new());
  if (!signedData || PKCS7_set_type(signedData.get(), NID_pkcs7_signed) != 1 ||
      PKCS7_content_new(signedData.get(), NID_pkcs7_data) != 1 || !FitsInt(content.size()) ||
      ASN1_OCTET_STRING_set(signedData->d.sign->contents->d.data, content.data(),
                            static_cast<int>(content.size())) != 1) {
    return OpenSslError(E_OUTOFMEMORY, "signed part");
  }
  for (int i = 0; i < sk_X509_num(parts.cert); ++i) {
    if (PKCS7_add_certificate(signedData.get(), sk_X509_value(parts.cert, i)) != 1) {
      return OpenSslError(E_OUTOFMEMORY, "signer certificates");
    }
  }
  for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(parts.signer_info); ++i) {
    auto* copy = static_cast<PKCS7_SIGNER_INFO*>(ASN1_item_dup(
        ASN1_ITEM_rptr(PKCS7_SIGNER_INFO), sk_PKCS7_SIGNER_INFO_value(parts.signer_info, i)));
    if (copy == nullptr || PKCS7_add_signer(signedData.get(), copy) != 1) {
      PKCS7_SIGNER_INFO_free(copy);
      return OpenSslError(CRYPT_E_OSS_ERROR, "signer");
    }
  }
  return signedData;
}

}  // namespace

Result<Bytes> EnvelopePkcs7(const CertContext& recipient, std::string_view symmetricOid,
                            ByteView content) {
  return Envelope(recipient, symmetricOid, content, NID_pkcs7_data);
}

Result<Bytes> SignAndEnvelopePkcs7(const CertContext& signer, std::string_view digestOid,
                                   const CertContext& recipient, std::string_view symmetricOid,
                                   ByteView content, const PinPrompt& pin) {
  auto signedData = SignPkcs7(signer, digestOid, content, false, pin);
  if (!signedData) return signedData.error();
  return Envelope(recipient, symmetricOid, *signedData, NID_pkcs7_signed);
}

Result<OpenedEnvelope> OpenEnvelopePkcs7(ByteView message, const CertStore& personal,
                                         const KeyUseApproval& approve, const PinPrompt& pin) {
  auto decrypted = Decrypt(message, personal, approve, pin);
  if (!decrypted) return decrypted.error();
  if (!PKCS7_type_is_enveloped(decrypted->message.get())) {
    return Failure(CRYPT_E_UNEXPECTED_MSG_TYPE, "not an enveloped message");
  }
  return OpenedEnvelope{std::move(decrypted->recipient), std::move(decrypted->content)};
}

Result<OpenedSignedEnvelope> OpenSignedEnvelopePkcs7(ByteView message, const CertStore& personal,
                                                     const KeyUseApproval& approve,
                                                     const PinPrompt& pin) {
  auto decrypted = Decrypt(message, personal, approve, pin);
  if (!decrypted) return decrypted.error();
  Result<VerifiedMessage> verified = Failure(CRYPT_E_UNEXPECTED_MSG_TYPE, "not signed");
  if (PKCS7_type_is_signedAndEnveloped(decrypted->message.get())) {
    auto signedPart = SignedPartOf(*decrypted->message, decrypted->content);
    if (!signedPart) return signedPart.error();
    verified = VerifyDecodedPkcs7(**signedPart, nullptr);
  } else if (decrypted->innerType == NID_pkcs7_signed) {
    verified = VerifyPkcs7(std::move(decrypted->content), nullptr);
  }
  if (!verified) return verified.error();
  return OpenedSignedEnvelope{std::move(decrypted->recipient), std::move(verified->signer),
                              std::move(verified->content)};
}

}  // namespace velsor::crypt
