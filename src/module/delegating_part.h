#pragma once
// The base of the interfaces an object implements beside its main one: their IUnknown is
// the object's controlling IUnknown (the outer object's when it is aggregated).

#include "platform/base/hresult.h"
#include "platform/com/unknown.h"

namespace velsor::module {

template <class Interface>
class DelegatingPart : public Interface {
 public:
  explicit DelegatingPart(IUnknown& controlling) : controlling_(controlling) {}
  DelegatingPart(const DelegatingPart&) = delete;
  DelegatingPart& operator=(const DelegatingPart&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return controlling_.QueryInterface(riid, object);
  }
  ULONG AddRef() override { return controlling_.AddRef(); }
  ULONG Release() override { return controlling_.Release(); }

 protected:
  ~DelegatingPart() = default;
  IUnknown& controlling() const { return controlling_; }

 private:
  IUnknown& controlling_;
};

}  // namespace velsor::module
