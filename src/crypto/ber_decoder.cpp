#include "crypto/ber_decoder.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "platform/base/hex.h"

namespace velsor::crypto {
namespace {

constexpr std::size_t kMaxArcs = 50;

// Content octets of 0 to 4 bytes, sign-extended to 32 bits.
std::optional<std::int32_t> IntegerValue(ByteView content) {
  if (content.size() > 4) return std::nullopt;
  std::uint32_t value = !content.empty() && (content[0] & 0x80) ? 0xFFFFFFFFu : 0;
  for (std::uint8_t byte : content) value = (value << 8) | byte;
  return static_cast<std::int32_t>(value);
}

std::optional<std::vector<std::int32_t>> Arcs(ByteView content) {
  if (content.empty() || content[0] / 40 > 2) return std::nullopt;
  std::vector<std::int32_t> arcs{content[0] / 40, content[0] % 40};
  std::uint64_t arc = 0;
  bool open = false;  // inside an arc whose last byte has not come yet
  for (std::uint8_t byte : content.subspan(1)) {
    arc = (arc << 7) | (byte & 0x7F);
    if (arc > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      return std::nullopt;
    }
    open = (byte & 0x80) != 0;
    if (open) continue;
    if (arcs.size() == kMaxArcs) return std::nullopt;
    arcs.push_back(static_cast<std::int32_t>(arc));
    arc = 0;
  }
  if (open) return std::nullopt;
  return arcs;
}

using Outcome = Result<Done>;

Error Malformed() { return Failure(CRYPT_E_ASN1_CORRUPT, "malformed BER"); }

// What one letter works with: the cursor, the header read for it (when it reads one) and
// the caller's output pointers.
struct Step {
  der::Cursor& cursor;
  const der::Header& header;
  ArgCursor<BerArg>& args;

