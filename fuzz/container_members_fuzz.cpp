// Signed content taken apart as the members do it: the input stands as the extracted plain
// text, and VLGetFormItem and VLGetFile take items and files out of it until none is left,
// saving the files in server mode into the stub folder. Nothing may be written anywhere
// else.

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "control/ombrel_tolvane_velsor.h"
#include "control/tolvane_velsor.h"
#include "fuzz_home.h"
#include "platform/codepage/utf.h"
#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/registry/registry.h"

namespace {

namespace fs = std::filesystem;

// The user home's folder, holding the home and the stub folder only.
fs::path PrepareStub() {
  using namespace velsor;
  fuzzing::PrepareFuzzHome();
  const fs::path folder = fs::path(std::getenv("VELSOR_HOME")).parent_path();
  auto registry = registry::Registry::Open();
  const std::u16string key = u"SOFTWARE\\Classes\\CLSID\\" +
                             codepage::AsciiToUtf16(GuidToString(CLSID_OmbrelTolvaneVelsor20_64)) +
                             u"\\CtlSettings";
  const std::u16string stub = codepage::Utf8ToUtf16((folder / "stub").string()) + u"/";
  if (!registry || !registry->SetValue(registry::Root::LocalMachine, key, u"stubPath",
                                       {registry::REG_SZ, stub})) {
    std::abort();
  }
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  static const fs::path folder = PrepareStub();
  auto control = CTolvaneVelsor::Create();
  control->put_VLServerMode(1);
  control->state().extractedPlainText = Bytes(data, data + size);
  // Each member takes one piece a call; at most 64 calls, as a page would loop.
  for (auto take : {&CTolvaneVelsor::VLGetFormItem, &CTolvaneVelsor::VLGetFile}) {
    for (int taken = 0; taken < 64; ++taken) {
      BSTR piece = nullptr;
      const HRESULT hr = (control.get()->*take)(&piece);
      const bool more = hr == S_OK && piece != nullptr;
      SysFreeString(piece);
      if (!more) break;
    }
  }
  for (const auto& entry : fs::directory_iterator(folder)) {
    const auto name = entry.path().filename();
    if (name != "home" && name != "stub") std::abort();  // written outside the stub folder
  }
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder / "stub", ignored)) {
    fs::remove_all(entry.path(), ignored);
  }
  return 0;
}
