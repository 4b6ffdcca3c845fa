// The control as a container embeds it, driven through the same interfaces a browser's
// object host uses: site, verbs, in-place activation and its window, extent, drawing,
// quick activation, data and advise sinks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/ombrel_tolvane_velsor.h"
#include "module/control_object.h"
#include "module/memory_storage.h"
#include "platform/com/bstr.h"
#include "platform/com/canvas.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/control_window.h"
#include "platform/com/persistence.h"
#include "platform/com/type_info.h"
#include "platform/com/view_object.h"

namespace velsor::module {
namespace {

template <class Interface>
ComPtr<Interface> Query(IUnknown* object, REFIID iid) {
  ComPtr<Interface> found;
  EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(found.Receive())), S_OK);
  return found;
}

// A container's site for one control, and its frame: it records what the control tells it.
class Container final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if ((riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) && inPlace) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    }
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  HRESULT SaveObject() override { return Note("SaveObject"); }
  HRESULT GetMoniker(DWORD, DWORD, IUnknown**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IUnknown**) override { return E_NOINTERFACE; }
  HRESULT ShowObject() override { return Note("ShowObject"); }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

  HRESULT GetWindow(HWND* window) override {
    *window = parent;
    return S_OK;
  }
  HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT CanInPlaceActivate() override { return allowInPlace ? S_OK : S_FALSE; }
  HRESULT OnInPlaceActivate() override { return Note("OnInPlaceActivate"); }
  HRESULT OnUIActivate() override { return Note("OnUIActivate"); }
  HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                           RECT* clip, OLEINPLACEFRAMEINFO*) override {
    AddRef();
    *frame = this;
    *document = nullptr;
    *position = place;
    *clip = place;
    return S_OK;
  }
  HRESULT Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate"); }
  HRESULT OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate"); }
  HRESULT DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT OnPosRectChange(LPCRECT) override { return S_OK; }

  HRESULT GetBorder(RECT*) override { return E_NOTIMPL; }
  HRESULT RequestBorderSpace(LPCRECT) override { return E_NOTIMPL; }
  HRESULT SetBorderSpace(LPCRECT) override { return E_NOTIMPL; }
  HRESULT SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
    activeObject = active;
    return S_OK;
  }
  HRESULT InsertMenus(HMENU, LONG*) override { return E_NOTIMPL; }
  HRESULT SetMenu(HMENU, void*, HWND) override { return E_NOTIMPL; }
  HRESULT RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT EnableModeless(BOOL) override { return S_OK; }
  HRESULT TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

  HRESULT Note(const char* call) {
    calls.emplace_back(call);
    return S_OK;
  }

  // Any address stands for the container's window: the control only makes its own a child.
  int windowStandIn = 0;
  HWND parent = reinterpret_cast<HWND>(&windowStandIn);
  RECT place{10, 20, 310, 120};
  bool inPlace = true;
  bool allowInPlace = true;
  IOleInPlaceActiveObject* activeObject = nullptr;
  std::vector<std::string> calls;
  ULONG references = 1;
};

class AdviseSink final : public IAdviseSink {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown || riid == IID_IAdviseSink ? this : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  void OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  void OnViewChange(DWORD, LONG) override { ++viewChanges; }
  void OnRename(IUnknown*) override {}
  void OnSave() override {}
  void OnClose() override { ++closes; }
  int viewChanges = 0;
  int closes = 0;
  ULONG references = 1;
};

class RecordingCanvas final : public Canvas {
 public:
  void Rectangle(const RECTL& bounds) override { rectangles.push_back(bounds); }
  void SetTextAlign(UINT) override {}
  void WriteText(LONG x, LONG y, std::u16string_view) override { texts.push_back({x, y}); }
  std::vector<RECTL> rectangles;
  std::vector<POINT> texts;
};

class OleControlTest : public ::testing::Test {
 protected:
  ComPtr<IUnknown> object = ComPtr<IUnknown>::Adopt(ControlObject::Create(nullptr));
  ComPtr<IOleObject> ole = Query<IOleObject>(object.get(), IID_IOleObject);
  Container container;
};

