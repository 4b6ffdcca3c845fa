// velsor: the current user's certificate stores, tokens and browser bridge, from the command
// line; which commands there are is each platform's (commands_*.cpp).

#include <cstdio>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    std::fputs(velsor::cli::Usage(), arguments.empty() ? stderr : stdout);
    return arguments.empty() ? 2 : 0;
  }
  try {
    const velsor::cli::Arguments rest = std::span(arguments).subspan(1);
    for (const auto& [name, run] : velsor::cli::Commands()) {
      if (arguments[0] == name) return run(rest);
    }
    std::fprintf(stderr, "velsor: unknown command '%.*s'\n\n%s",
                 static_cast<int>(arguments[0].size()), arguments[0].data(), velsor::cli::Usage());
    return 2;
  } catch (const velsor::cli::CommandError& error) {
    std::fprintf(stderr, "velsor: %s\n", error.what());
    return 1;
  }
}
