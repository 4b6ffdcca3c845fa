#pragma once
// The names a save works with, the same on every platform.

#include <cstdint>
#include <filesystem>

namespace velsor::file {

// Where a save puts its file: the path itself, or with `followLinks` the file a link there
// points to.
std::filesystem::path SaveTarget(const std::filesystem::path& path, bool followLinks);

// The temporary file beside `target` that the data goes into first: hidden, named after
// the target and `random`.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target, std::uint32_t random);

}  // namespace velsor::file
