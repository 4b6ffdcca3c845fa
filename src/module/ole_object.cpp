#include "module/ole_object.h"

#include <array>

#include "control/ombrel_tolvane_velsor.h"
#include "module/list_enumerator.h"

namespace velsor::module {
namespace {

// The verbs DoVerb carries out, none with a name of its own on a menu.
constexpr std::array<LONG, 5> kVerbs{OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_INPLACEACTIVATE,
                                     OLEIVERB_UIACTIVATE, OLEIVERB_HIDE};

}  // namespace

HRESULT ContentExtent(ControlSite& site, DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  size->cx = static_cast<LONG>(site.extent().cx);
  size->cy = static_cast<LONG>(site.extent().cy);
  return S_OK;
}

HRESULT OleObject::SetClientSite(IOleClientSite* site) {
  site_.SetClientSite(site);
  return S_OK;
}

HRESULT OleObject::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = site_.clientSite();
  if (*site != nullptr) (*site)->AddRef();
  return S_OK;
}

HRESULT OleObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT OleObject::Close(DWORD saveOption) { return site_.Close(saveOption); }

HRESULT OleObject::SetMoniker(DWORD, IUnknown*) { return E_NOTIMPL; }

HRESULT OleObject::GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) {
  if (moniker == nullptr) return E_POINTER;
  *moniker = nullptr;
  if (site_.clientSite() == nullptr) return E_UNEXPECTED;
  return site_.clientSite()->GetMoniker(assign, which, moniker);
}

HRESULT OleObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT OleObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

// The control always works in place: showing it, its primary verb and UI activation all
// activate it there with its user interface.
HRESULT OleObject::DoVerb(LONG verb, MSG*, IOleClientSite* activeSite, LONG, HWND,
                          LPCRECT position) {
  HRESULT hr = S_OK;
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      hr = site_.Activate(activeSite, true);
      break;
    case OLEIVERB_INPLACEACTIVATE:
      hr = site_.Activate(activeSite, false);
      break;
    case OLEIVERB_HIDE:
      return site_.Hide();
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
  if (hr == S_OK && position != nullptr) site_.SetRects(position, position);
  return hr;
}

HRESULT OleObject::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  auto list = std::make_shared<EnumeratedList<OLEVERB>>();
  for (LONG verb : kVerbs) list->items.push_back({verb, nullptr, 0, 0});
  *verbs = ListEnumerator<IEnumOLEVERB, OLEVERB>::Create(IID_IEnumOLEVERB, std::move(list));
  return S_OK;
}

HRESULT OleObject::Update() { return S_OK; }
HRESULT OleObject::IsUpToDate() { return S_OK; }

HRESULT OleObject::GetUserClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_OmbrelTolvaneVelsor20_64;
  return S_OK;
}

// The registered names are the user type, as the system reads them for the caller.
HRESULT OleObject::GetUserType(DWORD, LPOLESTR* userType) {
  if (userType == nullptr) return E_POINTER;
  *userType = nullptr;
  return OLE_S_USEREG;
}

HRESULT OleObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  return site_.SetExtent(*size);
}

HRESULT OleObject::GetExtent(DWORD aspect, SIZEL* size) {
  return ContentExtent(site_, aspect, size);
}

HRESULT OleObject::Advise(IAdviseSink* sink, DWORD* connection) {
  return site_.oleAdvise().Advise(sink, FORMATETC{}, 0, connection);
}

HRESULT OleObject::Unadvise(DWORD connection) { return site_.oleAdvise().Unadvise(connection); }

HRESULT OleObject::EnumAdvise(IEnumSTATDATA** advises) {
  return site_.oleAdvise().Enumerate(advises);
}

// As registered: the content aspect has the control's status, other aspects none.
HRESULT OleObject::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

HRESULT OleObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

}  // namespace velsor::module
