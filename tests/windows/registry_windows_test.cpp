#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/registry/registrar.h"
#include "platform/registry/registry.h"

namespace velsor::registry {
namespace {

std::u16string Digits(unsigned long number) {
  const std::string text = std::to_string(number);
  return std::u16string(text.begin(), text.end());
}

// A key of this run's own under the user's and the classes' trees, gone afterwards.
class RegistryWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = u"Software\\VelsorTest-" + Digits(GetCurrentProcessId());
    clsid = u"CLSID\\{0BADF00D-0000-4000-8000-00000000" +
            Digits(GetCurrentProcessId() % 10000 + 10000).substr(1) + u"}";
  }
  void TearDown() override {
    registry->DeleteTree(Root::CurrentUser, base);
    registry->DeleteTree(Root::ClassesRoot, clsid);
  }
  Result<Registry> registry = Registry::Open();
  std::u16string base;
  std::u16string clsid;
};

TEST_F(RegistryWindowsTest, KeysValuesAndTreesOnTheSystemsRegistry) {
  ASSERT_TRUE(registry);
  ASSERT_TRUE(registry->SetValue(Root::CurrentUser, base + u"\\Settings", u"stubPath",
                                 {REG_EXPAND_SZ, u"C:\\velsorStub\\"}));
  ASSERT_TRUE(registry->CreateKey(Root::CurrentUser, base + u"\\Other"));
  const auto stub = registry->QueryValue(Root::CurrentUser, base + u"\\SETTINGS", u"STUBPATH");
  ASSERT_TRUE(stub) << "names ignore case";
  EXPECT_EQ(stub->type, REG_EXPAND_SZ);
  EXPECT_EQ(stub->data, u"C:\\velsorStub\\");
  EXPECT_EQ(registry->QueryValue(Root::CurrentUser, base, u"missing").code(),
            ERROR_FILE_NOT_FOUND_HR);
  const auto subKeys = registry->SubKeys(Root::CurrentUser, base);
  ASSERT_TRUE(subKeys);
  EXPECT_EQ(subKeys->size(), 2u);
  ASSERT_TRUE(registry->DeleteValue(Root::CurrentUser, base + u"\\Settings", u"stubPath"));
  EXPECT_EQ(registry->DeleteValue(Root::CurrentUser, base + u"\\Settings", u"stubPath").code(),
            ERROR_FILE_NOT_FOUND_HR);

  ASSERT_TRUE(registry->DeleteTree(Root::CurrentUser, base));
  EXPECT_FALSE(registry->KeyExists(Root::CurrentUser, base + u"\\Settings"));
  EXPECT_FALSE(registry->KeyExists(Root::CurrentUser, base));
  EXPECT_EQ(registry->DeleteTree(Root::CurrentUser, base).code(), ERROR_FILE_NOT_FOUND_HR);
}

TEST_F(RegistryWindowsTest, TheClassesRootIsTheMachinesClasses) {
  ASSERT_TRUE(registry->CheckWritable());
  ASSERT_TRUE(registry->SetValue(Root::ClassesRoot, clsid + u"\\InprocServer32", u"",
                                 {REG_SZ, u"C:\\velsor\\OmbrelVelsor20_64.DLL"}));
  const auto module = registry->QueryValue(
      Root::LocalMachine, u"SOFTWARE\\Classes\\" + clsid + u"\\InprocServer32", u"");
  ASSERT_TRUE(module);
  EXPECT_EQ(module->data, u"C:\\velsor\\OmbrelVelsor20_64.DLL");
}

TEST_F(RegistryWindowsTest, RegistrationScriptsRunAgainstTheSystemsRegistry) {
  const std::u16string leaf = base.substr(base.find(u'\\') + 1);
  const std::u16string script = u"HKCU\n{\n  NoRemove Software\n  {\n    ForceRemove " + leaf +
                                u" = s 'written by a script'\n  }\n}\n";
  ASSERT_TRUE(RunRegistrationScript(*registry, script, {}, true));
  const auto value = registry->QueryValue(Root::CurrentUser, base, u"");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, u"written by a script");
}

}  // namespace
}  // namespace velsor::registry