TEST_F(OleControlTest, EveryInterfaceOfTheClassAnswersAndIsSafeForScripting) {
  const IID interfaces[] = {IID_IOmbrelTolvaneVelsor20_64,
                            IID_IDispatch,
                            IID_IViewObjectEx,
                            IID_IViewObject2,
                            IID_IViewObject,
                            IID_IOleInPlaceObjectWindowless,
                            IID_IOleInPlaceObject,
                            IID_IOleWindow,
                            IID_IOleInPlaceActiveObject,
                            IID_IOleControl,
                            IID_IOleObject,
                            IID_IPersistStreamInit,
                            IID_IPersist,
                            IID_IPersistStorage,
                            IID_ISpecifyPropertyPages,
                            IID_IQuickActivate,
                            IID_IDataObject,
                            IID_IProvideClassInfo2,
                            IID_IProvideClassInfo,
                            IID_IConnectionPointContainer,
                            IID_IObjectSafety};
  auto safety = Query<IObjectSafety>(object.get(), IID_IObjectSafety);
  for (const IID& iid : interfaces) {
    ComPtr<IUnknown> part = Query<IUnknown>(object.get(), iid);
    ASSERT_TRUE(part) << GuidToString(iid);
    // Every part leads back to the one object.
    EXPECT_EQ(Query<IUnknown>(part.get(), IID_IUnknown).get(), object.get()) << GuidToString(iid);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(iid, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u) << GuidToString(iid);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(iid, 3, 3), S_OK) << GuidToString(iid);
  }
  void* none = nullptr;
  EXPECT_EQ(object->QueryInterface(IID_IOleInPlaceSite, &none), E_NOINTERFACE);
}

