#include "platform/crypt/openssl/name_records.h"

#include <openssl/evp.h>

#include "platform/base/storage/sqlite_db.h"

namespace velsor::crypt {
namespace {

ByteView TextBytes(const std::u16string& text) {
  return ByteView(reinterpret_cast<const std::uint8_t*>(text.data()),
                  text.size() * sizeof(char16_t));
}

}  // namespace

Bytes EncodingDigest(ByteView encoded) {
  Bytes digest(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  if (EVP_Digest(encoded.data(), encoded.size(), digest.data(), &size, EVP_sha256(), nullptr) !=
      1) {
    // Without a digest every encoding shares one key; the comparison of encodings that
    // follows still tells them apart.
    return {};
  }
  digest.resize(size);
  return digest;
}

void RecordCertNames(storage::Database& database, std::int64_t id, const CertContext& certificate) {
  const StoredCertNames names = NamesOf(certificate, id);
  database
      .Prepare(
          "INSERT OR REPLACE INTO certificate_names (certificate, digest, subject, issuer, "
          "subject_simple, issuer_simple, serial, encoded_issuer) "
          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
      .Bind(1, id)
      .Bind(2, EncodingDigest(certificate.encoded()))
      .Bind(3, TextBytes(names.subject))
      .Bind(4, TextBytes(names.issuer))
      .Bind(5, TextBytes(names.subjectSimple))
      .Bind(6, TextBytes(names.issuerSimple))
      .Bind(7, names.serialBlob)
      .Bind(8, names.encodedIssuer)
      .Run();
}

void RecordAllCertNames(storage::Database& database) {
  database.Execute("DELETE FROM certificate_names");
  auto rows = database.Prepare("SELECT id, encoded FROM certificates ORDER BY id");
  while (rows.Step()) {
    const Bytes encoded = rows.Blob(1);
    if (auto certificate = CertContext::FromEncoded(encoded)) {
      RecordCertNames(database, rows.Integer(0), **certificate);
    }
  }
}

}  // namespace velsor::crypt
