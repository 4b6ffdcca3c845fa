#pragma once
// What the velsor commands share: reading files, reporting failures, printing text.

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"

namespace velsor::cli {

// A failure to report to the user; main prints it and exits non-zero.
struct CommandError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Arguments = std::span<const std::string_view>;

Bytes ReadFile(const std::filesystem::path& path);
std::string Utf8(std::u16string_view text);

// The value of a crypt result, or a CommandError saying what failed.
template <class T>
T Require(Result<T> result, std::string_view what) {
  if (!result) throw CommandError(std::string(what) + ": " + result.error().detail);
  return std::move(*result);
}

int StoreCommand(Arguments arguments);
int DemoPkiCommand(Arguments arguments);
int TokenCommand(Arguments arguments);
int BridgeCommand(Arguments arguments);
int DoctorCommand(Arguments arguments);

// The platform's commands by name, and its usage text.
struct NamedCommand {
  std::string_view name;
  int (*run)(Arguments arguments);
};
std::span<const NamedCommand> Commands();
const char* Usage();

}  // namespace velsor::cli
