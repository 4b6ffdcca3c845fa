// Envelopes through the low-level message functions, which Windows and Wine both have
// (Wine lacks the one-call functions for opening and for signed envelopes): encoding with
// CryptMsgOpenToEncode, opening with CryptMsgOpenToDecode and CMSG_CTRL_DECRYPT under the
// recipient's own key.

#include "platform/crypt/enveloped_message.h"

#include "platform/crypt/cert_find.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/signed_message.h"
#include "system_cert.h"
#include "system_keys.h"

namespace velsor::crypt {
namespace {

struct MessageCloser {
  void operator()(HCRYPTMSG message) const { CryptMsgClose(message); }
};
using MessagePtr = std::unique_ptr<void, MessageCloser>;

HRESULT EncodingError() {
  const HRESULT error = LastError();
  if (error == static_cast<HRESULT>(CRYPT_E_UNKNOWN_ALGO)) return NTE_BAD_ALGID;
  if ((static_cast<std::uint32_t>(error) & 0xFFFFF000u) == 0x80093000u) return CRYPT_E_OSS_ERROR;
  return error;
}

Result<Bytes> Parameter(HCRYPTMSG message, DWORD which, DWORD index = 0) {
  DWORD size = 0;
  if (!CryptMsgGetParam(message, which, index, nullptr, &size)) {
    return Failure(EncodingError(), "message parameter");
  }
  Bytes value(size);
  if (!CryptMsgGetParam(message, which, index, value.data(), &size)) {
    return Failure(EncodingError(), "message parameter");
  }
  value.resize(size);
  return value;
}

std::optional<DWORD> WordParameter(HCRYPTMSG message, DWORD which) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!CryptMsgGetParam(message, which, 0, &value, &size)) return std::nullopt;
  return value;
}

// An EnvelopedData for `recipient` of `content`, whose inner type is data, or signedData
// when `innerType` names it.
Result<Bytes> Envelope(const CertContext& recipient, std::string_view symmetricOid,
                       ByteView content, const char* innerType) {
  if (content.size() > 0xFFFFFFFFu) return Failure(E_OUTOFMEMORY, "content too large");
  const std::string oid(symmetricOid);
  PCERT_INFO recipientInfo = SystemContextOf(recipient)->pCertInfo;
  CMSG_ENVELOPED_ENCODE_INFO info{};
  info.cbSize = sizeof info;
  info.ContentEncryptionAlgorithm.pszObjId = const_cast<char*>(oid.c_str());
  info.cRecipients = 1;
  info.rgpRecipients = &recipientInfo;
  MessagePtr message(CryptMsgOpenToEncode(kEncodings, 0, CMSG_ENVELOPED, &info,
                                          const_cast<char*>(innerType), nullptr));
  if (!message) return Failure(EncodingError(), "envelope");
  if (!CryptMsgUpdate(message.get(), content.data(), static_cast<DWORD>(content.size()), TRUE)) {
    return Failure(EncodingError(), "envelope");
  }
  return Parameter(message.get(), CMSG_CONTENT_PARAM);
}

// Whether bytes are a whole signed message. Wine reports no inner content type for an
// opened envelope, so the content itself has to tell.
bool IsSignedMessage(const Bytes& content) {
  MessagePtr message(CryptMsgOpenToDecode(kEncodings, 0, 0, 0, nullptr, nullptr));
  return message && content.size() <= 0xFFFFFFFFu &&
         CryptMsgUpdate(message.get(), content.data(), static_cast<DWORD>(content.size()), TRUE) &&
         WordParameter(message.get(), CMSG_TYPE_PARAM) == CMSG_SIGNED;
}

// A wrong content key and a key transport that does not unwrap end here alike.
Error NotOpened() { return Failure(NTE_BAD_DATA, "the user's key does not open the message"); }

struct Decrypted {
  CertContextPtr recipient;
  Bytes content;
  std::string innerType;
};

// The user's certificate in `personal` that a recipient entry names, with a key link.
CertContextPtr UsersCertificateFor(const CertStore& personal, const CERT_INFO& named) {
  const ByteView serial(named.SerialNumber.pbData, named.SerialNumber.cbData);
  const ByteView issuer(named.Issuer.pbData, named.Issuer.cbData);
  auto found = personal.Matching([&](const StoredCertNames& names) {
    return names.keyProvInfo && IntegerBlobsEqual(names.serialBlob, serial) &&
           ByteView(names.encodedIssuer).size() == issuer.size() &&
           std::equal(issuer.begin(), issuer.end(), names.encodedIssuer.begin());
  }, 1);
  return found.empty() ? nullptr : found.front();
}

