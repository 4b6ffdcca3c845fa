#include "cli.h"

#include <fstream>
#include <iterator>

#include "platform/codepage/utf.h"

namespace velsor::cli {

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CommandError("cannot read " + path.string());
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw CommandError("cannot read " + path.string());
  return bytes;
}

std::string Utf8(std::u16string_view text) { return codepage::Utf16ToUtf8(text); }

}  // namespace velsor::cli
