#pragma once
// The candidates of a certificate choice, five values per certificate: the short names of
// subject and issuer, the expiry text, the serial text and the encoded issuer name. The
// chooser shows and sorts rows made from the first four; the last two turn a chosen entry
// back into its certificate.

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"

namespace velsor::certs {

inline constexpr std::int32_t kNodesPerEntry = 5;

// Positions of the five values within an entry.
enum class EntryField { SubjectName, IssuerName, Expiry, Serial, EncodedIssuer };

class CertEntryList {
 public:
  // The five values of a certificate, with the fixed texts where it gives none.
  void AppendCertificate(const crypt::CertContext& certificate);

  std::int32_t Count() const { return static_cast<std::int32_t>(nodes_.size()); }
  std::int32_t EntryCount() const { return Count() / kNodesPerEntry; }

  // A value of entry `entry`, or nothing when there is no such entry.
  std::optional<std::u16string> EntryText(std::int32_t entry, EntryField field) const;

  // The certificate of entry `entry`, found again by its issuer and serial in `stores`.
  crypt::CertContextPtr ResolveEntry(std::int32_t entry,
                                     std::span<const crypt::CertStore> stores) const;

 private:
  // The node of a value, or nothing when there is no such entry.
  template <class Value>
  const Value* Node(std::int32_t entry, EntryField field) const;

  std::vector<std::variant<Bytes, std::u16string>> nodes_;
};

// The first certificate in the first store that has one with this encoded issuer and this
// serial text; nothing when no store has.
crypt::CertContextPtr FindCertByIssuerAndSerial(std::span<const crypt::CertStore> stores,
                                                ByteView encodedIssuer,
                                                std::u16string_view serialText);

}  // namespace velsor::certs
