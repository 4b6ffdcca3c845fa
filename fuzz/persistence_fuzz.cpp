// Loading the control's saved extent as a host hands it over: from a stream, and from a
// storage's "Contents" stream. A load that succeeds must save again.

#include <cstdint>
#include <cstdlib>

#include "module/control_object.h"
#include "module/memory_storage.h"
#include "platform/com/persistence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  const Bytes input(data, data + size);
  IUnknown* object = module::ControlObject::Create(nullptr);
  if (object == nullptr) return 0;

  IPersistStreamInit* stream = nullptr;
  if (object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&stream)) == S_OK) {
    testing::MemoryStream source(std::make_shared<Bytes>(input));
    if (stream->Load(&source) == S_OK) {
      testing::MemoryStream saved;
      if (stream->Save(&saved, 1) != S_OK) std::abort();
    }
    stream->Release();
  }
  IPersistStorage* storage = nullptr;
  if (object->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&storage)) == S_OK) {
    testing::MemoryStorage source;
    source.Put(u"Contents", input);
    storage->Load(&source);
    storage->Release();
  }
  object->Release();
  return 0;
}
