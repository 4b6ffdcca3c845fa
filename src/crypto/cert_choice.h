#pragma once
// How the engines pick the certificate of one party: by subject DN (matched without any
// dialog in server mode, otherwise offered for choice and retried with its RDNs the other
// way round when nothing matched), by serial number and issuer, or in the chooser when
// the page names none.

#include <span>
#include <string_view>

#include "certs/cert_selection.h"
#include "platform/crypt/cert_store.h"

namespace velsor::crypto {

struct ChoiceRule {
  certs::KeyFamily family = certs::KeyFamily::Plain;
  certs::ChooserSetting chooser;
};

// A signer: with `signatureKeyOnly` only certificates linked to a signature key qualify.
// The signer's key is used, so a web page's request always reaches the chooser.
// A token's PIN is asked through the dialogs the choice uses.
inline PinPrompt PinPromptOf(ui::DialogHost& dialogs) {
  return [&dialogs](const PinRequest& request) { return dialogs.AskPin(request); };
}

inline ChoiceRule SignerChoice(bool signatureKeyOnly, const certs::ChooserSetting& chooser) {
  certs::ChooserSetting forKey = chooser;
  forKey.privateKeyUse = true;
  return {signatureKeyOnly ? certs::KeyFamily::Signature : certs::KeyFamily::Plain, forKey};
}

crypt::CertContextPtr ChooseBySubject(std::span<const crypt::CertStore> stores, bool serverMode,
                                      std::u16string_view dn, std::u16string_view separator,
                                      const ChoiceRule& rule);

crypt::CertContextPtr ChooseByIssuerSerial(std::span<const crypt::CertStore> stores,
                                           std::u16string_view serialNumbers,
                                           std::u16string_view issuerDn, const ChoiceRule& rule);

}  // namespace velsor::crypto
