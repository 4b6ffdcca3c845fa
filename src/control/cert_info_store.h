#pragma once
// The signer and recipient certificate details that methods keep for the page.

#include "certs/cert_info.h"
#include "control/control_state.h"

namespace velsor::control {

// Items the engine returned replace the stored ones; the others keep their value.
void StoreCertInfo(certs::CertInfo& stored, certs::CertInfo&& fromEngine);

// Empties all five items of each set named.
void ClearCertInfo(ControlState& state, CertDetailSets sets) noexcept;

}  // namespace velsor::control
