#include "control/cert_info_store.h"

namespace velsor::control {

void StoreCertInfo(certs::CertInfo& stored, certs::CertInfo&& fromEngine) {
  if (fromEngine.unavailable) {
    stored = certs::CertInfo{};
    return;
  }
  for (std::size_t i = 0; i < certs::kCertDetailCount; ++i) {
    if (fromEngine.items[i]) stored.items[i] = std::move(fromEngine.items[i]);
  }
}

void ClearCertInfo(ControlState& state, CertDetailSets sets) noexcept {
  const auto clear = [](certs::CertInfo& info) {
    for (auto& item : info.items) item.reset();
  };
  if (sets == CertDetailSets::Signer || sets == CertDetailSets::SignerAndRecipient) {
    clear(state.signerCertInfo);
  }
  if (sets == CertDetailSets::Recipient || sets == CertDetailSets::SignerAndRecipient) {
    clear(state.reciptCertInfo);
  }
}

}  // namespace velsor::control
