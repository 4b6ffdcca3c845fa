#pragma once
// The Windows service's side of a certificate: the system's certificate context behind
// CertContext, and the conversions between the system's structures and ours.

#include <windows.h>
#include <wincrypt.h>

#include <ctime>
#include <string>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/key_prov_info.h"

namespace velsor::crypt {

inline constexpr DWORD kEncodings = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct CertContext::Decoded {
  explicit Decoded(PCCERT_CONTEXT owned) : context(owned) {}
  ~Decoded() { CertFreeCertificateContext(context); }
  Decoded(const Decoded&) = delete;
  Decoded& operator=(const Decoded&) = delete;
  PCCERT_CONTEXT context;
};

inline PCCERT_CONTEXT SystemContextOf(const CertContext& certificate) {
  return certificate.decoded().context;
}

// A context for `owned` (whose reference it takes over), as the certificate at position
// `index` of a system store.
Result<CertContextPtr> ContextFromSystem(PCCERT_CONTEXT owned, SystemStore store,
                                         std::int64_t index);

std::time_t SecondsSinceEpoch(const FILETIME& time);

// The key provider information property as the system keeps it and as ours encodes it.
std::optional<KeyProvInfo> KeyProvInfoOf(PCCERT_CONTEXT context);
bool SetKeyProvInfo(PCCERT_CONTEXT context, const KeyProvInfo& info);

inline std::u16string FromWide(const wchar_t* text) {
  std::u16string out;
  for (; text != nullptr && *text != L'\0'; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}
inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The system's last error as an HRESULT: the crypt functions report HRESULTs already,
// the others Win32 codes.
inline HRESULT LastError() {
  const DWORD error = GetLastError();
  if (error == 0) return E_FAIL;
  if (error & 0x80000000u) return static_cast<HRESULT>(error);
  return HRESULT_FROM_WIN32(error);
}

}  // namespace velsor::crypt
