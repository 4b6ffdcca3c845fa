#pragma once
// Web origins as browsers report them: scheme, host and port, nothing else. Only https
// origins may be allowed, and plain http only on this machine's loopback names, where no
// one on the network can stand in between.

#include <optional>
#include <string>
#include <string_view>

namespace velsor::bridge {

struct Origin {
  std::string scheme;  // "https" or "http", lower case
  std::string host;    // lower case; IPv6 addresses in brackets
  int port = 0;        // 0: the scheme's default

  // "https://bank.example", "http://127.0.0.1:8080": the form browsers print.
  std::string Text() const;
  bool operator==(const Origin&) const = default;
};

struct ParsedOrigin {
  std::optional<Origin> origin{};
  std::string problem{};  // why the text is not an origin
};

// Accepts "scheme://host[:port]" with an optional trailing "/"; refuses paths, queries,
// user names and anything else a page might try to smuggle in.
ParsedOrigin ParseOrigin(std::string_view text);

// Why an origin may never be served ("" when it may be allowed).
std::string WhyNeverServed(const Origin& origin);

}  // namespace velsor::bridge
