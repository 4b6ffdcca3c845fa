// The token key sits behind an RSA_METHOD: OpenSSL 3 still routes a key with its own
// method through it for every signature and decryption, which is what lets PKCS#7
// signing use a key it cannot see. Those interfaces are marked deprecated, hence:
#define OPENSSL_SUPPRESS_DEPRECATED

#include "platform/crypt/openssl/token_key.h"

#include <openssl/rsa.h>
#include <p11-kit/uri.h>

#include <cstring>
#include <memory>

#include "platform/codepage/utf.h"
#include "platform/crypt/openssl/pkcs11_module.h"

namespace velsor::crypt {
namespace {

constexpr int kMostPinTries = 3;

struct UriFree {
  void operator()(P11KitUri* uri) const { p11_kit_uri_free(uri); }
};
using UriPtr = std::unique_ptr<P11KitUri, UriFree>;
using RsaPtr = std::unique_ptr<RSA, OpenSslFree<RSA_free>>;

// What the RSA object carries: the session it is logged in on and the key's handle.
struct TokenKeyRef {
  Pkcs11Session session;
  CK_OBJECT_HANDLE key;
};

void FreeTokenKeyRef(void*, void* ref, CRYPTO_EX_DATA*, int, long, void*) {
  std::unique_ptr<TokenKeyRef>(static_cast<TokenKeyRef*>(ref));  // takes it back, and frees it
}

int TokenRefIndex() {
  static const int index = RSA_get_ex_new_index(0, nullptr, nullptr, nullptr, FreeTokenKeyRef);
  return index;
}

const TokenKeyRef* RefOf(RSA* rsa) {
  return static_cast<const TokenKeyRef*>(RSA_get_ex_data(rsa, TokenRefIndex()));
}

// One mechanism call on the token: C_SignInit + C_Sign or C_DecryptInit + C_Decrypt.
// The output is at most the modulus' size; -1 on any failure, as OpenSSL expects.
int OnToken(bool sign, int inputLength, const unsigned char* input, unsigned char* output,
            RSA* rsa, int padding) {
  const TokenKeyRef* ref = RefOf(rsa);
  if (ref == nullptr || padding != RSA_PKCS1_PADDING || inputLength < 0) return -1;
  CK_FUNCTION_LIST& f = ref->session.functions();
  CK_MECHANISM mechanism{CKM_RSA_PKCS, nullptr, 0};
  const CK_SESSION_HANDLE session = ref->session.handle();
  CK_ULONG outputLength = static_cast<CK_ULONG>(RSA_size(rsa));
  auto* in = const_cast<unsigned char*>(input);
  const auto length = static_cast<CK_ULONG>(inputLength);
  CK_RV rv = sign ? f.C_SignInit(session, &mechanism, ref->key)
                  : f.C_DecryptInit(session, &mechanism, ref->key);
  if (rv == CKR_OK) {
    rv = sign ? f.C_Sign(session, in, length, output, &outputLength)
              : f.C_Decrypt(session, in, length, output, &outputLength);
  }
  if (rv != CKR_OK || outputLength > static_cast<CK_ULONG>(RSA_size(rsa))) return -1;
  return static_cast<int>(outputLength);
}

int TokenSign(int length, const unsigned char* from, unsigned char* to, RSA* rsa, int padding) {
  return OnToken(true, length, from, to, rsa, padding);
}

int TokenDecrypt(int length, const unsigned char* from, unsigned char* to, RSA* rsa,
                 int padding) {
  return OnToken(false, length, from, to, rsa, padding);
}

using RsaMethodPtr = std::unique_ptr<RSA_METHOD, OpenSslFree<RSA_meth_free>>;

// Made once and kept for the life of the process, as OpenSSL's own methods are.
const RSA_METHOD* TokenRsaMethod() {
  static const RsaMethodPtr method = [] {
    RsaMethodPtr made(RSA_meth_dup(RSA_PKCS1_OpenSSL()));
    if (made) {
      RSA_meth_set1_name(made.get(), "velsor token key");
      RSA_meth_set_priv_enc(made.get(), TokenSign);
      RSA_meth_set_priv_dec(made.get(), TokenDecrypt);
    }
    return made;
  }();
  return method.get();
}

struct KeyLocation {
  std::string modulePath;
  UriPtr uri;
  Bytes id;
};

std::optional<KeyLocation> ParseContainer(std::u16string_view container) {
  UriPtr uri(p11_kit_uri_new());
  const std::string text = codepage::Utf16ToUtf8(container);
  if (!uri || p11_kit_uri_parse(text.c_str(), P11_KIT_URI_FOR_ANY, uri.get()) != P11_KIT_URI_OK) {
    return std::nullopt;
  }
  const char* module = p11_kit_uri_get_module_path(uri.get());
  const CK_ATTRIBUTE* id = p11_kit_uri_get_attribute(uri.get(), CKA_ID);
  if (module == nullptr || id == nullptr || id->pValue == nullptr) return std::nullopt;
  const auto* bytes = static_cast<const std::uint8_t*>(id->pValue);
  Bytes idBytes(bytes, bytes + id->ulValueLen);
  return KeyLocation{module, std::move(uri), std::move(idBytes)};
}

std::u16string Notice(CK_FLAGS flags, bool justWrong) {
  std::u16string notice;
  if (justWrong) {
    notice = u"PIN 不正确 (wrong PIN)";
  } else if (flags & (CKF_USER_PIN_COUNT_LOW | CKF_USER_PIN_FINAL_TRY)) {
    notice = u"上次输入的 PIN 不正确 (the last PIN entered was wrong)";
  }
  if (flags & CKF_USER_PIN_FINAL_TRY) {
    notice += u"，只剩最后一次机会 (one try left before the token locks)";
  } else if (flags & CKF_USER_PIN_COUNT_LOW) {
    notice += u"，剩余次数不多 (few tries left before the token locks)";
  }
  return notice;
}

Error Locked() { return Failure(SCARD_W_CHV_BLOCKED, "the token's PIN is locked"); }

// Logs the session's user in, asking the PIN as often as the token allows up to three
// times; a PIN pad on the reader takes it without our dialog.
Result<Done> LogIn(const Pkcs11Session& session, const std::u16string& label,
                   const PinPrompt& prompt) {
  auto info = TokenInfo(*session.module(), session.slot());
  if (!info) return Failure(SCARD_E_NO_SMARTCARD, "the token is not present");
  if (info->flags & CKF_USER_PIN_LOCKED) return Locked();
  if (!(info->flags & CKF_LOGIN_REQUIRED)) return Done{};
  CK_FUNCTION_LIST& f = session.functions();
  if (info->flags & CKF_PROTECTED_AUTHENTICATION_PATH) {
    const CK_RV rv = f.C_Login(session.handle(), CKU_USER, nullptr, 0);
    if (rv == CKR_OK || rv == CKR_USER_ALREADY_LOGGED_IN) return Done{};
    return Failure(rv == CKR_PIN_LOCKED ? SCARD_W_CHV_BLOCKED : SCARD_W_WRONG_CHV,
                   "the reader's PIN pad did not log in");
  }
  std::u16string notice = Notice(info->flags, false);
  for (int attempt = 0; attempt < kMostPinTries; ++attempt) {
    if (!prompt) return Failure(SCARD_W_CANCELLED_BY_USER, "nobody can be asked for the PIN");
    PinAnswer answer = prompt(PinRequest{label, notice});
    if (answer.outcome == PinOutcome::Cancelled) {
      return Failure(SCARD_W_CANCELLED_BY_USER, "the PIN dialog was cancelled");
    }
    if (answer.outcome == PinOutcome::TimedOut) {
      return Failure(SCARD_F_WAITED_TOO_LONG, "the PIN dialog was not answered in time");
    }
    const CK_RV rv = f.C_Login(session.handle(), CKU_USER, answer.pin.data(),
                               static_cast<CK_ULONG>(answer.pin.size()));
    if (rv == CKR_OK || rv == CKR_USER_ALREADY_LOGGED_IN) return Done{};
    if (rv == CKR_PIN_LOCKED) return Locked();
    if (rv != CKR_PIN_INCORRECT && rv != CKR_PIN_LEN_RANGE) {
      return Failure(rv == CKR_DEVICE_REMOVED || rv == CKR_TOKEN_NOT_PRESENT ? SCARD_E_NO_SMARTCARD
                                                                            : NTE_BAD_KEYSET,
                     "the token refused the login (" + std::to_string(rv) + ")");
    }
    info = TokenInfo(*session.module(), session.slot());
    if (info && (info->flags & CKF_USER_PIN_LOCKED)) return Locked();
    notice = Notice(info ? info->flags : 0, true);
  }
  return Failure(SCARD_W_WRONG_CHV, "the PIN was wrong three times");
}

// The public half of the key: from the private key object, or from a public key with the
// same id when the token keeps those attributes there.
std::optional<std::pair<Bytes, Bytes>> PublicParts(const Pkcs11Session& session,
                                                   CK_OBJECT_HANDLE key, const Bytes& id) {
  auto modulus = session.Attribute(key, CKA_MODULUS);
  auto exponent = session.Attribute(key, CKA_PUBLIC_EXPONENT);
  if (modulus && exponent && !modulus->empty() && !exponent->empty()) {
    return std::pair(std::move(*modulus), std::move(*exponent));
  }
  CK_OBJECT_CLASS publicClass = CKO_PUBLIC_KEY;
  Bytes idCopy = id;
  const auto publicKeys = session.Find(
      {AttributeOf(CKA_CLASS, publicClass), {CKA_ID, idCopy.data(), idCopy.size()}});
  for (CK_OBJECT_HANDLE publicKey : publicKeys) {
    modulus = session.Attribute(publicKey, CKA_MODULUS);
    exponent = session.Attribute(publicKey, CKA_PUBLIC_EXPONENT);
    if (modulus && exponent && !modulus->empty() && !exponent->empty()) {
      return std::pair(std::move(*modulus), std::move(*exponent));
    }
  }
  return std::nullopt;
}

Result<EvpPkeyPtr> KeyBehindToken(Pkcs11Session session, CK_OBJECT_HANDLE key, const Bytes& id) {
  const auto parts = PublicParts(session, key, id);
  if (!parts) return Failure(NTE_BAD_KEYSET, "the token does not show the key's modulus");
  const RSA_METHOD* method = TokenRsaMethod();
  RsaPtr rsa(RSA_new());
  BignumPtr n(BN_bin2bn(parts->first.data(), static_cast<int>(parts->first.size()), nullptr));
  BignumPtr e(BN_bin2bn(parts->second.data(), static_cast<int>(parts->second.size()), nullptr));
  if (method == nullptr || !rsa || !n || !e || RSA_set_method(rsa.get(), method) != 1 ||
      RSA_set0_key(rsa.get(), n.get(), e.get(), nullptr) != 1) {
    return Failure(E_OUTOFMEMORY, "token key");
  }
  n.release();  // the RSA object owns them now
  e.release();
  auto ref = std::make_unique<TokenKeyRef>(TokenKeyRef{std::move(session), key});
  if (RSA_set_ex_data(rsa.get(), TokenRefIndex(), ref.get()) != 1) {
    return Failure(E_OUTOFMEMORY, "token key");
  }
  ref.release();  // freed with the RSA object, by FreeTokenKeyRef
  EvpPkeyPtr pkey(EVP_PKEY_new());
  if (!pkey || EVP_PKEY_assign_RSA(pkey.get(), rsa.get()) != 1) {
    return Failure(E_OUTOFMEMORY, "token key");
  }
  rsa.release();
  return pkey;
}

}  // namespace

std::u16string TokenKeyContainer(const std::string& modulePath, const CK_TOKEN_INFO& token,
                                 ByteView id) {
  UriPtr uri(p11_kit_uri_new());
  if (!uri) return {};
  std::memcpy(p11_kit_uri_get_token_info(uri.get()), &token, sizeof token);
  Bytes idCopy(id.begin(), id.end());
  CK_OBJECT_CLASS keyClass = CKO_PRIVATE_KEY;
  CK_ATTRIBUTE attributes[] = {{CKA_ID, idCopy.data(), idCopy.size()},
                               AttributeOf(CKA_CLASS, keyClass)};
  p11_kit_uri_set_attributes(uri.get(), attributes, 2);
  p11_kit_uri_set_module_path(uri.get(), modulePath.c_str());
  char* text = nullptr;
  if (p11_kit_uri_format(uri.get(), P11_KIT_URI_FOR_OBJECT_ON_TOKEN, &text) != P11_KIT_URI_OK ||
      text == nullptr) {
    return {};
  }
  std::u16string container = codepage::Utf8ToUtf16(text);
  std::free(text);
  return container;
}

Result<EvpPkeyPtr> OpenTokenKey(std::u16string_view container, const PinPrompt& pin) {
  const auto location = ParseContainer(container);
  if (!location) return Failure(NTE_BAD_KEYSET, "the key link names no token key");
  auto module = Pkcs11Module::Load(location->modulePath);
  if (!module) return Failure(SCARD_E_NO_SMARTCARD, module.error().detail);
  for (CK_SLOT_ID slot : (*module)->SlotsWithToken()) {
    auto info = TokenInfo(**module, slot);
    if (!info || p11_kit_uri_match_token_info(location->uri.get(), &*info) != 1) continue;
    auto session = Pkcs11Session::Open(*module, slot);
    if (!session) return session.error();
    const std::u16string label =
        codepage::Utf8ToUtf16(TokenText(info->label, sizeof info->label));
    if (auto loggedIn = LogIn(*session, label, pin); !loggedIn) return loggedIn.error();
    CK_OBJECT_CLASS privateClass = CKO_PRIVATE_KEY;
    Bytes id = location->id;
    const auto keys =
        session->Find({AttributeOf(CKA_CLASS, privateClass), {CKA_ID, id.data(), id.size()}});
    if (keys.empty()) return Failure(NTE_NO_KEY, "the token holds no such key");
    return KeyBehindToken(std::move(*session), keys.front(), location->id);
  }
  return Failure(SCARD_E_NO_SMARTCARD, "the token is not present");
}

}  // namespace velsor::crypt
