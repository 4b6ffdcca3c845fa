#include "module/extent_persistence.h"

#include <array>
#include <cstring>

#include "control/ombrel_tolvane_velsor.h"
#include "platform/com/com_ptr.h"
#include "platform/com/variant.h"

namespace velsor::module {
namespace {

constexpr DWORD kFormatVersion = 0x0100;
constexpr std::size_t kSavedSize = 4 + 2 * (2 + 4);
constexpr char16_t kContentsStream[] = u"Contents";

using Saved = std::array<std::uint8_t, kSavedSize>;

void Put(std::uint8_t* at, std::uint32_t value, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint32_t Get(const std::uint8_t* at, std::size_t bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
  return value;
}

Saved Encode(const Extent& extent) {
  Saved saved{};
  Put(saved.data(), kFormatVersion, 4);
  Put(saved.data() + 4, VT_UI4, 2);
  Put(saved.data() + 6, extent.cx, 4);
  Put(saved.data() + 10, VT_UI4, 2);
  Put(saved.data() + 12, extent.cy, 4);
  return saved;
}

HRESULT Write(IStream& stream, const Extent& extent) {
  const Saved saved = Encode(extent);
  ULONG written = 0;
  const HRESULT hr = stream.Write(saved.data(), kSavedSize, &written);
  if (hr != S_OK) return hr;
  return written == kSavedSize ? S_OK : STG_E_INVALIDFUNCTION;
}

// Nothing changes unless the whole state reads back as this format wrote it.
HRESULT Read(IStream& stream, Extent& extent) {
  Saved saved{};
  ULONG read = 0;
  const HRESULT hr = stream.Read(saved.data(), kSavedSize, &read);
  if (hr != S_OK && hr != S_FALSE) return hr;
  if (read != kSavedSize || Get(saved.data(), 4) != kFormatVersion ||
      Get(saved.data() + 4, 2) != VT_UI4 || Get(saved.data() + 10, 2) != VT_UI4) {
    return STG_E_READFAULT;
  }
  extent = {Get(saved.data() + 6, 4), Get(saved.data() + 12, 4)};
  return S_OK;
}

HRESULT ClassOf(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_OmbrelTolvaneVelsor20_64;
  return S_OK;
}

}  // namespace

HRESULT StreamPersistence::GetClassID(CLSID* clsid) { return ClassOf(clsid); }
HRESULT StreamPersistence::IsDirty() { return state_.dirty ? S_OK : S_FALSE; }

HRESULT StreamPersistence::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  const HRESULT hr = Read(*stream, state_.extent);
  if (hr == S_OK) state_.dirty = false;
  return hr;
}

HRESULT StreamPersistence::Save(IStream* stream, BOOL clearDirty) {
  if (stream == nullptr) return E_POINTER;
  const HRESULT hr = Write(*stream, state_.extent);
  if (hr == S_OK && clearDirty) state_.dirty = false;
  return hr;
}

HRESULT StreamPersistence::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = kSavedSize;
  return S_OK;
}

HRESULT StreamPersistence::InitNew() {
  state_ = PersistedState{};
  return S_OK;
}

HRESULT StoragePersistence::GetClassID(CLSID* clsid) { return ClassOf(clsid); }
HRESULT StoragePersistence::IsDirty() { return state_.dirty ? S_OK : S_FALSE; }

HRESULT StoragePersistence::InitNew(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  state_ = PersistedState{};
  return S_OK;
}

HRESULT StoragePersistence::Load(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IStream> stream;
  HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   stream.Receive());
  if (hr != S_OK) return hr;
  hr = Read(*stream.get(), state_.extent);
  if (hr == S_OK) state_.dirty = false;
  return hr;
}

HRESULT StoragePersistence::Save(IStorage* storage, BOOL) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT hr = storage->CreateStream(
      kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Receive());
  if (hr != S_OK) return hr;
  return Write(*stream.get(), state_.extent);
}

HRESULT StoragePersistence::SaveCompleted(IStorage*) {
  state_.dirty = false;
  return S_OK;
}

HRESULT StoragePersistence::HandsOffStorage() { return S_OK; }

}  // namespace velsor::module
