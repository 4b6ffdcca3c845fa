#include "module/object_safety.h"

namespace velsor::module {
namespace {

constexpr DWORD kSafeOptions =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

}  // namespace

bool ObjectSafety::Exposes(REFIID riid, HRESULT& failure) const {
  void* probe = nullptr;
  failure = controlling().QueryInterface(riid, &probe);
  if (failure != S_OK) return false;
  static_cast<IUnknown*>(probe)->Release();
  return true;
}

HRESULT ObjectSafety::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  *supported = 0;
  *enabled = 0;
  HRESULT failure = S_OK;
  if (!Exposes(riid, failure)) return failure;
  *supported = kSafeOptions;
  *enabled = enabled_;
  return S_OK;
}

HRESULT ObjectSafety::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  if ((mask & ~kSafeOptions) != 0) return E_FAIL;
  HRESULT failure = S_OK;
  if (!Exposes(riid, failure)) return E_NOINTERFACE;
  enabled_ = (enabled_ & ~mask) | (enabled & mask);
  return S_OK;
}

}  // namespace velsor::module
