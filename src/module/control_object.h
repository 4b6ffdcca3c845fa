#pragma once
// The control as the module serves it: the scripting part together with object safety,
// persistence of its extent, its class information, a connection point for property
// notifications and its drawing. It can be aggregated by an outer object, to which every
// interface but the inner IUnknown then delegates.

#include <memory>

#include "control/tolvane_velsor.h"
#include "module/class_info.h"
#include "module/control_view.h"
#include "module/extent_persistence.h"
#include "module/object_safety.h"
#include "module/property_notify_point.h"

namespace velsor::module {

class ControlObject final : public IUnknown {
 public:
  // The new object's own IUnknown with one reference. With `outer` the object is part of
  // that object.
  static IUnknown* Create(IUnknown* outer);

  // The non-delegating IUnknown.
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

 private:
  explicit ControlObject(IUnknown* outer);
  ~ControlObject();
  friend struct std::default_delete<ControlObject>;

  IUnknown& Controlling() { return outer_ != nullptr ? *outer_ : *this; }

  IUnknown* outer_;
  ULONG references_ = 1;
  std::unique_ptr<CTolvaneVelsor> control_;
  PersistedState persisted_;
  ObjectSafety safety_{Controlling()};
  StreamPersistence streamPersistence_{Controlling(), persisted_};
  StoragePersistence storagePersistence_{Controlling(), persisted_};
  ClassInfo classInfo_{Controlling()};
  ConnectionPoints connectionPoints_{Controlling()};
  ControlView view_{Controlling()};
};

}  // namespace velsor::module
