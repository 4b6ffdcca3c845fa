// velsor-script PAGE.js [ARGS...]: runs a page script against the registered controls.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "script_host.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: velsor-script PAGE.js [ARGS...]\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "velsor-script: cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string source{std::istreambuf_iterator<char>(file), {}};
  velsor::script::ScriptHost host(std::vector<std::string>(argv + 2, argv + argc));
  return host.Run(argv[1], source);
}