Result<Decrypted> Decrypt(ByteView encoded, const CertStore& personal,
                          const KeyUseApproval& approve) {
  if (encoded.size() > 0xFFFFFFFFu) return Failure(E_OUTOFMEMORY, "message too large");
  MessagePtr message(CryptMsgOpenToDecode(kEncodings, 0, 0, 0, nullptr, nullptr));
  if (!message ||
      !CryptMsgUpdate(message.get(), encoded.data(), static_cast<DWORD>(encoded.size()), TRUE)) {
    return Failure(CRYPT_E_OSS_ERROR, "not a message");
  }
  if (WordParameter(message.get(), CMSG_TYPE_PARAM) != CMSG_ENVELOPED) {
    return Failure(CRYPT_E_UNEXPECTED_MSG_TYPE, "not an enveloped message");
  }
  const DWORD recipients = WordParameter(message.get(), CMSG_RECIPIENT_COUNT_PARAM).value_or(0);
  for (DWORD index = 0; index < recipients; ++index) {
    auto named = Parameter(message.get(), CMSG_RECIPIENT_INFO_PARAM, index);
    if (!named || named->size() < sizeof(CERT_INFO)) continue;
    const auto* info = reinterpret_cast<const CERT_INFO*>(named->data());
    CertContextPtr certificate = UsersCertificateFor(personal, *info);
    if (!certificate) continue;
    const auto link = certificate->KeyProviderInfo();
    auto provider = CryptProvider::Acquire(std::u16string_view(link->containerName),
                                           link->providerName, PROV_RSA_FULL, 0);
    if (!provider) continue;
    auto key = provider->PrivateKey(link->keySpec);
    if (!key) continue;
    if (approve && !approve(*certificate)) {
      return Failure(HRESULT_ERROR_CANCELLED, "the user did not allow the use of the key");
    }
    CMSG_CTRL_DECRYPT_PARA decrypt{};
    decrypt.cbSize = sizeof decrypt;
    decrypt.hCryptProv = key->held().provider;
    decrypt.dwKeySpec = key->held().keySpec;
    decrypt.dwRecipientIndex = index;
    if (!CryptMsgControl(message.get(), 0, CMSG_CTRL_DECRYPT, &decrypt)) return NotOpened();
    auto content = Parameter(message.get(), CMSG_CONTENT_PARAM);
    if (!content) return NotOpened();
    auto inner = Parameter(message.get(), CMSG_INNER_CONTENT_TYPE_PARAM);
    std::string innerType = inner ? std::string(inner->begin(), inner->end()) : std::string();
    innerType.erase(innerType.find('\0') == std::string::npos ? innerType.size()
                                                              : innerType.find('\0'));
    return Decrypted{std::move(certificate), std::move(*content), std::move(innerType)};
  }
  return Failure(CRYPT_E_NO_DECRYPT_CERT, "no certificate of the user opens the message");
}

}  // namespace

Result<Bytes> EnvelopePkcs7(const CertContext& recipient, std::string_view symmetricOid,
                            ByteView content) {
  return Envelope(recipient, symmetricOid, content, nullptr);
}

Result<Bytes> SignAndEnvelopePkcs7(const CertContext& signer, std::string_view digestOid,
                                   const CertContext& recipient, std::string_view symmetricOid,
                                   ByteView content, const PinPrompt& pin) {
  auto signedData = SignPkcs7(signer, digestOid, content, false, pin);
  if (!signedData) return signedData.error();
  return Envelope(recipient, symmetricOid, *signedData, szOID_RSA_signedData);
}

// The provider asks for a smart card's PIN itself.
Result<OpenedEnvelope> OpenEnvelopePkcs7(ByteView message, const CertStore& personal,
                                         const KeyUseApproval& approve, const PinPrompt&) {
  auto decrypted = Decrypt(message, personal, approve);
  if (!decrypted) return decrypted.error();
  return OpenedEnvelope{std::move(decrypted->recipient), std::move(decrypted->content)};
}

Result<OpenedSignedEnvelope> OpenSignedEnvelopePkcs7(ByteView message, const CertStore& personal,
                                                     const KeyUseApproval& approve,
                                                     const PinPrompt&) {
  auto decrypted = Decrypt(message, personal, approve);
  if (!decrypted) return decrypted.error();
  if (decrypted->innerType != szOID_RSA_signedData && !IsSignedMessage(decrypted->content)) {
    return Failure(CRYPT_E_UNEXPECTED_MSG_TYPE, "not signed");
  }
  auto verified = VerifyPkcs7(std::move(decrypted->content), nullptr);
  if (!verified) return verified.error();
  return OpenedSignedEnvelope{std::move(decrypted->recipient), std::move(verified->signer),
                              std::move(verified->content)};
}

}  // namespace velsor::crypt
