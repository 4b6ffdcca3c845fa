#pragma once
// The control's persisted state: its extent, "_cx" and "_cy" in HIMETRIC, and nothing
// else. Saved to a stream as a format version followed by the two values, each as its
// VARTYPE (VT_UI4) and its 32 bits, little-endian; in a storage as its "Contents" stream.

#include "module/delegating_part.h"
#include "platform/com/persistence.h"

namespace velsor::module {

struct Extent {
  // Two inches square until a host says otherwise.
  ULONG cx = 5080;
  ULONG cy = 5080;
};

struct PersistedState {
  Extent extent;
  bool dirty = false;
};

class StreamPersistence final : public DelegatingPart<IPersistStreamInit> {
 public:
  StreamPersistence(IUnknown& controlling, PersistedState& state)
      : DelegatingPart(controlling), state_(state) {}
  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream* stream) override;
  HRESULT Save(IStream* stream, BOOL clearDirty) override;
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT InitNew() override;

 private:
  PersistedState& state_;
};

class StoragePersistence final : public DelegatingPart<IPersistStorage> {
 public:
  StoragePersistence(IUnknown& controlling, PersistedState& state)
      : DelegatingPart(controlling), state_(state) {}
  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT IsDirty() override;
  HRESULT InitNew(IStorage* storage) override;
  HRESULT Load(IStorage* storage) override;
  HRESULT Save(IStorage* storage, BOOL sameAsLoad) override;
  HRESULT SaveCompleted(IStorage* storage) override;
  HRESULT HandsOffStorage() override;

 private:
  PersistedState& state_;
};

}  // namespace velsor::module