TEST_F(OleControlTest, ActivatedInPlaceItMakesItsChildWindowAndDeactivatedDestroysIt) {
  DWORD status = 0;
  ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 131473u) << "as the class is registered";
  auto inPlace = Query<IOleInPlaceObject>(object.get(), IID_IOleInPlaceObject);
  HWND window = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&window), E_FAIL) << "no window before activation";
  EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr),
            E_UNEXPECTED)
      << "no site yet";

  ASSERT_EQ(ole->SetClientSite(&container), S_OK);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(ole->GetClientSite(site.Receive()), S_OK);
  EXPECT_EQ(site.get(), static_cast<IOleClientSite*>(&container));
  ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.parent,
                        &container.place),
            S_OK);
  EXPECT_EQ(container.calls, (std::vector<std::string>{"OnInPlaceActivate", "ShowObject"}));
  ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
  Result<WindowFacts> facts = DescribeWindow(window);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->parent, container.parent);
  EXPECT_EQ(facts->style, 0x56000000u);
  EXPECT_EQ(facts->extendedStyle, 0u);
  EXPECT_EQ(facts->position.left, 10);
  EXPECT_EQ(facts->position.bottom, 120);
  EXPECT_EQ(container.activeObject, nullptr) << "in place, not UI-active";

  const RECT moved{0, 0, 200, 50};
  ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_EQ(DescribeWindow(window)->position.right, 200);
  // Drawn without bounds, it draws where it stands.
  RecordingCanvas canvas;
  auto view = Query<IViewObject>(object.get(), IID_IViewObject);
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &canvas, nullptr, nullptr,
                       nullptr, 0),
            S_OK);
  ASSERT_EQ(canvas.texts.size(), 1u);
  EXPECT_EQ(canvas.texts[0].x, 100);
  EXPECT_EQ(canvas.texts[0].y, 25);

  ASSERT_EQ(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &container, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(container.calls.back(), "OnUIActivate");
  ASSERT_NE(container.activeObject, nullptr);
  HWND activeWindow = nullptr;
  container.activeObject->GetWindow(&activeWindow);
  EXPECT_EQ(activeWindow, window);

  EXPECT_EQ(ole->DoVerb(OLEIVERB_HIDE, nullptr, &container, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(DescribeWindow(window)->style & 0x10000000u, 0u) << "hidden";
  EXPECT_EQ(container.activeObject, nullptr);
  EXPECT_EQ(ole->DoVerb(OLEIVERB_SHOW, nullptr, &container, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(DescribeWindow(window)->style, 0x56000000u);

  ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_EQ(container.calls.back(), "OnInPlaceDeactivate");
  EXPECT_EQ(inPlace->GetWindow(&window), E_FAIL);
  ASSERT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
  ASSERT_EQ(ole->SetClientSite(nullptr), S_OK);
  site = {};
  EXPECT_EQ(container.references, 1u) << "the control holds nothing of its container";
}

TEST_F(OleControlTest, ASiteThatCannotHostItInPlaceIsRefused) {
  container.inPlace = false;
  ole->SetClientSite(&container);
  EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr),
            OLE_E_NOT_INPLACEACTIVE);
  container.inPlace = true;
  container.allowInPlace = false;
  EXPECT_EQ(ole->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, nullptr), E_FAIL);
  EXPECT_TRUE(container.calls.empty());
  EXPECT_EQ(ole->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, nullptr),
            OLEOBJ_S_INVALIDVERB);
  EXPECT_EQ(ole->DoVerb(7, nullptr, nullptr, 0, nullptr, nullptr), OLEOBJ_S_INVALIDVERB);

  ComPtr<IEnumOLEVERB> verbs;
  ASSERT_EQ(ole->EnumVerbs(verbs.Receive()), S_OK);
  OLEVERB listed[8]{};
  ULONG fetched = 0;
  EXPECT_EQ(verbs->Next(8, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 5u);
  EXPECT_EQ(listed[2].lVerb, OLEIVERB_INPLACEACTIVATE);
  ole->SetClientSite(nullptr);
}

TEST_F(OleControlTest, TheExtentIsPersistedAndTellsTheViewSink) {
  AdviseSink viewSink;
  auto view = Query<IViewObjectEx>(object.get(), IID_IViewObjectEx);
  ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, &viewSink), S_OK);
  SIZEL size{1000, 300};
  EXPECT_EQ(ole->SetExtent(2, &size), DV_E_DVASPECT);
  ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(viewSink.viewChanges, 1);
  SIZEL read{};
  ASSERT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &read), S_OK);
  EXPECT_EQ(read.cx, 1000);
  EXPECT_EQ(read.cy, 300);
  auto quick = Query<IQuickActivate>(object.get(), IID_IQuickActivate);
  ASSERT_EQ(quick->GetContentExtent(&read), S_OK);
  EXPECT_EQ(read.cy, 300);

  // The extent is what a host saves: "_cx" and "_cy".
  auto stream = Query<IPersistStreamInit>(object.get(), IID_IPersistStreamInit);
  EXPECT_EQ(stream->IsDirty(), S_OK);
  testing::MemoryStream saved;
  ASSERT_EQ(stream->Save(&saved, 1), S_OK);
  const Bytes expected{0x00, 0x01, 0x00, 0x00, 19, 0, 0xE8, 0x03, 0, 0, 19, 0, 0x2C, 0x01, 0, 0};
  EXPECT_EQ(saved.bytes(), expected);

  ComPtr<IUnknown> other = ComPtr<IUnknown>::Adopt(ControlObject::Create(nullptr));
  saved.Rewind();
  ASSERT_EQ(Query<IPersistStreamInit>(other.get(), IID_IPersistStreamInit)->Load(&saved), S_OK);
  ASSERT_EQ(Query<IOleObject>(other.get(), IID_IOleObject)->GetExtent(DVASPECT_CONTENT, &read),
            S_OK);
  EXPECT_EQ(read.cx, 1000);

  size = {-1, 5};
  EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), E_INVALIDARG);
  DWORD viewStatus = 0;
  EXPECT_EQ(view->GetViewStatus(&viewStatus), S_OK);
  DWORD hit = 9;
  const RECT bounds{0, 0, 100, 100};
  EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{50, 50}, 0, &hit), S_OK);
  EXPECT_EQ(hit, HITRESULT_HIT);
  EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{100, 50}, 0, &hit), S_OK);
  EXPECT_EQ(hit, HITRESULT_OUTSIDE);
  ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, nullptr), S_OK);
  EXPECT_EQ(viewSink.references, 1u);
}

