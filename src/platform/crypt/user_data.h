#pragma once
// The current user's certificate database: the system stores with their certificates,
// properties and CRLs, and the key containers with their keys.

#include <memory>

#include "platform/base/result.h"

namespace velsor::storage {
class Database;
}

namespace velsor::crypt {

inline constexpr char kCertStoreFile[] = "certstore.db";

Result<std::shared_ptr<storage::Database>> OpenCertStoreDatabase();

}  // namespace velsor::crypt
