#include "message_id.h"

#include <algorithm>
#include <string>

#include "platform/base/hex.h"
#include "platform/codepage/utf.h"

namespace velsor::bridge {
namespace {

using nlohmann::json;

// The surrogate a \uXXXX escape at `at` names: 1 for a high half, 2 for a low one, 0 for
// any other escape or none.
int SurrogateEscapeAt(std::string_view text, std::size_t at) {
  if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    if (!HexDigitValue(static_cast<unsigned char>(text[i]))) return 0;
  }
  if ((text[at + 2] | 0x20) != 'd') return 0;
  switch (text[at + 3] | 0x20) {
    case '8': case '9': case 'a': case 'b':
      return 1;
    case 'c': case 'd': case 'e': case 'f':
      return 2;
    default:
      return 0;
  }
}

// `message` with every half character replaced, so that the rest can be read: a lone
// surrogate escape by "?", a broken UTF-8 sequence by U+FFFD (the code-page round trip).
std::string WithoutHalfCharacters(std::string_view message) {
  std::string mended;
  mended.reserve(message.size());
  for (std::size_t at = 0; at < message.size();) {
    const std::size_t escape = message.find('\\', at);
    if (escape == std::string_view::npos) {
      mended.append(message.substr(at));
      break;
    }
    mended.append(message.substr(at, escape - at));
    at = escape;
    const int half = SurrogateEscapeAt(message, at);
    if (half == 1 && SurrogateEscapeAt(message, at + 6) == 2) {
      mended.append(message.substr(at, 12));
      at += 12;
    } else if (half != 0) {
      mended += '?';
      at += 6;
    } else {
      // Any other escape, the escaped character included.
      mended.append(message.substr(at, std::min<std::size_t>(2, message.size() - at)));
      at += 2;
    }
  }
  return codepage::Utf16ToUtf8(codepage::Utf8ToUtf16(mended));
}

// Reads values as they stream past and stops at the top level's "id", so a message cut
// short or broken after its id still gives it up.
class IdReader final : public json::json_sax_t {
 public:
  json id = nullptr;

  bool null() override { return Value(nullptr); }
  bool boolean(bool value) override { return Value(value); }
  bool number_integer(number_integer_t value) override { return Value(value); }
  bool number_unsigned(number_unsigned_t value) override { return Value(value); }
  bool number_float(number_float_t value, const string_t&) override { return Value(value); }
  bool string(string_t& value) override { return Value(value); }
  bool binary(binary_t&) override { return Value(nullptr); }
  bool start_object(std::size_t) override { return Open(); }
  bool start_array(std::size_t) override { return Open(); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }
  bool key(string_t& name) override {
    idComesNext_ = depth_ == 1 && name == "id";
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool Value(const json& value) {
    if (!idComesNext_) return true;
    id = UsableId(value);
    return false;  // nothing after the id is needed
  }
  bool Open() {
    // An object or array is never a usable id.
    if (idComesNext_) return false;
    ++depth_;
    return true;
  }
  bool Close() {
    --depth_;
    return true;
  }
  int depth_ = 0;
  bool idComesNext_ = false;
};

}  // namespace

json UsableId(const json& id) {
  if (id.is_number_integer()) return id;
  if (!id.is_string()) return nullptr;
  // Written as they stand, so an id takes no more room in a frame than its length.
  const auto& text = id.get_ref<const std::string&>();
  const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\';
  });
  return text.size() <= kMaxIdLength && plain ? id : json(nullptr);
}

json ReadableId(std::string_view message) {
  const std::string mended = WithoutHalfCharacters(message);
  IdReader reader;
  json::sax_parse(mended, &reader, json::input_format_t::json, false);
  return reader.id;
}

}  // namespace velsor::bridge