TEST_F(OleControlTest, AdviseSinksAreToldOfClosingAndReleased) {
  AdviseSink first, second;
  DWORD cookie1 = 0, cookie2 = 0;
  ASSERT_EQ(ole->Advise(&first, &cookie1), S_OK);
  ASSERT_EQ(ole->Advise(&second, &cookie2), S_OK);
  EXPECT_NE(cookie1, cookie2);
  ComPtr<IEnumSTATDATA> advises;
  ASSERT_EQ(ole->EnumAdvise(advises.Receive()), S_OK);
  STATDATA listed[3]{};
  ULONG fetched = 0;
  advises->Next(3, listed, &fetched);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(listed[1].dwConnection, cookie2);
  for (ULONG i = 0; i < fetched; ++i) listed[i].pAdvSink->Release();
  advises = {};
  ASSERT_EQ(ole->Unadvise(cookie1), S_OK);
  EXPECT_EQ(ole->Unadvise(cookie1), OLE_E_NOCONNECTION);
  ASSERT_EQ(ole->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
  EXPECT_EQ(first.closes, 0);
  EXPECT_EQ(second.closes, 1);
  ole->Unadvise(cookie2);
  EXPECT_EQ(first.references, 1u);
  EXPECT_EQ(second.references, 1u);

  // Data: no format is offered, but a container may still advise on it.
  auto data = Query<IDataObject>(object.get(), IID_IDataObject);
  FORMATETC text{1, nullptr, DVASPECT_CONTENT, -1, 1};
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetData(&text, &medium), DV_E_FORMATETC);
  EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
  ComPtr<IEnumFORMATETC> formats;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Receive()), S_OK);
  FORMATETC format{};
  EXPECT_EQ(formats->Next(1, &format, nullptr), S_FALSE);
  DWORD cookie = 0;
  ASSERT_EQ(data->DAdvise(&text, 0, &first, &cookie), S_OK);
  EXPECT_EQ(data->DUnadvise(cookie), S_OK);
  EXPECT_EQ(first.references, 1u);

  CAUUID pages{7, nullptr};
  ASSERT_EQ(Query<ISpecifyPropertyPages>(object.get(), IID_ISpecifyPropertyPages)->GetPages(&pages),
            S_OK);
  EXPECT_EQ(pages.cElems, 0u);
}

TEST_F(OleControlTest, QuickActivationSetsTheSiteAndTheSinksInOneCall) {
  AdviseSink viewSink;
  QACONTAINER qa{};
  qa.cbSize = sizeof qa;
  qa.pClientSite = &container;
  qa.pAdviseSink = &viewSink;
  QACONTROL answer{};
  answer.cbSize = sizeof answer;
  auto quick = Query<IQuickActivate>(object.get(), IID_IQuickActivate);
  ASSERT_EQ(quick->QuickActivate(&qa, &answer), S_OK);
  EXPECT_EQ(answer.dwMiscStatus, 131473u);
  ComPtr<IOleClientSite> site;
  ole->GetClientSite(site.Receive());
  EXPECT_EQ(site.get(), static_cast<IOleClientSite*>(&container));
  SIZEL size{2000, 1000};
  ASSERT_EQ(quick->SetContentExtent(&size), S_OK);
  EXPECT_EQ(viewSink.viewChanges, 1);

  answer.cbSize = 4;
  EXPECT_EQ(quick->QuickActivate(&qa, &answer), E_INVALIDARG) << "a record too short";
  site = {};
  ole->SetClientSite(nullptr);
  Query<IViewObject>(object.get(), IID_IViewObject)->SetAdvise(0, 0, nullptr);
}

