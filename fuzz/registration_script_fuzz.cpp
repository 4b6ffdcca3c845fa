// Registration scripts as the registrar reads them: parsed, applied to a registry, and
// taken out of it again. The input is the script's text in UTF-8.

#include <cstdint>
#include <cstdlib>

#include "fuzz_home.h"
#include "platform/codepage/utf.h"
#include "platform/registry/registrar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  fuzzing::PrepareFuzzHome();
  static auto registry = registry::Registry::Open();
  if (!registry) std::abort();
  const std::u16string script =
      codepage::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  const registry::Substitutions substitutions{{u"MODULE", u"/fuzz/module.so"},
                                              {u"STUBPATH", u"/fuzz/stub/"}};
  if (registry::RunRegistrationScript(*registry, script, substitutions, true)) {
    if (!registry::RunRegistrationScript(*registry, script, substitutions, false)) std::abort();
  }
  return 0;
}
