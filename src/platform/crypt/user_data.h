#pragma once
// The current user's certificate database: the system stores with their certificates,
// properties and CRLs, and the key containers with their keys.

#include <memory>

#include "platform/base/result.h"
#include "platform/base/storage/sqlite_db.h"

namespace velsor::crypt {

inline constexpr char kCertStoreFile[] = "certstore.db";

Result<std::shared_ptr<storage::Database>> OpenCertStoreDatabase();

}  // namespace velsor::crypt
