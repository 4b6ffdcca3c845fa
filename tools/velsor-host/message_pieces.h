#pragma once
// Messages bigger than one frame travel as numbered pieces:
//   {"id": ID, "piece": I, "pieces": N, "text": "..."}
// whose texts, joined in order, are the whole message's JSON. Replies over 1 MiB leave
// this way; the extension sends requests over its own limit the same way.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velsor::bridge {

// A request, whole or joined from pieces, may not pass this size: what the host holds
// for one request is a few times its size (the text, its parsed form, its UTF-16 form for
// the control), and a page that wants to sign more passes a file the user picks.
inline constexpr std::size_t kMaxRequest = 32u << 20;
inline constexpr std::size_t kMaxPieces = 4096;

// The frames that carry `message`: itself when it fits in `frameLimit` bytes, else pieces
// that each fit. Each piece repeats `id`, which must be a usable one (message_id.h).
std::vector<std::string> SplitIntoFrames(const std::string& message, const nlohmann::json& id,
                                         std::size_t frameLimit);

bool IsPiece(const nlohmann::json& message);

// Why a request of `size` bytes (or more) is not taken.
std::string TooBigRefusal(std::uint64_t size);

// Joins pieces as they arrive, one message at a time.
class PieceJoiner {
 public:
  struct Outcome {
    std::optional<std::string> whole{};  // set when the last piece arrived
    std::string refusal{};               // set when the piece does not fit the series
  };
  Outcome Add(const nlohmann::json& piece);

 private:
  nlohmann::json id_{};
  std::size_t expected_ = 0;  // pieces in the series under way; 0 when none
  std::size_t next_ = 0;
  std::string joined_{};
};

}  // namespace velsor::bridge
