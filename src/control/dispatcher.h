#pragma once
// Late-bound access to the interface: names to dispatch identifiers, and calls by
// identifier with script-typed arguments coerced to each member's parameter types.

#include "control/ombrel_tolvane_velsor.h"

namespace velsor::control {

HRESULT GetIdsOfNames(LPOLESTR* names, UINT nameCount, DISPID* dispids);

// A member that fails with an error HRESULT is reported as DISP_E_EXCEPTION with the
// HRESULT in `exception`; S_OK and S_FALSE pass through.
HRESULT InvokeMember(IOmbrelTolvaneVelsor20_64& target, DISPID dispid, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError);

}  // namespace velsor::control
