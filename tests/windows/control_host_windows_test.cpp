// The DLL hosted as a page's object tag hosts it: created through COM by its class, made
// safe, initialised, given a site, sized, activated in place, drawn, called, deactivated
// and released; and the same by Wine's own ATL container. Everything here goes through the
// system's own declarations of the interfaces, as a real container's code does.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <objsafe.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kProgId[] = L"Velsor.TolvaneVelsor20_64.1";
constexpr wchar_t kGreeting[] = L"Welcome to Ombrel TolvaneVelsor20_64";
constexpr DWORD kControlStyle = 0x56000000;
const wchar_t* const kModule = L"" VELSOR_MODULE_DLL;

// Owns a reference, as the tests need no more of a smart pointer than that.
template <class Interface>
class Ref {
 public:
  Ref() = default;
  Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  Interface** Receive() {
    Reset();
    return &object_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  Interface* operator->() const { return object_; }
  Interface* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }

 private:
  Interface* object_ = nullptr;
};

using EntryPoint = HRESULT(WINAPI*)();

template <class Function>
Function Exported(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HRESULT CallModule(const char* entry) {
  HMODULE module = LoadLibraryW(kModule);
  if (module == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  auto function = Exported<EntryPoint>(module, entry);
  const HRESULT hr = function != nullptr ? function() : E_FAIL;
  FreeLibrary(module);
  return hr;
}

// A plain window class for the containers' windows.
HWND MakeWindow(HWND parent, DWORD style, const RECT& place, const wchar_t* windowClass = nullptr,
                const wchar_t* text = nullptr) {
  static const ATOM plain = [] {
    WNDCLASSW definition{};
    definition.lpfnWndProc = DefWindowProcW;
    definition.hInstance = GetModuleHandleW(nullptr);
    definition.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    definition.lpszClassName = L"VelsorTestContainer";
    return RegisterClassW(&definition);
  }();
  return CreateWindowExW(0, windowClass != nullptr ? windowClass : MAKEINTATOM(plain), text, style,
                         place.left, place.top, place.right - place.left,
                         place.bottom - place.top, parent, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

void PumpMessages(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// The pixels of a 32-bit picture, top row first.
struct Picture {
  LONG width = 0;
  LONG height = 0;
  std::vector<DWORD> pixels;
  DWORD At(LONG x, LONG y) const { return pixels[static_cast<size_t>(y * width + x)] & 0xFFFFFF; }
  int DarkIn(const RECT& area) const {
    int dark = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
      for (LONG x = area.left; x < area.right; ++x) dark += At(x, y) == 0 ? 1 : 0;
    }
    return dark;
  }
};

// A device context over a white 32-bit picture of the given size.
class MemoryCanvas {
 public:
  MemoryCanvas(LONG width, LONG height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<DWORD*>(bits);
    width_ = width;
    height_ = height;
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~MemoryCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  Picture Take() const {
    GdiFlush();
    return {width_, height_, std::vector<DWORD>(bits_, bits_ + width_ * height_)};
  }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  DWORD* bits_ = nullptr;
  LONG width_ = 0, height_ = 0;
};

// What the screen shows, as a 32-bit picture; written to `file` as a bitmap when given.
Picture Screenshot(const wchar_t* file) {
  HDC screen = GetDC(nullptr);
  const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  MemoryCanvas canvas(width, height);
  BitBlt(canvas.dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ReleaseDC(nullptr, screen);
  Picture picture = canvas.Take();
  if (file != nullptr) {
    const DWORD size = static_cast<DWORD>(picture.pixels.size() * 4);
    BITMAPFILEHEADER header{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    header.bfSize = header.bfOffBits + size;
    BITMAPINFOHEADER info{sizeof info, width, -height, 1, 32, BI_RGB, size, 0, 0, 0, 0};
    FILE* out = _wfopen(file, L"wb");
    if (out != nullptr) {
      fwrite(&header, sizeof header, 1, out);
      fwrite(&info, sizeof info, 1, out);
      fwrite(picture.pixels.data(), 1, size, out);
      fclose(out);
    }
  }
  return picture;
}

// The outline and the greeting inside `area` of a picture: the rectangle's edges in the
// default black pen, white inside, and the text's dark pixels about the centre.
void ExpectTheDrawing(const Picture& picture, const RECT& area) {
  const LONG middleX = (area.left + area.right) / 2, middleY = (area.top + area.bottom) / 2;
  EXPECT_EQ(picture.At(area.left, middleY + 20), 0u) << "left edge";
  EXPECT_EQ(picture.At(area.right - 1, middleY + 20), 0u) << "right edge";
  EXPECT_EQ(picture.At(middleX - 60, area.top), 0u) << "top edge";
  EXPECT_EQ(picture.At(middleX - 60, area.bottom - 1), 0u) << "bottom edge";
  EXPECT_EQ(picture.At(area.left + 3, area.top + 3), 0xFFFFFFu) << "filled white";
  // The text stands on the centre line, centred: ink above the baseline on both sides.
  EXPECT_GT(picture.DarkIn({middleX - 100, middleY - 14, middleX, middleY}), 20);
  EXPECT_GT(picture.DarkIn({middleX, middleY - 14, middleX + 100, middleY}), 20);
  EXPECT_EQ(picture.DarkIn({area.left + 2, area.top + 2, area.right - 2, middleY - 25}), 0)
      << "nothing above the text";
}

Ref<IUnknown> CreateControl() {
  CLSID clsid{};
  Ref<IUnknown> control;
  EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             control.ReceiveVoid()),
            S_OK);
  return control;
}

// A site as a page's object tag gives its control: client site, in-place site and frame.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  Site(HWND window, RECT place) : window_(window), place_(place) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    }
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    activations++;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    AddRef();
    *frame = this;
    *document = nullptr;
    *position = place_;
    *clip = place_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    deactivations++;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorW(LPMSG, WORD) override { return S_FALSE; }

  ULONG references = 1;
  int activations = 0;
  int deactivations = 0;

 private:
  HWND window_;
  RECT place_;
};

// An object that aggregates the control: everything but its own IUnknown comes from the
// control's inner object.
class Outer final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown) {
      *object = this;
      AddRef();
      return S_OK;
    }
    return inner.get()->QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  Ref<IUnknown> inner;
  ULONG references = 1;
};

// Calls VLBase64Encode through IDispatch, by name, as a page's script does.
std::wstring EncodeThroughScripting(IUnknown* control, const wchar_t* text) {
  Ref<IDispatch> dispatch;
  if (control->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()) != S_OK) return L"no IDispatch";
  OLECHAR* name = const_cast<OLECHAR*>(L"VLBase64Encode");
  DISPID id = 0;
  if (dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id) != S_OK) return L"?";
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocString(text);
  DISPPARAMS parameters{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                      &parameters, &result, nullptr, nullptr);
  VariantClear(&argument);
  std::wstring answer = hr == S_OK && result.vt == VT_BSTR ? result.bstrVal : L"failed";
  VariantClear(&result);
  return answer;
}

class HostedControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(CallModule("DllRegisterServer"), S_OK); }
  static void TearDownTestSuite() { EXPECT_EQ(CallModule("DllUnregisterServer"), S_OK); }
  void SetUp() override { ASSERT_EQ(OleInitialize(nullptr), S_OK); }
  void TearDown() override {
    // Every object and enumerator released: the module may go.
    if (GetModuleHandleW(kModuleName) != nullptr) {
      EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
    }
    OleUninitialize();
  }
  // The loaded module's answer; E_FAIL when COM has not loaded it.
  static HRESULT ModuleCanUnloadNow() {
    HMODULE module = GetModuleHandleW(kModuleName);
    return module != nullptr ? Exported<EntryPoint>(module, "DllCanUnloadNow")() : E_FAIL;
  }
  static constexpr wchar_t kModuleName[] = L"OmbrelVelsor20_64.DLL";
};

TEST_F(HostedControlTest, EveryInterfaceAnswersAlsoWhenAggregated) {
  const IID interfaces[] = {IID_IDispatch,
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
  Ref<IUnknown> control = CreateControl();
  ASSERT_TRUE(control);
  Ref<IObjectSafety> safety;
  ASSERT_EQ(control->QueryInterface(IID_IObjectSafety, safety.ReceiveVoid()), S_OK);
  for (const IID& iid : interfaces) {
    Ref<IUnknown> part;
    EXPECT_EQ(control->QueryInterface(iid, part.ReceiveVoid()), S_OK);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(iid, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
  }
  safety.Reset();

  Outer outer;
  CLSID clsid{};
  CLSIDFromProgID(kProgId, &clsid);
  ASSERT_EQ(CoCreateInstance(clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             outer.inner.ReceiveVoid()),
            S_OK);
  for (const IID& iid : interfaces) {
    Ref<IUnknown> part;
    ASSERT_EQ(outer.QueryInterface(iid, part.ReceiveVoid()), S_OK);
    // A part's IUnknown is the outer object's.
    Ref<IUnknown> identity;
    ASSERT_EQ(part->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer));
  }
  EXPECT_EQ(EncodeThroughScripting(&outer, L"abc"), L"YWJj\n");
  outer.inner.Reset();
  EXPECT_EQ(outer.references, 1u);
}

TEST_F(HostedControlTest, AContainerActivatesItInPlaceDrawsItAndCallsIt) {
  const RECT frameRect{0, 0, 520, 300};
  HWND frame = MakeWindow(nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, frameRect);
  ASSERT_NE(frame, nullptr);
  const RECT place{20, 30, 420, 130};
  Site site(frame, place);

  Ref<IUnknown> control = CreateControl();
  ASSERT_TRUE(control);
  // What a browser asks first: safe for scripting on IDispatch, safe for initialisation.
  Ref<IObjectSafety> safety;
  ASSERT_EQ(control->QueryInterface(IID_IObjectSafety, safety.ReceiveVoid()), S_OK);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                              INTERFACESAFE_FOR_UNTRUSTED_CALLER),
            S_OK);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStreamInit,
                                              INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                              INTERFACESAFE_FOR_UNTRUSTED_DATA),
            S_OK);

  // Loaded from the extent a page saved (1000 by 300 HIMETRIC), then a new one set.
  Ref<IPersistStreamInit> persist;
  ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, persist.ReceiveVoid()), S_OK);
  ASSERT_EQ(persist->InitNew(), S_OK);
  const BYTE saved[] = {0x00, 0x01, 0x00, 0x00, 19, 0, 0xE8, 0x03, 0, 0, 19, 0, 0x2C, 0x01, 0, 0};
  Ref<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), S_OK);
  stream->Write(saved, sizeof saved, nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(persist->Load(stream.get()), S_OK);
  Ref<IOleObject> ole;
  ASSERT_EQ(control->QueryInterface(IID_IOleObject, ole.ReceiveVoid()), S_OK);
  SIZEL extent{};
  ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cx, 1000);
  EXPECT_EQ(extent.cy, 300);

  DWORD status = 0;
  ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status & OLEMISC_SETCLIENTSITEFIRST, static_cast<DWORD>(OLEMISC_SETCLIENTSITEFIRST));
  ASSERT_EQ(ole->SetClientSite(&site), S_OK);
  extent = {10583, 2646};  // 400 by 100 pixels at 96 dpi
  ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, frame, &place), S_OK);
  EXPECT_EQ(site.activations, 1);

  // Its window: a child of the site's, with the control's styles, where the site put it.
  Ref<IOleInPlaceObject> inPlace;
  ASSERT_EQ(control->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid()), S_OK);
  HWND window = nullptr;
  ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
  EXPECT_EQ(FindWindowExW(frame, nullptr, L"VelsorControlWindow", nullptr), window);
  EXPECT_EQ(GetParent(window), frame);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), kControlStyle);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE), 0);
  RECT at{};
  GetWindowRect(window, &at);
  MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&at), 2);
  EXPECT_EQ(at.left, place.left);
  EXPECT_EQ(at.top, place.top);
  EXPECT_EQ(at.right, place.right);
  EXPECT_EQ(at.bottom, place.bottom);
  const RECT moved{10, 10, 410, 110};
  ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  GetWindowRect(window, &at);
  MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&at), 2);
  EXPECT_EQ(at.left, 10);

  // Drawn on a memory device context: exactly what the drawing's GDI calls make.
  Ref<IViewObject> view;
  ASSERT_EQ(control->QueryInterface(IID_IViewObject, view.ReceiveVoid()), S_OK);
  MemoryCanvas drawn(400, 100), expected(400, 100);
  const RECTL bounds{0, 0, 400, 100};
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, drawn.dc(), &bounds,
                       nullptr, nullptr, 0),
            S_OK);
  Rectangle(expected.dc(), 0, 0, 400, 100);
  SetTextAlign(expected.dc(), TA_CENTER | TA_BASELINE);
  TextOutW(expected.dc(), 200, 50, kGreeting, lstrlenW(kGreeting));
  const Picture picture = drawn.Take();
  EXPECT_TRUE(picture.pixels == expected.Take().pixels);
  ExpectTheDrawing(picture, {0, 0, 400, 100});

  // A scripting member on the hosted instance.
  EXPECT_EQ(EncodeThroughScripting(control.get(), L"hosted"), L"aG9zdGVk\n");
  EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE) << "an object lives";

  ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_EQ(site.deactivations, 1);
  EXPECT_FALSE(IsWindow(window)) << "the window goes with deactivation";
  ASSERT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
  ASSERT_EQ(ole->SetClientSite(nullptr), S_OK);
  inPlace.Reset();
  view.Reset();
  ole.Reset();
  persist.Reset();
  safety.Reset();
  control.Reset();
  EXPECT_EQ(site.references, 1u) << "the control holds nothing of the site";
  EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
  DestroyWindow(frame);
}

