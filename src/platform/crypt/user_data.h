#pragma once
// The current user's certificate database: the system stores with their certificates,
// properties and CRLs, and the key containers with their keys.

#include <memory>

#include "platform/crypt/crypt_result.h"
#include "platform/crypt/sqlite_db.h"

namespace velsor::crypt {

inline constexpr char kCertStoreFile[] = "certstore.db";

CryptResult<std::shared_ptr<Database>> OpenCertStoreDatabase();

}  // namespace velsor::crypt
