#include "request.h"

#include "message_id.h"

namespace velsor::bridge {
namespace {

using nlohmann::json;

bool IsMemberName(const std::string& name) {
  if (name.empty() || name.size() > kMaxMemberName) return false;
  for (const char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

std::optional<Access> AccessNamed(const json& access) {
  if (!access.is_string()) return std::nullopt;
  const auto& name = access.get_ref<const std::string&>();
  if (name == "get") return Access::Get;
  if (name == "put") return Access::Put;
  if (name == "call") return Access::Call;
  return std::nullopt;
}

}  // namespace

std::optional<json> ParseJson(std::string_view text) {
  json value = json::parse(text, nullptr, false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

ParsedRequest ParseRequest(json message) {
  ParsedRequest parsed;
  if (!message.is_object()) {
    parsed.refusal = "a request is a JSON object";
    return parsed;
  }
  const auto id = message.find("id");
  if (id == message.end() || UsableId(*id).is_null()) {
    parsed.refusal = "a request needs an id: an integer or a short string";
    return parsed;
  }
  parsed.id = *id;
  const auto origin = message.find("origin");
  const auto member = message.find("member");
  const auto access = message.find("access");
  if (origin == message.end() || !origin->is_string()) {
    parsed.refusal = "the request carries no origin";
    return parsed;
  }
  if (member == message.end() || !member->is_string() ||
      !IsMemberName(member->get_ref<const std::string&>())) {
    parsed.refusal = "the request names no member";
    return parsed;
  }
  const auto kind = access == message.end() ? std::nullopt : AccessNamed(*access);
  if (!kind) {
    parsed.refusal = "access must be \"get\", \"put\" or \"call\"";
    return parsed;
  }
  json args = json::array();
  if (const auto given = message.find("args"); given != message.end()) {
    if (!given->is_array() || given->size() > kMaxArguments) {
      parsed.refusal = "args must be an array of at most 8 values";
      return parsed;
    }
    for (const json& arg : *given) {
      if (!arg.is_string() && !arg.is_number() && !arg.is_boolean() && !arg.is_null()) {
        parsed.refusal = "an argument must be a string, a number, a boolean or null";
        return parsed;
      }
    }
    args = std::move(*given);
  }
  if (*kind == Access::Get && !args.empty()) {
    parsed.refusal = "a property read takes no arguments";
    return parsed;
  }
  if (*kind == Access::Put && args.size() != 1) {
    parsed.refusal = "a property write takes exactly one value";
    return parsed;
  }
  parsed.request =
      Request{*id, origin->get<std::string>(), member->get<std::string>(), *kind, std::move(args)};
  return parsed;
}

}  // namespace velsor::bridge
