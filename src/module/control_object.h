#pragma once
// The control as the module serves it: the scripting part together with the OLE control
// interfaces (embedding, in-place activation, drawing, quick activation, data), object
// safety, persistence of its extent, its class information and its connection points. It
// can be aggregated by an outer object, to which every interface but the inner IUnknown
// then delegates.

#include <memory>

#include "control/tolvane_velsor.h"
#include "module/class_info.h"
#include "module/connection_points.h"
#include "module/control_site.h"
#include "module/data_object.h"
#include "module/extent_persistence.h"
#include "module/in_place_object.h"
#include "module/object_safety.h"
#include "module/ole_object.h"
#include "module/quick_activate.h"
#include "module/view_object.h"

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
  // Made before the site it is given, which only keeps its address until then.
  InPlaceActiveObject activeObject_{Controlling(), site_};
  ControlSite site_{persisted_, activeObject_};
  OleObject oleObject_{Controlling(), site_};
  InPlaceObject inPlaceObject_{Controlling(), site_};
  OleControl oleControl_{Controlling(), site_};
  ViewObject view_{Controlling(), site_};
  DataObject data_{Controlling(), site_};
  QuickActivation quickActivation_{Controlling(), site_, connectionPoints_};
  PropertyPages propertyPages_{Controlling()};
};

}  // namespace velsor::module
