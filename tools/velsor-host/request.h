#pragma once
// What a page asks of its control, as the extension forwards it:
//   {"id": 7, "origin": "https://bank.example", "member": "VLAttachedSign",
//    "access": "call", "args": ["CN=Alice"]}
// access is "get" (property read), "put" (property write, one argument) or "call".
// Arguments are strings, numbers, booleans or null, at most eight.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace velsor::bridge {

enum class Access { Get, Put, Call };

inline constexpr std::size_t kMaxArguments = 8;
inline constexpr std::size_t kMaxMemberName = 64;

struct Request {
  nlohmann::json id;
  std::string origin;
  std::string member;
  Access access = Access::Call;
  nlohmann::json args = nlohmann::json::array();
};

struct ParsedRequest {
  std::optional<Request> request{};
  std::string refusal{};        // why the message is not a request
  nlohmann::json id = nullptr;  // the message's id when it had a usable one, for the reply
};

// `message` is any JSON value; nothing in it is trusted.
ParsedRequest ParseRequest(nlohmann::json message);

// JSON text to a value; nothing when it is not JSON (or not UTF-8).
std::optional<nlohmann::json> ParseJson(std::string_view text);

}  // namespace velsor::bridge