  template <class T>
  T* Out(ArgKind kind) {
    const BerArg* arg = args.Next(kind);
    return arg ? static_cast<T*>(arg->pointer) : nullptr;
  }
  std::optional<ByteView> Content() { return cursor.Take(static_cast<std::size_t>(header.length)); }
};

using Handler = Outcome (*)(Step&);
struct Letter {
  Handler run = nullptr;
  bool readsHeader = true;  // the element's header is read before `run`
};

Outcome Nothing(Step&) { return Done{}; }

Outcome PeekTag(Step& step) {
  auto* tag = step.Out<std::int32_t>(kIntOut);
  auto* classByte = step.Out<std::uint8_t>(kByteOut);
  if (tag == nullptr || classByte == nullptr) return Malformed();
  const std::size_t start = step.cursor.position();
  const Result<der::Tag> next = step.cursor.ReadIdentifier();
  step.cursor.Rewind(start);
  if (!next) return next.error();
  *tag = next->number;
  *classByte = next->classByte;
  return Done{};
}

Outcome WholeElement(Step& step) {
  auto* element = step.Out<Bytes>(kBytesOut);
  auto* length = step.Out<std::int32_t>(kIntOut);
  if (element == nullptr || length == nullptr) return Malformed();
  const std::size_t start = step.cursor.position();
  const Result<der::Header> header = step.cursor.ReadHeader();
  if (!header) return header.error();
  if (!step.cursor.Take(static_cast<std::size_t>(header->length))) return Malformed();
  const ByteView whole = step.cursor.data().subspan(start, step.cursor.position() - start);
  element->assign(whole.begin(), whole.end());
  *length = static_cast<std::int32_t>(element->size());
  return Done{};
}

Outcome Skip(Step& step) {
  if (!step.Content()) return Malformed();
  return Done{};
}

Outcome Boolean(Step& step) {
  auto* value = step.Out<std::uint8_t>(kByteOut);
  const auto byte = step.cursor.Take(1);
  if (value == nullptr || !byte || ((*byte)[0] != 0x00 && (*byte)[0] != 0xFF)) return Malformed();
  *value = (*byte)[0];
  return Done{};
}

Outcome SmallInteger(Step& step) {
  auto* value = step.Out<std::int32_t>(kIntOut);
  if (value == nullptr || step.header.length > 4) return Malformed();
  const auto content = step.Content();
  if (!content) return Malformed();
  *value = *IntegerValue(*content);
  return Done{};
}

Outcome HexInteger(Step& step) {
  auto* text = step.Out<std::string>(kTextOut);
  auto* length = step.Out<std::int32_t>(kIntOut);
  const auto content = step.Content();
  if (text == nullptr || length == nullptr || !content) return Malformed();
  *text = HexText(*content, HexCase::Upper);
  *length = 2 * step.header.length;
  return Done{};
}

Outcome OctetContent(Step& step) {
  auto* bytes = step.Out<Bytes>(kBytesOut);
  auto* length = step.Out<std::int32_t>(kIntOut);
  const auto content = step.Content();
  if (bytes == nullptr || length == nullptr || !content) return Malformed();
  bytes->assign(content->begin(), content->end());
  *length = step.header.length;
  return Done{};
}

Outcome Ia5Text(Step& step) {
  auto* text = step.Out<std::string>(kTextOut);
  const auto content = step.Content();
  if (text == nullptr || !content) return Malformed();
  text->assign(AsText(*content));
  return Done{};
}

Outcome TimeText(Step& step) {
  const BerArg* buffer = step.args.Next(kTextBuffer);
  const auto content = step.Content();
  // The caller's buffer must hold the text and its terminating zero.
  if (buffer == nullptr || !content || buffer->buffer.size() <= content->size()) {
    return Malformed();
  }
  std::memcpy(buffer->buffer.data(), content->data(), content->size());
  buffer->buffer[content->size()] = '\0';
  return Done{};
}

Outcome BitString(Step& step) {
  auto* bytes = step.Out<Bytes>(kBytesOut);
  auto* bits = step.Out<std::int32_t>(kIntOut);
  if (bytes == nullptr || bits == nullptr) return Malformed();
  bytes->clear();
  *bits = 0;
  const std::int32_t length = step.header.length;
  if (length == 0) return Done{};
  const auto unused = step.cursor.Take(1);
  if (!unused || (*unused)[0] > 8) return Malformed();
  if (length == 1) return Done{};
  const auto data = step.cursor.Take(static_cast<std::size_t>(length - 1));
  if (!data) return Malformed();
  bytes->assign(data->begin(), data->end());
  bytes->back() &= static_cast<std::uint8_t>(0xFF << (*unused)[0]);
  *bits = 8 * (length - 1) - (*unused)[0];
  return Done{};
}

Outcome ObjectIdentifier(Step& step) {
  auto* arcs = step.Out<std::vector<std::int32_t>>(kArcsOut);
  auto* count = step.Out<std::int32_t>(kIntOut);
  const auto content = step.Content();
  if (arcs == nullptr || count == nullptr || !content) return Malformed();
  auto parsed = Arcs(*content);
  if (!parsed) return Malformed();
  *arcs = std::move(*parsed);
  *count = static_cast<std::int32_t>(arcs->size());
  return Done{};
}

constexpr std::array<Letter, 128> kLetters = [] {
  std::array<Letter, 128> letters{};
  for (char closer : {'}', ']', ')'}) letters[closer] = {Nothing, false};
  letters['t'] = {PeekTag, false};
  letters['$'] = {WholeElement, false};
  for (char opener : {'{', '[', '(', 'n'}) letters[opener] = {Nothing};
  letters['x'] = {Skip};
  letters['b'] = {Boolean};
  letters['i'] = letters['e'] = {SmallInteger};
  letters['I'] = {HexInteger};
  letters['o'] = letters['6'] = {OctetContent};
  letters['a'] = {Ia5Text};
  letters['g'] = letters['u'] = {TimeText};
  letters['B'] = {BitString};
  letters['O'] = {ObjectIdentifier};
  return letters;
}();

}  // namespace

Result<Done> BerContext::Decode(std::string_view format, std::span<const BerArg> args) {
  ArgCursor<BerArg> cursor(args);
  try {
    for (const char c : format) {
      const auto index = static_cast<unsigned char>(c);
      const Letter letter = index < kLetters.size() ? kLetters[index] : Letter{};
      if (letter.run == nullptr) return Malformed();
      der::Header header;
      if (letter.readsHeader) {
        const Result<der::Header> read = cursor_.ReadHeader();
        if (!read) return read.error();
        header = *read;
      }
      Step step{cursor_, header, cursor};
      if (Outcome outcome = letter.run(step); !outcome) return outcome;
    }
  } catch (const std::bad_alloc&) {
    return Malformed();
  }
  return Done{};
}

}  // namespace velsor::crypto
