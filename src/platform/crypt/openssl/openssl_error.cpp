#include "platform/crypt/openssl/openssl_error.h"

#include <openssl/err.h>

namespace velsor::crypt {

Error OpenSslError(HRESULT code, const char* what) {
  char reason[256] = "";
  ERR_error_string_n(ERR_peek_last_error(), reason, sizeof reason);
  ERR_clear_error();
  return Failure(code, std::string(what) + ": " + reason);
}

}  // namespace velsor::crypt