// An event sink as a page's script engine makes one: a dispatch object that answers for the
// control's default source interface.
class EventSink final : public IDispatch {
 public:
  explicit EventSink(const IID& events) : events_(events) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown || riid == IID_IDispatch || riid == events_ ? this : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    ++fired;
    return S_OK;
  }
  ULONG references = 1;
  int fired = 0;

 private:
  IID events_;
};

TEST_F(HostedControlTest, APageReadsItsTypeInformationAndBindsItsEvents) {
  Ref<IUnknown> control = CreateControl();
  ASSERT_TRUE(control);
  Ref<IDispatch> dispatch;
  ASSERT_EQ(control->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()), S_OK);
  UINT count = 0;
  ASSERT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  ASSERT_EQ(count, 1u);
  Ref<ITypeInfo> type;
  ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, type.Receive()), S_OK);
  BSTR name = nullptr;
  ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_STREQ(name, L"IOmbrelTolvaneVelsor20_64");
  SysFreeString(name);
  OLECHAR* member = const_cast<OLECHAR*>(L"VLBase64Encode");
  MEMBERID id = 0;
  ASSERT_EQ(type->GetIDsOfNames(&member, 1, &id), S_OK);
  DISPID dispatchId = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &dispatchId), S_OK);
  EXPECT_EQ(id, dispatchId) << "the library and the object agree";

  // The class: the default source interface, whose connection point a page advises.
  Ref<IProvideClassInfo2> classInfo;
  ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo2, classInfo.ReceiveVoid()), S_OK);
  Ref<ITypeInfo> classType;
  ASSERT_EQ(classInfo->GetClassInfo(classType.Receive()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(classType->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_EQ(attributes->cImplTypes, 2);
  classType->ReleaseTypeAttr(attributes);
  GUID source{};
  ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  Ref<IConnectionPointContainer> points;
  ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, points.ReceiveVoid()), S_OK);
  Ref<IConnectionPoint> point;
  ASSERT_EQ(points->FindConnectionPoint(source, point.Receive()), S_OK);
  EventSink sink(source);
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_EQ(EncodeThroughScripting(control.get(), L"x"), L"eA==\n");
  EXPECT_EQ(sink.fired, 0) << "the interface has no events to fire";
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(sink.references, 1u);
}

