#pragma once
// What every engine operation does before it looks for a certificate: a context on the
// default key container of its provider (created when missing), then the current user's
// stores it names, in order, on one connection to the user's data.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "crypto/cert_choice.h"
#include "platform/base/status_codes.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/key_containers.h"

namespace velsor::crypto {

struct EngineStores {
  std::int32_t status = 0;  // -10019 without a context, -10018 when a store cannot be opened
  std::vector<crypt::CertStore> stores{};
  bool withContext = false;  // false when creating the default container failed
};

EngineStores OpenEngineStores(std::u16string_view provider,
                              std::initializer_list<std::u16string_view> storeNames);

struct ChosenSigner {
  std::int32_t status = 0;  // also -10005 when `choose` finds none
  crypt::CertContextPtr certificate{};
  bool withContext = false;
};

// The signer's way in: "MY" on the Enhanced provider's default context, and the
// certificate `choose` picks there.
template <class Choose>
ChosenSigner ChooseSignerInPersonalStore(Choose&& choose) {
  const EngineStores opened = OpenEngineStores(crypt::kEnhancedProvider, {u"MY"});
  if (opened.status != 0) return {opened.status};
  crypt::CertContextPtr signer = choose(std::span<const crypt::CertStore>(opened.stores));
  if (!signer) return {status::kNoCertificate};
  return {0, std::move(signer), opened.withContext};
}

// The signer chosen by subject DN in "MY", as the signing engines choose it.
inline ChosenSigner ChooseSignerBySubject(bool serverMode, std::u16string_view dn,
                                          std::u16string_view separator, bool signatureKeyOnly,
                                          const certs::ChooserSetting& chooser) {
  return ChooseSignerInPersonalStore([&](std::span<const crypt::CertStore> stores) {
    return ChooseBySubject(stores, serverMode, dn, separator,
                           SignerChoice(signatureKeyOnly, chooser));
  });
}

}  // namespace velsor::crypto
