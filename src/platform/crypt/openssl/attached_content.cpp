#include "platform/crypt/openssl/attached_content.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

#include "platform/base/der.h"
#include "platform/crypt/der_reader.h"

namespace velsor::crypt {
namespace {

// 1.2.840.113549.1.7.2 and 1.2.840.113549.1.7.1
constexpr std::uint8_t kSignedDataOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
constexpr std::uint8_t kDataOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01};

bool Is(const std::optional<DerElement>& element, der::Tag tag) {
  return element && element->tag == tag;
}

bool IsOid(const std::optional<DerElement>& element, ByteView oid) {
  return Is(element, der::kObjectIdentifier) && std::ranges::equal(element->content, oid);
}

// A page's message is read as BER: its signer may not have written DER's shortest lengths,
// and OpenSSL takes the message all the same.
std::optional<DerElement> ReadElement(ByteView& input) {
  return ReadDerElement(input, der::Encoding::Ber);
}

// A ContentInfo's fields: the type `oid`, then its content in [0] EXPLICIT, and nothing after.
struct TypedContent {
  ByteView typeElement;
  ByteView content;
};

std::optional<TypedContent> ReadTypedContent(ByteView fields, ByteView oid) {
  const auto type = ReadElement(fields);
  const auto explicitContent = ReadElement(fields);
  if (!IsOid(type, oid) || !Is(explicitContent, der::ContextTag(0)) || !fields.empty()) {
    return std::nullopt;
  }
  return TypedContent{type->whole, explicitContent->content};
}

// One constructed element around `parts`, which are already encoded.
std::optional<Bytes> Wrap(der::Tag tag, std::initializer_list<ByteView> parts) {
  std::size_t length = 0;
  for (ByteView part : parts) length += part.size();
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  Bytes out;
  out.reserve(length + 8);
  if (!der::AppendIdentifier(out, tag) ||
      !der::AppendLength(out, static_cast<std::int32_t>(length))) {
    return std::nullopt;
  }
  for (ByteView part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

}  // namespace

std::optional<SplitMessage> SplitAttachedContent(ByteView message) {
  ByteView input = message;
  const auto contentInfo = ReadElement(input);
  if (!Is(contentInfo, der::kSequence)) return std::nullopt;
  const auto signedInfo = ReadTypedContent(contentInfo->content, kSignedDataOid);
  if (!signedInfo) return std::nullopt;
  ByteView holder = signedInfo->content;
  const auto signedData = ReadElement(holder);
  if (!Is(signedData, der::kSequence) || !holder.empty()) return std::nullopt;

  ByteView fields = signedData->content;
  const auto version = ReadElement(fields);
  const auto digestAlgorithms = ReadElement(fields);
  const auto encapsulated = ReadElement(fields);
  if (!Is(version, der::kInteger) || !Is(digestAlgorithms, der::kSet) ||
      !Is(encapsulated, der::kSequence)) {
    return std::nullopt;
  }
  // Certificates, CRLs and signer infos stay as they are encoded.
  const ByteView rest = fields;

  const auto data = ReadTypedContent(encapsulated->content, kDataOid);
  if (!data) return std::nullopt;
  ByteView octets = data->content;
  const auto content = ReadElement(octets);
  if (!Is(content, der::kOctetString) || !octets.empty() || content->content.empty()) {
    return std::nullopt;
  }

  const auto typeOnly = Wrap(der::kSequence, {data->typeElement});
  if (!typeOnly) return std::nullopt;
  const auto body =
      Wrap(der::kSequence, {version->whole, digestAlgorithms->whole, *typeOnly, rest});
  if (!body) return std::nullopt;
  const auto explicitBody = Wrap(der::ContextTag(0), {*body});
  if (!explicitBody) return std::nullopt;
  auto detached = Wrap(der::kSequence, {signedInfo->typeElement, *explicitBody});
  if (!detached) return std::nullopt;
  return SplitMessage{std::move(*detached),
                      static_cast<std::size_t>(content->content.data() - message.data()),
                      content->content.size()};
}

}  // namespace velsor::crypt
