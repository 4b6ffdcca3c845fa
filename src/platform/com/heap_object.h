#pragma once
// The IUnknown of an object that lives on the heap, answers for one interface besides
// IUnknown, and frees itself when its last reference goes. `Derived` is the object's own
// class; it lets std::default_delete<Derived> reach its destructor.

#include <memory>

#include "platform/com/unknown.h"

namespace velsor {

template <class Derived, class Interface>
class HeapObject : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != iid_) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG remaining = --references_;
    if (remaining == 0) std::unique_ptr<Derived> last{static_cast<Derived*>(this)};
    return remaining;
  }

 protected:
  explicit HeapObject(const IID& iid) : iid_(iid) {}
  ~HeapObject() = default;

 private:
  IID iid_;
  ULONG references_ = 1;
};

}  // namespace velsor
