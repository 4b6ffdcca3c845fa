#include <gtest/gtest.h>

#include "control/ombrel_tolvane_velsor.h"
#include "fixtures/test_pki.h"
#include "platform/codepage/utf.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/class_factory.h"
#include "platform/registry/registry.h"

namespace velsor {
namespace {

using Entry = HRESULT (*)();
using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);

// The built module, loaded as a host loads it.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto loaded = LoadModule(VELSOR_MODULE_PATH);
    ASSERT_TRUE(loaded) << loaded.error().detail;
    module = *loaded;
  }
  template <class Function>
  Function Export(const char* name) {
    return reinterpret_cast<Function>(ModuleFunction(module, name));
  }
  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(Export<GetClassObject>("DllGetClassObject")(
                  CLSID_OmbrelTolvaneVelsor20_64, IID_IClassFactory,
                  reinterpret_cast<void**>(factory.Receive())),
              S_OK);
    return factory;
  }
  HRESULT CanUnloadNow() { return Export<Entry>("DllCanUnloadNow")(); }

  testing::ScopedVelsorHome home;
  ModuleHandle module;
};

// A minimal outer object, to aggregate the control.
class Outer final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
};

TEST_F(ModuleTest, RegistrationComesAndGoesCleanly) {
  auto registry = registry::Registry::Open();
  ASSERT_TRUE(registry->CreateKey(registry::Root::ClassesRoot, u"CLSID\\{unrelated}"));
  ASSERT_EQ(Export<Entry>("DllRegisterServer")(), S_OK);
  const std::u16string clsid =
      u"CLSID\\" + std::u16string(u"{4C6A3A2C-7B13-4F80-AE23-A7FBA58E20FD}");
  const auto server =
      registry->QueryValue(registry::Root::ClassesRoot, clsid + u"\\InprocServer32", u"");
  ASSERT_TRUE(server);
  EXPECT_EQ(server->data.front(), u'/') << "the module's full path";
  EXPECT_EQ(
      registry->QueryValue(registry::Root::ClassesRoot, clsid + u"\\MiscStatus\\1", u"")->data,
      u"131473");
  const auto stub = registry->QueryValue(
      registry::Root::LocalMachine, u"SOFTWARE\\Classes\\" + clsid + u"\\CtlSettings", u"stubPath");
  ASSERT_TRUE(stub);
  EXPECT_EQ(stub->data.back(), u'/');
  EXPECT_EQ(
      registry->QueryValue(registry::Root::ClassesRoot, u"Velsor.TolvaneVelsor20_64\\CurVer", u"")
          ->data,
      u"Velsor.TolvaneVelsor20_64.1");
  const auto typeLibrary = registry->QueryValue(
      registry::Root::ClassesRoot,
      u"TypeLib\\{BEB3E6DF-CE79-4386-8001-3DEFEA6DE53B}\\1.0\\0\\linux64", u"");
  ASSERT_TRUE(typeLibrary);
  const std::filesystem::path description = codepage::Utf16ToUtf8(typeLibrary->data);
  EXPECT_GT(std::filesystem::file_size(description), 1000u);
  ASSERT_EQ(Export<Entry>("DllRegisterServer")(), S_OK) << "registering twice is harmless";

  // Activation through the registry, as pages do it.
  auto activated = CreateDispatchObject(u"Velsor.TolvaneVelsor20_64.1");
  ASSERT_TRUE(activated) << activated.error().detail;
  activated->object = ComPtr<IDispatch>();

  ASSERT_EQ(Export<Entry>("DllUnregisterServer")(), S_OK);
  for (const std::u16string& key :
       {clsid, std::u16string(u"Velsor.TolvaneVelsor20_64"),
        std::u16string(u"Velsor.TolvaneVelsor20_64.1"),
        std::u16string(u"TypeLib\\{BEB3E6DF-CE79-4386-8001-3DEFEA6DE53B}")}) {
    EXPECT_FALSE(registry->KeyExists(registry::Root::ClassesRoot, key));
  }
  EXPECT_FALSE(std::filesystem::exists(description));
  EXPECT_TRUE(registry->KeyExists(registry::Root::ClassesRoot, u"CLSID"));
  EXPECT_TRUE(registry->KeyExists(registry::Root::ClassesRoot, u"CLSID\\{unrelated}"));
  EXPECT_EQ(CreateDispatchObject(u"Velsor.TolvaneVelsor20_64.1").code(), CO_E_CLASSSTRING);
}

TEST_F(ModuleTest, FactoryLifetimeAndAggregation) {
  ComPtr<IClassFactory> factory = Factory();
  ASSERT_TRUE(factory);
  void* object = nullptr;
  EXPECT_EQ(Export<GetClassObject>("DllGetClassObject")(IID_IDispatch, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  {
    ComPtr<IDispatch> control;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch,
                                      reinterpret_cast<void**>(control.Receive())),
              S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE) << "an object lives";
  }
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(0), S_OK);

  Outer outer;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IDispatch, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  IUnknown* inner = nullptr;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
  IOmbrelTolvaneVelsor20_64* control = nullptr;
  ASSERT_EQ(
      inner->QueryInterface(IID_IOmbrelTolvaneVelsor20_64, reinterpret_cast<void**>(&control)),
      S_OK);
  EXPECT_EQ(control->QueryInterface(IID_IObjectSafety, &object), E_NOINTERFACE)
      << "an aggregated part asks its outer object";
  LONG errorNum = 1;
  EXPECT_EQ(control->get_errorNum(&errorNum), S_OK);
  EXPECT_EQ(errorNum, 0);
  control->Release();
  EXPECT_EQ(inner->Release(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, ObjectSafety) {
  ComPtr<IUnknown> control;
  ASSERT_EQ(
      Factory()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control.Receive())),
      S_OK);
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.Receive())),
            S_OK);
  DWORD supported = 9, enabled = 9;
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3), S_OK);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 2, 0), S_OK);
  safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
  EXPECT_EQ(enabled, 1u) << "only the bits in the mask change";
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1), E_NOINTERFACE);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(supported, 0u);
  EXPECT_EQ(enabled, 0u);
}

}  // namespace
}  // namespace velsor
