#include "origin.h"

#include <algorithm>
#include <charconv>

namespace velsor::bridge {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  return lower;
}

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsIpv6Character(char c) {
  return (c >= 'a' && c <= 'f') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

int DefaultPort(std::string_view scheme) { return scheme == "https" ? 443 : 80; }

constexpr std::size_t kMaxOriginLength = 300;

}  // namespace

std::string Origin::Text() const {
  std::string text = scheme + "://" + host;
  if (port != 0) text += ":" + std::to_string(port);
  return text;
}

ParsedOrigin ParseOrigin(std::string_view text) {
  if (text.size() > kMaxOriginLength) return {std::nullopt, "the origin is too long"};
  const auto separator = text.find("://");
  if (separator == std::string_view::npos) return {std::nullopt, "an origin is scheme://host"};
  Origin origin;
  origin.scheme = Lowered(text.substr(0, separator));
  if (origin.scheme != "https" && origin.scheme != "http") {
    return {std::nullopt, "only https and http origins exist for pages"};
  }
  std::string_view rest = text.substr(separator + 3);
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  // What a URL may hold beyond an origin, named before the port is looked for.
  if (rest.find('@') != std::string_view::npos) {
    return {std::nullopt, "an origin holds no user name or password (write scheme://host)"};
  }
  if (rest.find_first_of("/?#") != std::string_view::npos) {
    return {std::nullopt, "an origin holds no path, query or fragment (write scheme://host)"};
  }
  std::string_view host = rest;
  std::string_view port;
  bool hasPort = false;
  if (!rest.empty() && rest.front() == '[') {
    const auto close = rest.find(']');
    if (close == std::string_view::npos) return {std::nullopt, "an unclosed IPv6 address"};
    host = rest.substr(0, close + 1);
    const std::string_view after = rest.substr(close + 1);
    if (!after.empty() && after.front() != ':') return {std::nullopt, "text after the host"};
    if (!after.empty()) {
      hasPort = true;
      port = after.substr(1);
    }
    const std::string inner = Lowered(host.substr(1, host.size() - 2));
    if (inner.empty() || !std::all_of(inner.begin(), inner.end(), IsIpv6Character)) {
      return {std::nullopt, "not an IPv6 address"};
    }
    origin.host = "[" + inner + "]";
  } else {
    const auto colon = rest.find(':');
    if (colon != std::string_view::npos) {
      host = rest.substr(0, colon);
      port = rest.substr(colon + 1);
      hasPort = true;
    }
    origin.host = Lowered(host);
    if (origin.host.empty() ||
        !std::all_of(origin.host.begin(), origin.host.end(), IsHostCharacter) ||
        origin.host.front() == '.' || origin.host.front() == '-') {
      return {std::nullopt, "the host may hold only letters, digits, '-' and '.'"};
    }
  }
  if (hasPort) {
    int number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number < 1 ||
        number > 65535) {
      return {std::nullopt, "the port must be a number from 1 to 65535"};
    }
    origin.port = number == DefaultPort(origin.scheme) ? 0 : number;
  }
  return {std::move(origin), {}};
}

std::string WhyNeverServed(const Origin& origin) {
  if (origin.scheme == "https") return {};
  if (origin.host == "127.0.0.1" || origin.host == "localhost" || origin.host == "[::1]") return {};
  return "a page over plain http can be changed by anyone on its way, so only https pages "
         "(and http on this machine's 127.0.0.1 or localhost) may use your certificates";
}

}  // namespace velsor::bridge
