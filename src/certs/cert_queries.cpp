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

// The provider's default container, then the stores.
Result<std::vector<crypt::CertStore>> OpenStores(std::initializer_list<std::u16string_view> names) {
  if (crypt::AcquireDefaultContext(crypt::kEnhancedProvider) ==
      crypt::DefaultContext::Unavailable) {
    return Failure(kNoProviderContext, "no provider context");
  }
  std::vector<crypt::CertStore> stores;
  for (std::u16string_view name : names) {
    auto store = crypt::CertStore::Open(name);
    if (!store) return Failure(kStoreUnavailable, "a store cannot be opened");
    stores.push_back(std::move(*store));
  }
  return stores;
}

}  // namespace

Result<bool> CertExists(std::u16string_view dn) {
  const auto my = OpenStores({u"MY"});
  if (!my) return my.error();
  if (dn.empty()) return false;
  return FindCertBySubjectDn(*my, dn) || FindCertBySubjectDn(*my, crypt::ReverseDnOrder(dn));
}

Result<std::u16string> GetCertExtension(std::u16string_view dn, std::u16string_view oid,
                                        std::uint32_t codePage) {
  const auto stores = OpenStores({u"CA", u"ROOT", u"AddressBOOK", u"MY"});
  if (!stores) return stores.error();
  const auto certificate = FindCertBySubjectDn(*stores, dn);
  if (!certificate) return Failure(kNoSuchCertificate, "no certificate with that subject");
  const auto narrowOid = codepage::ToCodePage(codePage, oid);
  if (!narrowOid) return Failure(kOidNotConvertible, "the OID is not in the code page");
  auto text = crypt::ExtensionText(*certificate, *narrowOid);
  if (!text) return Failure(kNoSuchExtension, "no such extension");
  return std::move(*text);
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
