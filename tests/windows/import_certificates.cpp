// Puts test certificates into the current user's stores of a Windows (Wine) session:
//   import_certificates STORE CERT.der                    a certificate
//   import_certificates STORE CERT.der KEY.der [SPEC]     with its RSA key (PKCS#1 DER) as the
//                                                         exchange (default) or signature
//                                                         key of a new container
//   import_certificates STORE --crl CRL.der               a revocation list
// The key is imported here rather than through PFXImportCertStore: Wine's PFX import
// puts a key into a container it has used before and keeps the key it found there.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr DWORD kEncodings = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::vector<BYTE> Read(const wchar_t* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

int Fail(const char* what) {
  std::fprintf(stderr, "import_certificates: %s failed (%08lx)\n", what, GetLastError());
  return 1;
}

// A new container of the Enhanced provider holding `keyDer` as its `keySpec` key; its name.
std::wstring ImportKey(const std::vector<BYTE>& keyDer, DWORD keySpec) {
  DWORD blobSize = 0;
  if (!CryptDecodeObjectEx(kEncodings, PKCS_RSA_PRIVATE_KEY, keyDer.data(),
                           static_cast<DWORD>(keyDer.size()), 0, nullptr, nullptr, &blobSize)) {
    return {};
  }
  std::vector<BYTE> blob(blobSize);
  if (!CryptDecodeObjectEx(kEncodings, PKCS_RSA_PRIVATE_KEY, keyDer.data(),
                           static_cast<DWORD>(keyDer.size()), 0, nullptr, blob.data(), &blobSize)) {
    return {};
  }
  reinterpret_cast<BLOBHEADER*>(blob.data())->aiKeyAlg =
      keySpec == AT_SIGNATURE ? CALG_RSA_SIGN : CALG_RSA_KEYX;
  const std::wstring container = L"velsor-import-" + std::to_wstring(GetTickCount()) + L"-" +
                                 std::to_wstring(GetCurrentProcessId());
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, container.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                            CRYPT_NEWKEYSET)) {
    return {};
  }
  HCRYPTKEY key = 0;
  const bool imported = CryptImportKey(provider, blob.data(), blobSize, 0, 0, &key);
  if (imported) CryptDestroyKey(key);
  CryptReleaseContext(provider, 0);
  return imported ? container : std::wstring();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: import_certificates STORE CERT.der [KEY.der]\n", stderr);
    return 2;
  }
  HCERTSTORE target = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                    CERT_SYSTEM_STORE_CURRENT_USER, argv[1]);
  if (target == nullptr) return Fail("opening the store");
  int status = 0;
  if (std::wstring(argv[2]) == L"--crl") {
    std::vector<BYTE> crl = argc > 3 ? Read(argv[3]) : std::vector<BYTE>();
    if (!CertAddEncodedCRLToStore(target, kEncodings, crl.data(), static_cast<DWORD>(crl.size()),
                                  CERT_STORE_ADD_ALWAYS, nullptr)) {
      status = Fail("adding the revocation list");
    }
    CertControlStore(target, CERT_STORE_CTRL_COMMIT_FORCE_FLAG, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(target, 0);
    return status;
  }
  std::vector<BYTE> bytes = Read(argv[2]);
  PCCERT_CONTEXT added = nullptr;
  if (!CertAddEncodedCertificateToStore(target, kEncodings, bytes.data(),
                                        static_cast<DWORD>(bytes.size()),
                                        CERT_STORE_ADD_REPLACE_EXISTING, &added)) {
    status = Fail("adding the certificate");
  } else if (argc > 3) {
    const DWORD keySpec =
        argc > 4 && std::wstring(argv[4]) == L"signature" ? AT_SIGNATURE : AT_KEYEXCHANGE;
    std::wstring container = ImportKey(Read(argv[3]), keySpec);
    CRYPT_KEY_PROV_INFO link{};
    link.pwszContainerName = container.data();
    link.pwszProvName = const_cast<wchar_t*>(MS_ENHANCED_PROV_W);
    link.dwProvType = PROV_RSA_FULL;
    link.dwKeySpec = keySpec;
    if (container.empty() ||
        !CertSetCertificateContextProperty(added, CERT_KEY_PROV_INFO_PROP_ID, 0, &link)) {
      status = Fail("importing the key");
    }
  }
  if (added != nullptr) CertFreeCertificateContext(added);
  CertControlStore(target, CERT_STORE_CTRL_COMMIT_FORCE_FLAG, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(target, 0);
  return status;
}
