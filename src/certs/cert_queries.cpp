#include "certs/cert_queries.h"

#include "certs/cert_selection.h"
#include "certs/cert_text.h"
#include "certs/dn_short_name.h"
#include "platform/codepage/codepage.h"
#include "platform/crypt/cert_find.h"
#include "platform/crypt/extension_text.h"
#include "platform/crypt/key_containers.h"

namespace velsor::certs {
namespace {

std::int32_t AcquireDefaultContext() {
  return crypt::AcquireDefaultContext(crypt::MS_ENHANCED_PROV) == crypt::DefaultContext::Unavailable
             ? kNoProviderContext
             : 0;
}

std::optional<std::vector<crypt::CertStore>> OpenStores(
    std::initializer_list<std::u16string_view> names) {
  std::vector<crypt::CertStore> stores;
  for (std::u16string_view name : names) {
    auto store = crypt::CertStore::Open(name);
    if (!store) return std::nullopt;
    stores.push_back(std::move(*store));
  }
  return stores;
}

}  // namespace

std::int32_t CertExists(std::u16string_view dn) {
  if (std::int32_t status = AcquireDefaultContext(); status != 0) return status;
  const auto my = OpenStores({u"MY"});
  if (!my) return kStoreUnavailable;
  if (dn.empty()) return 0;
  if (FindCertBySubjectDn(*my, dn) || FindCertBySubjectDn(*my, ReverseDnOrder(dn))) return 1;
  return 0;
}

ExtensionText GetCertExtension(std::u16string_view dn, std::u16string_view oid,
                               std::uint32_t codePage) {
  if (std::int32_t status = AcquireDefaultContext(); status != 0) return {status, {}};
  const auto stores = OpenStores({u"CA", u"ROOT", u"AddressBOOK", u"MY"});
  if (!stores) return {kStoreUnavailable, {}};
  const auto certificate = FindCertBySubjectDn(*stores, dn);
  if (!certificate) return {kNoSuchCertificate, {}};
  const auto narrowOid = codepage::ToCodePage(codePage, oid);
  if (!narrowOid) return {kOidNotConvertible, {}};
  const X509_EXTENSION* extension = crypt::FindExtension(*certificate, *narrowOid);
  if (extension == nullptr) return {kNoSuchExtension, {}};
  return {0, crypt::ExtensionDisplayText(*extension)};
}

std::size_t EnumCertsDnByIssuers(std::span<const crypt::CertStore> stores,
                                 std::u16string_view issuerDn,
                                 std::vector<std::u16string>& subjects, std::size_t capacity) {
  const std::u16string search = ShortNameOfDn(issuerDn);
  const std::u16string issuer = NormalizeDn(issuerDn);
  for (const crypt::CertStore& store : stores) {
    const auto certificates = store.Certificates();
    if (!certificates) continue;
    for (const auto& candidate : crypt::FindByIssuerString(*certificates, search)) {
      if (subjects.size() >= capacity) return subjects.size();
      const CertText issuerText =
          GetCertText(candidate.get(), static_cast<int>(CertDetail::Issuer));
      if (issuerText.status != kCertTextOk || issuerText.text != issuer) continue;
      const CertText subject = GetCertText(candidate.get(), static_cast<int>(CertDetail::Subject));
      if (subject.status == kCertTextOk) subjects.push_back(subject.text);
    }
  }
  return subjects.size();
}

}  // namespace velsor::certs
