#include "platform/crypt/openssl/token_enrolment.h"

#include <openssl/core_names.h>
#include <openssl/param_build.h>

#include <cstring>

#include "platform/crypt/cert_context.h"

namespace velsor::crypt {
namespace {

using ParamBuildPtr = std::unique_ptr<OSSL_PARAM_BLD, OpenSslFree<OSSL_PARAM_BLD_free>>;
using ParamsPtr = std::unique_ptr<OSSL_PARAM, OpenSslFree<OSSL_PARAM_free>>;

Error TokenFailure(const char* what, CK_RV rv) {
  return Failure(E_FAIL, std::string(what) + " failed on the token (" + std::to_string(rv) + ")");
}

// A token label field: the text, padded with spaces to its 32 bytes.
void PadLabel(const std::string& label, CK_UTF8CHAR (&field)[32]) {
  std::memset(field, ' ', sizeof field);
  std::memcpy(field, label.data(), std::min(label.size(), sizeof field));
}

CK_UTF8CHAR* Utf8(const std::string& text) {
  return reinterpret_cast<CK_UTF8CHAR*>(const_cast<char*>(text.data()));
}

Result<EvpPkeyPtr> RsaPublicKey(const Bytes& modulus, const Bytes& exponent) {
  BignumPtr n(BN_bin2bn(modulus.data(), static_cast<int>(modulus.size()), nullptr));
  BignumPtr e(BN_bin2bn(exponent.data(), static_cast<int>(exponent.size()), nullptr));
  ParamBuildPtr build(OSSL_PARAM_BLD_new());
  if (!n || !e || !build || OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) != 1 ||
      OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) != 1) {
    return Failure(E_OUTOFMEMORY, "public key");
  }
  ParamsPtr params(OSSL_PARAM_BLD_to_param(build.get()));
  EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return Failure(E_FAIL, "the token's public key cannot be read");
  }
  return EvpPkeyPtr(key);
}

}  // namespace

Result<Done> InitializeFreeToken(const std::string& modulePath, const std::string& label,
                                 const std::string& soPin, const std::string& userPin) {
  auto module = Pkcs11Module::Load(modulePath);
  if (!module) return module.error();
  CK_FUNCTION_LIST& f = (*module)->functions();
  for (CK_SLOT_ID slot : (*module)->SlotsWithToken()) {
    const auto info = TokenInfo(**module, slot);
    if (!info || (info->flags & CKF_TOKEN_INITIALIZED)) continue;
    CK_UTF8CHAR padded[32];
    PadLabel(label, padded);
    if (CK_RV rv = f.C_InitToken(slot, Utf8(soPin), soPin.size(), padded); rv != CKR_OK) {
      return TokenFailure("C_InitToken", rv);
    }
    CK_SESSION_HANDLE session = 0;
    if (CK_RV rv = f.C_OpenSession(slot, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr, nullptr,
                                   &session);
        rv != CKR_OK) {
      return TokenFailure("C_OpenSession", rv);
    }
    CK_RV rv = f.C_Login(session, CKU_SO, Utf8(soPin), soPin.size());
    if (rv == CKR_OK) rv = f.C_InitPIN(session, Utf8(userPin), userPin.size());
    f.C_Logout(session);
    f.C_CloseSession(session);
    if (rv != CKR_OK) return TokenFailure("C_InitPIN", rv);
    return Done{};
  }
  return Failure(CRYPT_E_NOT_FOUND, "the module offers no token to initialise");
}

Result<Pkcs11Session> OpenUserSession(std::shared_ptr<Pkcs11Module> module,
                                      const std::string& label, const std::string& userPin) {
  for (CK_SLOT_ID slot : module->SlotsWithToken()) {
    const auto info = TokenInfo(*module, slot);
    if (!info || TokenText(info->label, sizeof info->label) != label) continue;
    CK_FUNCTION_LIST& f = module->functions();
    auto session = Pkcs11Session::Open(module, slot, true);
    if (!session) return session.error();
    const CK_RV rv = f.C_Login(session->handle(), CKU_USER, Utf8(userPin), userPin.size());
    if (rv != CKR_OK && rv != CKR_USER_ALREADY_LOGGED_IN) return TokenFailure("C_Login", rv);
    return session;
  }
  return Failure(CRYPT_E_NOT_FOUND, "no token labelled " + label);
}

