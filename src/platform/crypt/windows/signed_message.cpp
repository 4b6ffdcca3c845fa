// Signed messages through the system's message functions: CryptSignMessage makes them
// (one signer, its certificate alone, no attributes), CryptVerifyMessageSignature and its
// detached form check them against the certificate the message carries.

#include "platform/crypt/signed_message.h"

#include "system_cert.h"

namespace velsor::crypt {
namespace {

// A message or certificate that cannot be decoded is reported as the OSS error, as every
// decoding failure of the platform is.
HRESULT MessageError() {
  const HRESULT error = LastError();
  const auto bits = static_cast<std::uint32_t>(error);
  if ((bits & 0xFFFFF000u) == 0x80093000u) return CRYPT_E_OSS_ERROR;
  return error;
}

bool FitsDword(std::size_t size) { return size <= 0xFFFFFFFFu; }

CRYPT_VERIFY_MESSAGE_PARA VerifyParameters() {
  CRYPT_VERIFY_MESSAGE_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.dwMsgAndCertEncodingType = kEncodings;
  return parameters;
}

Result<CertContextPtr> SignerOf(PCCERT_CONTEXT signer) {
  if (signer == nullptr) return Failure(CRYPT_E_NO_SIGNER, "no signer");
  auto context = CertContext::FromEncoded(ByteView(signer->pbCertEncoded, signer->cbCertEncoded));
  CertFreeCertificateContext(signer);
  return context;
}

}  // namespace

Result<Bytes> SignPkcs7(const CertContext& signer, std::string_view digestOid, ByteView content,
                        bool detached, const PinPrompt&) {
  if (!FitsDword(content.size())) return Failure(E_OUTOFMEMORY, "content too large");
  const std::string oid(digestOid);
  PCCERT_CONTEXT certificate = SystemContextOf(signer);
  CRYPT_SIGN_MESSAGE_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.dwMsgEncodingType = kEncodings;
  parameters.pSigningCert = certificate;
  parameters.HashAlgorithm.pszObjId = const_cast<char*>(oid.c_str());
  parameters.cMsgCert = 1;
  parameters.rgpMsgCert = &certificate;
  const BYTE* parts[] = {content.data()};
  DWORD sizes[] = {static_cast<DWORD>(content.size())};
  DWORD length = 0;
  if (!CryptSignMessage(&parameters, detached, 1, parts, sizes, nullptr, &length)) {
    return Failure(MessageError(), "signing");
  }
  Bytes message(length);
  if (!CryptSignMessage(&parameters, detached, 1, parts, sizes, message.data(), &length)) {
    return Failure(MessageError(), "signing");
  }
  message.resize(length);
  return message;
}

Result<VerifiedMessage> VerifyPkcs7(Bytes message, const ByteView* detachedContent) {
  if (!FitsDword(message.size())) return Failure(E_OUTOFMEMORY, "message too large");
  CRYPT_VERIFY_MESSAGE_PARA parameters = VerifyParameters();
  const DWORD messageSize = static_cast<DWORD>(message.size());
  PCCERT_CONTEXT signer = nullptr;
  if (detachedContent != nullptr) {
    if (!FitsDword(detachedContent->size())) return Failure(E_OUTOFMEMORY, "content too large");
    const BYTE* parts[] = {detachedContent->data()};
    DWORD sizes[] = {static_cast<DWORD>(detachedContent->size())};
    if (!CryptVerifyDetachedMessageSignature(&parameters, 0, message.data(), messageSize, 1, parts,
                                             sizes, &signer)) {
      return Failure(MessageError(), "the detached signature does not verify");
    }
    auto context = SignerOf(signer);
    if (!context) return context.error();
    return VerifiedMessage{std::move(*context), {}};
  }
  DWORD size = 0;
  if (!CryptVerifyMessageSignature(&parameters, 0, message.data(), messageSize, nullptr, &size,
                                   nullptr)) {
    return Failure(MessageError(), "the signature does not verify");
  }
  Bytes content(size);
  if (!CryptVerifyMessageSignature(&parameters, 0, message.data(), messageSize, content.data(),
                                   &size, &signer)) {
    return Failure(MessageError(), "the signature does not verify");
  }
  content.resize(size);
  auto context = SignerOf(signer);
  if (!context) return context.error();
  return VerifiedMessage{std::move(*context), std::move(content)};
}

}  // namespace velsor::crypt
