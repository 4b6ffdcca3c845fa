// The system keeps the user's stores and keys; there is no database of ours to open.

#include "platform/crypt/user_data.h"

namespace velsor::crypt {

Result<std::shared_ptr<storage::Database>> OpenCertStoreDatabase() {
  return std::shared_ptr<storage::Database>();
}

}  // namespace velsor::crypt