TEST_F(HostedControlTest, WinesAtlContainerHostsItAndShowsIt) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  using Init = BOOL(WINAPI*)();
  using GetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
  auto init = Exported<Init>(atl, "AtlAxWinInit");
  auto getControl = Exported<GetControl>(atl, "AtlAxGetControl");
  ASSERT_TRUE(init != nullptr && getControl != nullptr);
  ASSERT_TRUE(init());

  HWND frame = MakeWindow(nullptr, WS_POPUP | WS_VISIBLE, {0, 0, 600, 320});
  ASSERT_NE(frame, nullptr);
  const RECT place{40, 60, 540, 260};
  HWND host = MakeWindow(frame, WS_CHILD | WS_VISIBLE, place, L"AtlAxWin", kProgId);
  ASSERT_NE(host, nullptr);
  PumpMessages(800);

  Ref<IUnknown> control;
  ASSERT_EQ(getControl(host, control.Receive()), S_OK);
  HWND window = FindWindowExW(host, nullptr, L"VelsorControlWindow", nullptr);
  ASSERT_NE(window, nullptr) << "the control made its window in the container's";
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), kControlStyle);
  EXPECT_EQ(EncodeThroughScripting(control.get(), L"atl"), L"YXRs\n");

  RECT shown{};
  GetWindowRect(window, &shown);
  EXPECT_EQ(shown.right - shown.left, 500);
  EXPECT_EQ(shown.bottom - shown.top, 200);
  const Picture screen = Screenshot(L"atl-container.bmp");
  ExpectTheDrawing(screen, shown);

  control.Reset();
  DestroyWindow(frame);
  PumpMessages(100);
  CoFreeUnusedLibraries();
}

}  // namespace
