#include "crypto/cert_choice.h"

namespace velsor::crypto {

crypt::CertContextPtr ChooseBySubject(std::span<const crypt::CertStore> stores, bool serverMode,
                                      std::u16string_view dn, std::u16string_view separator,
                                      const ChoiceRule& rule) {
  if (dn.empty()) return certs::ChooseCert(stores, rule.chooser, rule.family);
  if (serverMode) return certs::FindCertBySubject(stores, dn, separator);
  const certs::SubjectSelection selected =
      certs::SelectCertBySubject(stores, dn, separator, false, rule.chooser, rule.family);
  // Only when nothing matched is the DN tried again with its RDNs the other way round; a
  // cancelled chooser is the user's answer.
  if (selected.certificate || selected.matched) return selected.certificate;
  return certs::SelectCertBySubject(stores, crypt::ReverseDnOrder(dn), separator, true,
                                    rule.chooser, rule.family)
      .certificate;
}

crypt::CertContextPtr ChooseByIssuerSerial(std::span<const crypt::CertStore> stores,
                                           std::u16string_view serialNumbers,
                                           std::u16string_view issuerDn, const ChoiceRule& rule) {
  if (serialNumbers.empty()) return certs::ChooseCert(stores, rule.chooser, rule.family);
  auto chosen =
      certs::SelectCertByIssuerSerial(stores, serialNumbers, issuerDn, rule.chooser, rule.family);
  if (!chosen) {
    chosen = certs::SelectCertByIssuerSerial(stores, serialNumbers, crypt::ReverseDnOrder(issuerDn),
                                             rule.chooser, rule.family);
  }
  return chosen;
}

}  // namespace velsor::crypto
