#pragma once
// One certificate: its encoding, the platform's parsed form (opaque here; the service's
// own code reaches it), the fields whose bytes matter as encoded, and where it is stored
// (for its properties).

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/win_types.h"
#include "platform/crypt/key_prov_info.h"

namespace velsor::crypt {

// The user's data, open: what stores and key containers read and write (user_data.h).
class UserData;

class CertContext;
using CertContextPtr = std::shared_ptr<const CertContext>;

enum class SystemStore { My, Ca, Root, AddressBook };

class CertContext {
 public:
  struct Key {
    explicit Key() = default;
  };

  // The platform's decoded certificate, defined by the service's implementation.
  struct Decoded;

  // A certificate outside any store; CRYPT_E_OSS_ERROR for bytes that are not one.
  static Result<CertContextPtr> FromEncoded(ByteView encoded);

  const Bytes& encoded() const { return encoded_; }
  const Decoded& decoded() const { return *decoded_; }

  // The issuer and subject Name elements exactly as the certificate encodes them.
  ByteView encodedIssuer() const { return ByteView(encoded_).subspan(issuerAt_, issuerSize_); }
  ByteView encodedSubject() const { return ByteView(encoded_).subspan(subjectAt_, subjectSize_); }
  // The serial number's content octets as encoded (a leading 00 included), least
  // significant byte first.
  const Bytes& serialBlob() const { return serialBlob_; }

  // Validity in seconds since the epoch, UTC.
  std::time_t notBefore() const { return notBefore_; }
  std::time_t notAfter() const { return notAfter_; }

  // Where the certificate is stored; nothing for one made from bytes.
  std::optional<SystemStore> store() const { return store_; }
  std::optional<std::int64_t> storedId() const { return storedId_; }
  const std::shared_ptr<UserData>& database() const { return database_; }

  // Identifiers of the properties set on the certificate, in the order they were set.
  std::vector<DWORD> PropertyIds() const;
  std::optional<Bytes> Property(DWORD id) const;
  std::optional<KeyProvInfo> KeyProviderInfo() const;

  // The label of the token the certificate is on; nothing for one in the user's stores.
  const std::optional<std::u16string>& token() const { return token_; }

  // Makes a context for a stored certificate; used by the stores.
  static Result<CertContextPtr> FromStore(ByteView encoded, SystemStore store, std::int64_t id,
                                          std::shared_ptr<UserData> database);
  // Makes a context for a certificate on a token, shown in "MY" as `id` and linked to
  // its key on the token by `link`; nothing of it is stored.
  static Result<CertContextPtr> FromToken(ByteView encoded, std::int64_t id, const KeyProvInfo& link,
                                          std::u16string token);

  CertContext(Key, Bytes encoded, std::shared_ptr<const Decoded> decoded)
      : encoded_(std::move(encoded)), decoded_(std::move(decoded)) {}

 private:
  // The platform's implementation reaches the fields it fills through this.
  friend struct CertContextAccess;
  static Result<std::shared_ptr<CertContext>> Parse(ByteView encoded);

  Bytes encoded_;
  std::shared_ptr<const Decoded> decoded_;
  std::size_t issuerAt_ = 0, issuerSize_ = 0, subjectAt_ = 0, subjectSize_ = 0;
  Bytes serialBlob_;
  std::time_t notBefore_ = 0, notAfter_ = 0;
  std::optional<SystemStore> store_;
  std::optional<std::int64_t> storedId_;
  std::shared_ptr<UserData> database_;
  std::optional<std::u16string> token_;
  Bytes tokenLink_;  // the key provider information of a token's certificate
};

}  // namespace velsor::crypt
