#include "module/control_object.h"

#include <gtest/gtest.h>

#include <vector>

#include "control/ombrel_tolvane_velsor.h"
#include "module/memory_storage.h"
#include "module/type_library.h"
#include "platform/com/canvas.h"
#include "platform/com/view_object.h"
#include "platform/com/com_ptr.h"

namespace velsor::module {
namespace {

using testing::MemoryStorage;
using testing::MemoryStream;

template <class Interface>
ComPtr<Interface> Query(IUnknown* object, REFIID iid) {
  ComPtr<Interface> found;
  EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(found.Receive())), S_OK);
  return found;
}

class ControlObjectTest : public ::testing::Test {
 protected:
  ComPtr<IUnknown> object = ComPtr<IUnknown>::Adopt(ControlObject::Create(nullptr));
};

TEST_F(ControlObjectTest, TheExtentSurvivesAStreamAndAStorage) {
  auto stream = Query<IPersistStreamInit>(object.get(), IID_IPersistStreamInit);
  CLSID clsid{};
  ASSERT_EQ(stream->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_OmbrelTolvaneVelsor20_64);
  ULARGE_INTEGER size{};
  stream->GetSizeMax(&size);

  // The extent a host saved earlier: 1000 by 300 HIMETRIC.
  MemoryStream saved;
  const Bytes earlier{0x00, 0x01, 0x00, 0x00, 19, 0, 0xE8, 0x03, 0, 0, 19, 0, 0x2C, 0x01, 0, 0};
  saved.Write(earlier.data(), static_cast<ULONG>(earlier.size()), nullptr);
  saved.Rewind();
  ASSERT_EQ(stream->Load(&saved), S_OK);
  EXPECT_EQ(stream->IsDirty(), S_FALSE);
  MemoryStream again;
  ASSERT_EQ(stream->Save(&again, 1), S_OK);
  EXPECT_EQ(again.bytes(), earlier);
  EXPECT_EQ(size.QuadPart, earlier.size());

  MemoryStorage storage;
  auto persistStorage = Query<IPersistStorage>(object.get(), IID_IPersistStorage);
  ASSERT_EQ(persistStorage->Save(&storage, 1), S_OK);
  ASSERT_EQ(storage.streams().count(u"Contents"), 1u);
  ComPtr<IUnknown> other = ComPtr<IUnknown>::Adopt(ControlObject::Create(nullptr));
  ASSERT_EQ(Query<IPersistStorage>(other.get(), IID_IPersistStorage)->Load(&storage), S_OK);
  MemoryStream fromOther;
  Query<IPersistStreamInit>(other.get(), IID_IPersistStreamInit)->Save(&fromOther, 1);
  EXPECT_EQ(fromOther.bytes(), earlier);

  // A stream in another format changes nothing.
  MemoryStream broken;
  const Bytes wrong{0x00, 0x01, 0x00, 0x00, 8, 0, 1, 2, 3, 4};
  broken.Write(wrong.data(), static_cast<ULONG>(wrong.size()), nullptr);
  broken.Rewind();
  EXPECT_NE(stream->Load(&broken), S_OK);
  MemoryStream unchanged;
  stream->Save(&unchanged, 1);
  EXPECT_EQ(unchanged.bytes(), earlier);
  EXPECT_EQ(stream->InitNew(), S_OK);
  MemoryStream fresh;
  stream->Save(&fresh, 1);
  EXPECT_EQ(fresh.bytes()[6] | fresh.bytes()[7] << 8, 5080) << "two inches wide";
}

// Records what the control draws.
class RecordingCanvas final : public Canvas {
 public:
  void Rectangle(const RECTL& bounds) override { rectangles.push_back(bounds); }
  void SetTextAlign(UINT value) override { alignment = value; }
  void WriteText(LONG x, LONG y, std::u16string_view text) override {
    textX = x;
    textY = y;
    this->text = text;
  }
  std::vector<RECTL> rectangles;
  UINT alignment = 0;
  LONG textX = 0, textY = 0;
  std::u16string text;
};

class Sink final : public IPropertyNotifySink {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IPropertyNotifySink || riid == IID_IUnknown ? this : nullptr;
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT OnChanged(DISPID) override { return S_OK; }
  HRESULT OnRequestEdit(DISPID) override { return S_OK; }
};

TEST_F(ControlObjectTest, DrawingClassInfoAndNotifications) {
  RecordingCanvas canvas;
  const RECTL bounds{10, 20, 110, 70};
  // On POSIX the device context a host passes is the canvas.
  auto view = Query<IViewObject>(object.get(), IID_IViewObject);
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &canvas, &bounds, nullptr,
                       nullptr, 0),
            S_OK);
  ASSERT_EQ(canvas.rectangles.size(), 1u);
  EXPECT_EQ(canvas.rectangles[0].right, 110);
  EXPECT_EQ(canvas.alignment, 30u);
  EXPECT_EQ(canvas.textX, 60);
  EXPECT_EQ(canvas.textY, 45);
  EXPECT_EQ(canvas.text, u"Welcome to Ombrel TolvaneVelsor20_64");
  EXPECT_EQ(view->Draw(2, -1, nullptr, nullptr, nullptr, &canvas, &bounds, nullptr, nullptr, 0),
            DV_E_DVASPECT)
      << "only the content aspect";
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &canvas, nullptr, nullptr,
                       nullptr, 0),
            E_INVALIDARG)
      << "no bounds while not active in place";
  EXPECT_EQ(canvas.rectangles.size(), 1u);

  GUID source{};
  auto classInfo = Query<IProvideClassInfo2>(object.get(), IID_IProvideClassInfo2);
  ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_EQ(source, DIID__IOmbrelTolvaneVelsorEvents20_64);
  EXPECT_EQ(classInfo->GetGUID(2, &source), E_INVALIDARG);

  auto container = Query<IConnectionPointContainer>(object.get(), IID_IConnectionPointContainer);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.Receive()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(DIID__IOmbrelTolvaneVelsorEvents20_64, point.Receive()),
            S_OK)
      << "the default source";
  ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Receive()), S_OK);
  IID iid{};
  point->GetConnectionInterface(&iid);
  EXPECT_EQ(iid, IID_IPropertyNotifySink);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(object.get(), &cookie), CONNECT_E_CANNOTCONNECT)
      << "the sink must be a property notification sink";
  EXPECT_EQ(point->Unadvise(7), CONNECT_E_NOCONNECTION);
  Sink sink;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

TEST(TypeLibrary, DescribesEveryMemberFromTheTable) {
  const std::string idl = TypeLibraryDescription();
  EXPECT_NE(idl.find("library OmbrelVELSORLib20_64"), std::string::npos);
  EXPECT_NE(idl.find("[propput, id(1), helpstring(\"property DNspliter\")] HRESULT "
                     "DNspliter([in] BSTR);"),
            std::string::npos);
  EXPECT_NE(idl.find("[id(33), helpstring(\"method IsCertExists\")] HRESULT IsCertExists([in] "
                     "BSTR DN, [out, retval] unsigned long* pdwRet);"),
            std::string::npos);
  EXPECT_NE(idl.find("HRESULT VLAdvanceAttachedVerify(BSTR signedMsg);"), std::string::npos)
      << "no direction flag on that parameter";
  EXPECT_NE(idl.find("[id(52), helpstring(\"方法VLSetCopyRightInfo\")]"), std::string::npos);
  EXPECT_NE(idl.find("[default, source] dispinterface _IOmbrelTolvaneVelsorEvents20_64;"),
            std::string::npos);
}

}  // namespace
}  // namespace velsor::module
