// Certificates on the system's certificate contexts; properties are the context's own.

#include "platform/crypt/cert_context.h"

#include <vector>

#include "platform/crypt/der_reader.h"
#include "system_cert.h"

namespace velsor::crypt {

struct CertContextAccess {
  // Fills the fields whose bytes matter as encoded, read from the encoding itself.
  static Result<std::shared_ptr<CertContext>> Build(PCCERT_CONTEXT owned) {
    auto decoded = std::make_shared<const CertContext::Decoded>(owned);
    Bytes encoded(owned->pbCertEncoded, owned->pbCertEncoded + owned->cbCertEncoded);
    const auto fields = ReadTbsFields(encoded);
    if (!fields) return Failure(CRYPT_E_OSS_ERROR, "malformed certificate");
    auto context = std::make_shared<CertContext>(CertContext::Key{}, Bytes{}, decoded);
    context->issuerAt_ = static_cast<std::size_t>(fields->issuer.data() - encoded.data());
    context->issuerSize_ = fields->issuer.size();
    context->subjectAt_ = static_cast<std::size_t>(fields->subject.data() - encoded.data());
    context->subjectSize_ = fields->subject.size();
    context->serialBlob_.assign(fields->serialContent.rbegin(), fields->serialContent.rend());
    context->notBefore_ = SecondsSinceEpoch(owned->pCertInfo->NotBefore);
    context->notAfter_ = SecondsSinceEpoch(owned->pCertInfo->NotAfter);
    context->encoded_ = std::move(encoded);
    return context;
  }
  static void PlaceIn(CertContext& context, SystemStore store, std::int64_t index) {
    context.store_ = store;
    context.storedId_ = index;
  }
};

std::time_t SecondsSinceEpoch(const FILETIME& time) {
  constexpr std::uint64_t kEpochIn100ns = 116444736000000000ULL;
  const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  if (ticks < kEpochIn100ns) return -static_cast<std::time_t>((kEpochIn100ns - ticks) / 10000000);
  return static_cast<std::time_t>((ticks - kEpochIn100ns) / 10000000);
}

Result<std::shared_ptr<CertContext>> CertContext::Parse(ByteView encoded) {
  if (encoded.size() > 0x7FFFFFFF) return Failure(CRYPT_E_OSS_ERROR, "not a DER certificate");
  PCCERT_CONTEXT created = CertCreateCertificateContext(kEncodings, encoded.data(),
                                                        static_cast<DWORD>(encoded.size()));
  if (created == nullptr) return Failure(CRYPT_E_OSS_ERROR, "not a DER certificate");
  if (created->cbCertEncoded != encoded.size()) {
    CertFreeCertificateContext(created);
    return Failure(CRYPT_E_OSS_ERROR, "bytes after the certificate");
  }
  return CertContextAccess::Build(created);
}

Result<CertContextPtr> CertContext::FromEncoded(ByteView encoded) {
  auto parsed = Parse(encoded);
  if (!parsed) return parsed.error();
  return CertContextPtr(std::move(*parsed));
}

Result<CertContextPtr> ContextFromSystem(PCCERT_CONTEXT owned, SystemStore store,
                                         std::int64_t index) {
  auto built = CertContextAccess::Build(owned);
  if (!built) return built.error();
  CertContextAccess::PlaceIn(**built, store, index);
  return CertContextPtr(std::move(*built));
}

// The system keeps the stores; a context is never made from our own rows here.
Result<CertContextPtr> CertContext::FromStore(ByteView, SystemStore, std::int64_t,
                                              std::shared_ptr<UserData>) {
  return Failure(E_NOTIMPL, "the system's stores make their own contexts");
}

// Tokens are the system's providers' business on Windows: their certificates are in "MY".
Result<CertContextPtr> CertContext::FromToken(ByteView, std::int64_t, const KeyProvInfo&,
                                              std::u16string) {
  return Failure(E_NOTIMPL, "the system's providers hold the tokens");
}

std::vector<DWORD> CertContext::PropertyIds() const {
  std::vector<DWORD> ids;
  for (DWORD id = CertEnumCertificateContextProperties(SystemContextOf(*this), 0); id != 0;
       id = CertEnumCertificateContextProperties(SystemContextOf(*this), id)) {
    ids.push_back(id);
  }
  return ids;
}

std::optional<Bytes> CertContext::Property(DWORD id) const {
  if (id == CERT_KEY_PROV_INFO_PROP_ID) {
    const auto info = KeyProvInfoOf(SystemContextOf(*this));
    if (!info) return std::nullopt;
    return EncodeKeyProvInfo(*info);
  }
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(SystemContextOf(*this), id, nullptr, &size)) {
    return std::nullopt;
  }
  Bytes value(size);
  if (!CertGetCertificateContextProperty(SystemContextOf(*this), id, value.data(), &size)) {
    return std::nullopt;
  }
  value.resize(size);
  return value;
}

std::optional<KeyProvInfo> CertContext::KeyProviderInfo() const {
  return KeyProvInfoOf(SystemContextOf(*this));
}

std::optional<KeyProvInfo> KeyProvInfoOf(PCCERT_CONTEXT context) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size) ||
      size < sizeof(CRYPT_KEY_PROV_INFO)) {
    return std::nullopt;
  }
  // The structure points into the rest of the same buffer, so it is kept aligned.
  std::vector<std::uint64_t> buffer((size + 7) / 8);
  if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, buffer.data(),
                                         &size)) {
    return std::nullopt;
  }
  const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.data());
  KeyProvInfo ours;
  ours.containerName = FromWide(info->pwszContainerName);
  ours.providerName = FromWide(info->pwszProvName);
  ours.provType = info->dwProvType;
  ours.flags = info->dwFlags;
  ours.keySpec = info->dwKeySpec;
  return ours;
}

bool SetKeyProvInfo(PCCERT_CONTEXT context, const KeyProvInfo& info) {
  std::wstring container = ToWide(info.containerName);
  std::wstring provider = ToWide(info.providerName);
  CRYPT_KEY_PROV_INFO system{};
  system.pwszContainerName = container.data();
  system.pwszProvName = provider.data();
  system.dwProvType = info.provType;
  system.dwFlags = info.flags;
  system.dwKeySpec = info.keySpec;
  return CertSetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, 0, &system) != FALSE;
}

}  // namespace velsor::crypt
