#include "platform/crypt/cert_context.h"

#include <openssl/asn1.h>
#include <openssl/err.h>

#include <algorithm>

#include "platform/base/storage/sqlite_db.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/der_reader.h"
#include "platform/crypt/openssl/session_caches.h"
#include "platform/crypt/openssl/user_data_connection.h"

namespace velsor::crypt {
namespace {

std::optional<std::time_t> SecondsOf(const ASN1_TIME* time) {
  std::tm parts{};
  if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) return std::nullopt;
  return timegm(&parts);
}

}  // namespace

namespace {

Result<X509Ptr> DecodeX509(ByteView encoded) {
  const unsigned char* cursor = encoded.data();
  ERR_clear_error();
  X509Ptr x509(d2i_X509(nullptr, &cursor, static_cast<long>(encoded.size())));
  if (!x509) {
    // The first reason OpenSSL queued is the innermost: what in the encoding is wrong
    // ("wrong tag", "invalid utf8string", ...).
    const unsigned long error = ERR_peek_error();
    const char* reason = error != 0 ? ERR_reason_error_string(error) : nullptr;
    ERR_clear_error();
    return Failure(CRYPT_E_OSS_ERROR,
                   std::string("not a DER certificate") + (reason ? std::string(": ") + reason : ""));
  }
  if (cursor != encoded.data() + encoded.size()) {
    return Failure(CRYPT_E_OSS_ERROR, "not a DER certificate: bytes follow its end");
  }
  return x509;
}

}  // namespace

// Builds a context around a certificate OpenSSL decoded from `encoded`.
struct CertContextAccess {
  static Result<std::shared_ptr<CertContext>> FromDecoded(ByteView encoded, X509Ptr x509) {
    Bytes copy(encoded.begin(), encoded.end());
    const auto fields = ReadTbsFields(copy);
    const auto notBefore = SecondsOf(X509_get0_notBefore(x509.get()));
    const auto notAfter = SecondsOf(X509_get0_notAfter(x509.get()));
    if (!fields) {
      return Failure(CRYPT_E_OSS_ERROR, "malformed certificate: its fields cannot be read");
    }
    if (!notBefore || !notAfter) {
      return Failure(CRYPT_E_OSS_ERROR, "malformed certificate: a validity time cannot be read");
    }
    const std::size_t issuerAt = static_cast<std::size_t>(fields->issuer.data() - copy.data());
    const std::size_t subjectAt = static_cast<std::size_t>(fields->subject.data() - copy.data());
    const Bytes serial(fields->serialContent.rbegin(), fields->serialContent.rend());
    const std::size_t issuerSize = fields->issuer.size();
    const std::size_t subjectSize = fields->subject.size();
    auto decoded =
        std::make_shared<const CertContext::Decoded>(CertContext::Decoded{std::move(x509)});
    auto context =
        std::make_shared<CertContext>(CertContext::Key{}, std::move(copy), std::move(decoded));
    context->issuerAt_ = issuerAt;
    context->issuerSize_ = issuerSize;
    context->subjectAt_ = subjectAt;
    context->subjectSize_ = subjectSize;
    context->serialBlob_ = serial;
    context->notBefore_ = *notBefore;
    context->notAfter_ = *notAfter;
    return context;
  }
};

// A certificate seen before in this session is copied rather than decoded again.
Result<std::shared_ptr<CertContext>> CertContext::Parse(ByteView encoded) {
  SessionCaches* caches = ActiveSessionCaches();
  if (caches != nullptr) {
    if (auto known = caches->certificates.Find(encoded)) {
      return std::make_shared<CertContext>(*known);
    }
  }
  auto x509 = DecodeX509(encoded);
  if (!x509) return x509.error();
  auto parsed = CertContextAccess::FromDecoded(encoded, std::move(*x509));
  if (parsed && caches != nullptr) {
    caches->certificates.Keep(std::make_shared<CertContext>(**parsed));
  }
  return parsed;
}

// The certificate a message carried is already decoded: only its encoding is taken.
Result<CertContextPtr> CertContextFromX509(const X509& certificate) {
  unsigned char* der = nullptr;
  const int length = i2d_X509(&certificate, &der);
  if (length <= 0) return Failure(CRYPT_E_OSS_ERROR, "the certificate cannot be encoded");
  const OpenSslMemoryPtr<unsigned char> owned(der);
  X509* shared = const_cast<X509*>(&certificate);
  if (X509_up_ref(shared) != 1) return Failure(CRYPT_E_OSS_ERROR, "the certificate cannot be held");
  auto parsed = CertContextAccess::FromDecoded(ByteView(der, static_cast<std::size_t>(length)),
                                               X509Ptr(shared));
  if (!parsed) return parsed.error();
  return CertContextPtr(std::move(*parsed));
}

Result<CertContextPtr> CertContext::FromEncoded(ByteView encoded) {
  auto parsed = Parse(encoded);
  if (!parsed) return parsed.error();
  return CertContextPtr(std::move(*parsed));
}

Result<CertContextPtr> CertContext::FromStore(ByteView encoded, SystemStore store, std::int64_t id,
                                              std::shared_ptr<UserData> database) {
  auto parsed = Parse(encoded);
  if (!parsed) return parsed.error();
  auto context = std::move(*parsed);
  context->store_ = store;
  context->storedId_ = id;
  context->database_ = std::move(database);
  return CertContextPtr(std::move(context));
}

Result<CertContextPtr> CertContext::FromToken(ByteView encoded, std::int64_t id,
                                              const KeyProvInfo& link, std::u16string token) {
  auto parsed = Parse(encoded);
  if (!parsed) return parsed.error();
  auto context = std::move(*parsed);
  context->store_ = SystemStore::My;
  context->storedId_ = id;
  context->token_ = std::move(token);
  context->tokenLink_ = EncodeKeyProvInfo(link);
  return CertContextPtr(std::move(context));
}

std::vector<DWORD> CertContext::PropertyIds() const {
  std::vector<DWORD> ids;
  if (token_) return {CERT_KEY_PROV_INFO_PROP_ID};
  if (!database_ || !storedId_) return ids;
  try {
    auto query = database_->Prepare(
        "SELECT property FROM certificate_properties WHERE certificate = ?1 ORDER BY rowid");
    query.Bind(1, *storedId_);
    while (query.Step()) ids.push_back(static_cast<DWORD>(query.Integer(0)));
  } catch (const storage::SqliteError&) {
    ids.clear();
  }
  return ids;
}

std::optional<Bytes> CertContext::Property(DWORD id) const {
  if (token_) {
    return id == CERT_KEY_PROV_INFO_PROP_ID ? std::optional<Bytes>(tokenLink_) : std::nullopt;
  }
  if (!database_ || !storedId_) return std::nullopt;
  try {
    auto query = database_->Prepare(
        "SELECT value FROM certificate_properties WHERE certificate = ?1 AND property = ?2");
    query.Bind(1, *storedId_).Bind(2, std::int64_t{id});
    if (query.Step()) return query.Blob(0);
  } catch (const storage::SqliteError&) {
  }
  return std::nullopt;
}

std::optional<KeyProvInfo> CertContext::KeyProviderInfo() const {
  const auto stored = Property(CERT_KEY_PROV_INFO_PROP_ID);
  if (!stored) return std::nullopt;
  return DecodeKeyProvInfo(*stored);
}

}  // namespace velsor::crypt
