#include "module/control_object.h"

#include <utility>

#include "module/module_state.h"

namespace velsor::module {
IUnknown* ControlObject::Create(IUnknown* outer) {
  return std::unique_ptr<ControlObject>(new ControlObject(outer)).release();
}

ControlObject::ControlObject(IUnknown* outer)
    : outer_(outer), control_(CTolvaneVelsor::CreatePart(Controlling())) {
  LockModule();
}

ControlObject::~ControlObject() { UnlockModule(); }

HRESULT ControlObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  // Each interface with the part that answers for it; the derived ones first, as a part
  // answers for its bases too.
  const std::pair<const IID&, IUnknown*> parts[] = {
      {IID_IUnknown, this},
      {IID_IOmbrelTolvaneVelsor20_64, static_cast<IOmbrelTolvaneVelsor20_64*>(control_.get())},
      {IID_IDispatch, static_cast<IOmbrelTolvaneVelsor20_64*>(control_.get())},
      {IID_IViewObjectEx, &view_},
      {IID_IViewObject2, &view_},
      {IID_IViewObject, &view_},
      {IID_IOleInPlaceObjectWindowless, &inPlaceObject_},
      {IID_IOleInPlaceObject, &inPlaceObject_},
      {IID_IOleWindow, &inPlaceObject_},
      {IID_IOleInPlaceActiveObject, &activeObject_},
      {IID_IOleControl, &oleControl_},
      {IID_IOleObject, &oleObject_},
      {IID_IPersistStreamInit, &streamPersistence_},
      {IID_IPersist, &streamPersistence_},
      {IID_IPersistStorage, &storagePersistence_},
      {IID_ISpecifyPropertyPages, &propertyPages_},
      {IID_IQuickActivate, &quickActivation_},
      {IID_IDataObject, &data_},
      {IID_IProvideClassInfo2, &classInfo_},
      {IID_IProvideClassInfo, &classInfo_},
      {IID_IConnectionPointContainer, &connectionPoints_},
      {IID_IObjectSafety, &safety_},
  };
  for (const auto& [iid, part] : parts) {
    if (riid != iid) continue;
    *object = part;
    part->AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ControlObject::AddRef() { return ++references_; }

ULONG ControlObject::Release() {
  const ULONG remaining = --references_;
  if (remaining == 0) std::unique_ptr<ControlObject> last{this};
  return remaining;
}

}  // namespace velsor::module
