#pragma once
// What velsor doctor reports on every platform: its lines, and what a host manifest must
// say for a browser to start our host for our extension alone.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "cli.h"

namespace velsor::cli {

// One line per finding; every problem with its fix.
class Report {
 public:
  void Ok(const std::string& text) { std::printf("ok       %s\n", text.c_str()); }
  void Note(const std::string& text) { std::printf("note     %s\n", text.c_str()); }
  void Problem(const std::string& text, const std::string& fix) {
    std::printf("PROBLEM  %s; fix: %s\n", text.c_str(), fix.c_str());
    ++problems_;
  }
  int problems() const { return problems_; }
  // The last line and the exit status: 0 when all is well, 1 otherwise.
  int Finish() const;

 private:
  int problems_ = 0;
};

struct ManifestCheck {
  std::string problem;  // empty when the manifest is right
  std::string program;  // the host program it names
};

// Present, JSON, our host's name, stdio, our extension alone (allowed_extensions for
// Firefox, allowed_origins for the others), an absolute path to a program that is there.
ManifestCheck CheckHostManifest(const std::filesystem::path& manifest, bool firefox);

// The exit status for arguments doctor does not take (--help answers 0), after its usage.
std::optional<int> DoctorUsage(Arguments arguments);

}  // namespace velsor::cli
