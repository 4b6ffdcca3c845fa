#include "certs/cert_queries.h"

#include "certs/cert_selection.h"
#include "certs/cert_text.h"
#include "platform/codepage/codepage.h"
#include "platform/crypt/cert_find.h"
#include "platform/crypt/dn_text.h"
#include "platform/crypt/extension_text.h"
#include "platform/crypt/key_containers.h"
#include "platform/crypt/name_text.h"

namespace velsor::certs {
namespace {

std::int32_t AcquireDefaultContext() {
  return crypt::AcquireDefaultContext(crypt::kEnhancedProvider) ==
                 crypt::DefaultContext::Unavailable
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
  if (FindCertBySubjectDn(*my, dn) || FindCertBySubjectDn(*my, crypt::ReverseDnOrder(dn))) return 1;
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
  auto text = crypt::ExtensionText(*certificate, *narrowOid);
  if (!text) return {kNoSuchExtension, {}};
  return {0, std::move(*text)};
}

std::size_t EnumCertsDnByIssuers(std::span<const crypt::CertStore> stores,
                                 std::span<const std::u16string> issuerDns,
                                 std::vector<std::u16string>& subjects, std::size_t capacity) {
  // Each store is read once, whatever the number of issuers asked about.
  struct Row {
    std::u16string issuer, issuerSimple, subject;
  };
  std::vector<std::vector<Row>> rows;
  for (const crypt::CertStore& store : stores) {
    auto& kept = rows.emplace_back();
    store.VisitNames([&](const crypt::StoredCertNames& names) {
      kept.push_back({names.issuer, names.issuerSimple, names.subject});
      return true;
    });
  }
  for (std::u16string_view issuerDn : issuerDns) {
    const crypt::ExactDn issuer(issuerDn);
    for (const auto& storeRows : rows) {
      for (const Row& row : storeRows) {
        if (subjects.size() >= capacity) return subjects.size();
        if (issuer.Matches(row.issuer, row.issuerSimple)) {
          subjects.push_back(row.subject);
        }
      }
    }
  }
  return subjects.size();
}

std::size_t EnumCertsDnByIssuers(std::span<const crypt::CertStore> stores,
                                 std::u16string_view issuerDn,
                                 std::vector<std::u16string>& subjects, std::size_t capacity) {
  const std::u16string one(issuerDn);
  return EnumCertsDnByIssuers(stores, std::span(&one, 1), subjects, capacity);
}

}  // namespace velsor::certs