Result<EvpPkeyPtr> GenerateKeyOnToken(const Pkcs11Session& session, ByteView id,
                                      const std::string& label, int bits) {
  CK_MECHANISM mechanism{CKM_RSA_PKCS_KEY_PAIR_GEN, nullptr, 0};
  CK_BBOOL yes = CK_TRUE, no = CK_FALSE;
  CK_ULONG modulusBits = static_cast<CK_ULONG>(bits);
  CK_BYTE exponent[] = {0x01, 0x00, 0x01};
  Bytes idCopy(id.begin(), id.end());
  std::string labelCopy = label;
  CK_ATTRIBUTE publicTemplate[] = {
      AttributeOf(CKA_TOKEN, yes),          AttributeOf(CKA_VERIFY, yes),
      AttributeOf(CKA_ENCRYPT, yes),        AttributeOf(CKA_MODULUS_BITS, modulusBits),
      {CKA_PUBLIC_EXPONENT, exponent, sizeof exponent},
      {CKA_ID, idCopy.data(), idCopy.size()}, {CKA_LABEL, labelCopy.data(), labelCopy.size()},
  };
  CK_ATTRIBUTE privateTemplate[] = {
      AttributeOf(CKA_TOKEN, yes),     AttributeOf(CKA_PRIVATE, yes),
      AttributeOf(CKA_SENSITIVE, yes), AttributeOf(CKA_EXTRACTABLE, no),
      AttributeOf(CKA_SIGN, yes),      AttributeOf(CKA_DECRYPT, yes),
      {CKA_ID, idCopy.data(), idCopy.size()}, {CKA_LABEL, labelCopy.data(), labelCopy.size()},
  };
  CK_OBJECT_HANDLE publicKey = 0, privateKey = 0;
  if (CK_RV rv = session.functions().C_GenerateKeyPair(
          session.handle(), &mechanism, publicTemplate, std::size(publicTemplate), privateTemplate,
          std::size(privateTemplate), &publicKey, &privateKey);
      rv != CKR_OK) {
    return TokenFailure("C_GenerateKeyPair", rv);
  }
  const auto modulus = session.Attribute(publicKey, CKA_MODULUS);
  const auto publicExponent = session.Attribute(publicKey, CKA_PUBLIC_EXPONENT);
  if (!modulus || !publicExponent) return Failure(E_FAIL, "the token hides the new public key");
  return RsaPublicKey(*modulus, *publicExponent);
}

Result<Done> StoreCertificateOnToken(const Pkcs11Session& session, ByteView certificate,
                                     ByteView id, const std::string& label) {
  auto parsed = CertContext::FromEncoded(certificate);
  if (!parsed) return parsed.error();
  CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
  CK_CERTIFICATE_TYPE x509 = CKC_X_509;
  CK_BBOOL yes = CK_TRUE;
  Bytes value(certificate.begin(), certificate.end());
  Bytes idCopy(id.begin(), id.end());
  Bytes subject((*parsed)->encodedSubject().begin(), (*parsed)->encodedSubject().end());
  Bytes issuer((*parsed)->encodedIssuer().begin(), (*parsed)->encodedIssuer().end());
  std::string labelCopy = label;
  CK_ATTRIBUTE attributes[] = {
      AttributeOf(CKA_CLASS, certificateClass),
      AttributeOf(CKA_CERTIFICATE_TYPE, x509),
      AttributeOf(CKA_TOKEN, yes),
      {CKA_VALUE, value.data(), value.size()},
      {CKA_ID, idCopy.data(), idCopy.size()},
      {CKA_SUBJECT, subject.data(), subject.size()},
      {CKA_ISSUER, issuer.data(), issuer.size()},
      {CKA_LABEL, labelCopy.data(), labelCopy.size()},
  };
  CK_OBJECT_HANDLE object = 0;
  if (CK_RV rv = session.functions().C_CreateObject(session.handle(), attributes,
                                                    std::size(attributes), &object);
      rv != CKR_OK) {
    return TokenFailure("C_CreateObject", rv);
  }
  return Done{};
}

}  // namespace velsor::crypt
