#pragma once
// A platform error value with OpenSSL's reason for people to read; clears OpenSSL's
// error queue so that no stale reason is reported later.

#include "platform/base/result.h"

namespace velsor::crypt {

Error OpenSslError(HRESULT code, const char* what);

}  // namespace velsor::crypt
