// The digest of a whole message, on whichever hash object the platform makes.

#include "platform/crypt/hash_object.h"

namespace velsor::crypt {

Result<Bytes> HashMessage(std::string_view digestOid, ByteView content) {
  auto hash = HashObject::Create(digestOid);
  if (!hash) return hash.error();
  if (auto updated = hash->Update(content); !updated) return updated.error();
  return hash->Finish();
}

}  // namespace velsor::crypt
