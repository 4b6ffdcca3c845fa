#include "message_pieces.h"

#include <algorithm>

namespace velsor::bridge {
namespace {

using nlohmann::json;

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// A cut that does not split a UTF-8 sequence.
std::size_t CharacterBoundary(std::string_view text, std::size_t at) {
  while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
    --at;
  }
  return at;
}

json PieceOf(const json& id, std::size_t index, std::size_t count, std::string_view text) {
  return json{{"id", id}, {"piece", index}, {"pieces", count}, {"text", text}};
}

}  // namespace

std::vector<std::string> SplitIntoFrames(const std::string& message, const json& id,
                                         std::size_t frameLimit) {
  if (message.size() <= frameLimit) return {message};
  // Room for the piece's own fields (a usable id takes at most 66 bytes); a text that
  // escaping grows past the rest is cut shorter.
  const std::size_t room = frameLimit > 320 ? frameLimit - 160 : frameLimit / 2;
  std::vector<std::string_view> texts;
  std::vector<std::string> frames;
  std::string_view rest = message;
  // The piece count is written in every piece, so cut first and then write.
  while (!rest.empty()) {
    std::size_t cut = CharacterBoundary(rest, std::min(rest.size(), room));
    if (cut == 0) cut = 1;
    while (cut > 1 && Dump(json(rest.substr(0, cut))).size() > room) {
      cut = CharacterBoundary(rest, cut / 2);
      if (cut == 0) cut = 1;
    }
    texts.push_back(rest.substr(0, cut));
    rest.remove_prefix(cut);
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    frames.push_back(Dump(PieceOf(id, i, texts.size(), texts[i])));
  }
  return frames;
}

std::string TooBigRefusal(std::uint64_t size) {
  return "a request of " + std::to_string(size) +
         " bytes is over the 32 MiB one call may carry; a page passes bigger data as a file "
         "the user picks";
}

bool IsPiece(const json& message) { return message.is_object() && message.contains("piece"); }

PieceJoiner::Outcome PieceJoiner::Add(const json& piece) {
  const auto reset = [this] {
    expected_ = next_ = 0;
    joined_.clear();
    joined_.shrink_to_fit();
  };
  const json* index = piece.contains("piece") ? &piece["piece"] : nullptr;
  const json* count = piece.contains("pieces") ? &piece["pieces"] : nullptr;
  const json* text = piece.contains("text") ? &piece["text"] : nullptr;
  const auto isCount = [](const json* number) {
    return number != nullptr && number->is_number_integer() && number->get<std::int64_t>() >= 0;
  };
  if (!isCount(index) || !isCount(count) || text == nullptr || !text->is_string()) {
    reset();
    return {std::nullopt, "a piece needs a piece number, a piece count and a text"};
  }
  const auto at = index->get<std::uint64_t>();
  const auto of = count->get<std::uint64_t>();
  if (of == 0 || of > kMaxPieces || at >= of) {
    reset();
    return {std::nullopt, "a piece's number or count is out of range"};
  }
  if (at == 0) {
    reset();
    id_ = piece.value("id", json());
    expected_ = static_cast<std::size_t>(of);
  } else if (expected_ == 0 || at != next_ || of != expected_ || piece.value("id", json()) != id_) {
    reset();
    return {std::nullopt, "a piece arrived out of its series"};
  }
  const auto& part = text->get_ref<const std::string&>();
  if (joined_.size() + part.size() > kMaxRequest) {
    reset();
    return {std::nullopt, TooBigRefusal(joined_.size() + part.size())};
  }
  joined_ += part;
  next_ = static_cast<std::size_t>(at) + 1;
  if (next_ < expected_) return {};
  std::string whole = std::move(joined_);
  reset();
  return {std::move(whole), {}};
}

}  // namespace velsor::bridge
