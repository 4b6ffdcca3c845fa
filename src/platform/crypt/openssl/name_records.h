#pragma once
// The names kept beside each certificate in the user's database (the POSIX stores).

#include <cstdint>

#include "platform/base/bytes.h"
#include "platform/crypt/stored_names.h"

namespace velsor::storage {
class Database;
}

namespace velsor::crypt {

// Records the names of the stored certificate `id`, replacing any recorded before.
void RecordCertNames(storage::Database& database, std::int64_t id, const CertContext& certificate);

// Records the names of every stored certificate afresh; a row that no longer decodes gets
// none and is left out of searches, as it is left out of enumeration.
void RecordAllCertNames(storage::Database& database);

// The digest the duplicate check looks an encoding up by.
Bytes EncodingDigest(ByteView encoded);

}  // namespace velsor::crypt