TEST_F(OleControlTest, ControlInterfaceAndTypeInformation) {
  auto control = Query<IOleControl>(object.get(), IID_IOleControl);
  CONTROLINFO info{};
  ASSERT_EQ(control->GetControlInfo(&info), S_OK);
  EXPECT_EQ(info.cAccel, 0u);
  EXPECT_EQ(control->FreezeEvents(1), S_OK);
  EXPECT_EQ(control->FreezeEvents(0), S_OK);
  EXPECT_EQ(control->OnAmbientPropertyChange(-1), S_OK);

  CLSID clsid{};
  ASSERT_EQ(ole->GetUserClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_OmbrelTolvaneVelsor20_64);

  // The interface as the type library describes it, answering for its members.
  auto dispatch = Query<IDispatch>(object.get(), IID_IDispatch);
  UINT count = 0;
  ASSERT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  ASSERT_EQ(count, 1u);
  ComPtr<ITypeInfo> type;
  EXPECT_EQ(dispatch->GetTypeInfo(1, 0, type.Receive()), DISP_E_BADINDEX);
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, type.Receive()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(type->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, IID_IOmbrelTolvaneVelsor20_64);
  EXPECT_EQ(attributes->typekind, kTypeKindDispatch);
  EXPECT_EQ(attributes->cFuncs, 59u);
  EXPECT_NE(attributes->wTypeFlags & kTypeFlagDual, 0);
  type->ReleaseTypeAttr(attributes);
  LPOLESTR names[] = {const_cast<LPOLESTR>(u"isCertExists"), const_cast<LPOLESTR>(u"DN")};
  MEMBERID ids[2]{};
  ASSERT_EQ(type->GetIDsOfNames(names, 2, ids), S_OK);
  EXPECT_EQ(ids[0], 33);
  EXPECT_EQ(ids[1], 0) << "the first parameter";
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(u"NoSuchMember")};
  EXPECT_EQ(type->GetIDsOfNames(unknown, 1, ids), DISP_E_UNKNOWNNAME);
  BSTR help = nullptr;
  ASSERT_EQ(type->GetDocumentation(52, nullptr, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(BstrView(help), u"方法VLSetCopyRightInfo");
  SysFreeString(help);
  // A member's record: each function once, its inputs typed, the retval as its result.
  bool sawIsCertExists = false;
  for (UINT i = 0; i < 59; ++i) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(type->GetFuncDesc(i, &function), S_OK);
    if (function->memid == 33) {
      sawIsCertExists = true;
      EXPECT_EQ(function->invkind, kInvokeFunc);
      ASSERT_EQ(function->cParams, 1);
      EXPECT_EQ(function->lprgelemdescParam[0].tdesc.vt, VT_BSTR);
      EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_UI4);
    }
    type->ReleaseFuncDesc(function);
  }
  EXPECT_TRUE(sawIsCertExists);
  FUNCDESC* none = nullptr;
  EXPECT_EQ(type->GetFuncDesc(59, &none), TYPE_E_ELEMENTNOTFOUND);
  BSTR memberNames[3]{};
  UINT named = 0;
  ASSERT_EQ(type->GetNames(33, memberNames, 3, &named), S_OK);
  ASSERT_EQ(named, 2u);
  EXPECT_EQ(BstrView(memberNames[0]), u"IsCertExists");
  EXPECT_EQ(BstrView(memberNames[1]), u"DN");
  for (UINT i = 0; i < named; ++i) SysFreeString(memberNames[i]);
  // Invoked through the type information, a member runs on the instance.
  VARIANT result{};
  DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
  ASSERT_EQ(type->Invoke(static_cast<IUnknown*>(dispatch.get()), 3, DISPATCH_PROPERTYGET,
                         &noArguments, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);

  // The class: its scripting interface by default, its events as the default source.
  ComPtr<ITypeInfo> classType;
  ASSERT_EQ(Query<IProvideClassInfo>(object.get(), IID_IProvideClassInfo)
                ->GetClassInfo(classType.Receive()),
            S_OK);
  ASSERT_EQ(classType->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, kTypeKindCoClass);
  EXPECT_EQ(attributes->cImplTypes, 2u);
  classType->ReleaseTypeAttr(attributes);
  INT flags = 0;
  HREFTYPE reference = 0;
  ASSERT_EQ(classType->GetImplTypeFlags(1, &flags), S_OK);
  EXPECT_EQ(flags, kImplTypeDefault | kImplTypeSource);
  ASSERT_EQ(classType->GetRefTypeOfImplType(1, &reference), S_OK);
  ComPtr<ITypeInfo> events;
  ASSERT_EQ(classType->GetRefTypeInfo(reference, events.Receive()), S_OK);
  ASSERT_EQ(events->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, DIID__IOmbrelTolvaneVelsorEvents20_64);
  EXPECT_EQ(attributes->cFuncs, 0u);
  events->ReleaseTypeAttr(attributes);
}

}  // namespace
}  // namespace velsor::module
