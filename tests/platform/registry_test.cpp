#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include "fixtures/test_pki.h"

namespace velsor::registry {
namespace {

TEST(Registry, KeysValuesAndTrees) {
  testing::ScopedVelsorHome home;
  auto registry = Registry::Open();
  ASSERT_TRUE(registry);
  const std::u16string clsid = u"CLSID\\{1234}";
  ASSERT_TRUE(registry->SetValue(Root::ClassesRoot, clsid + u"\\InprocServer32", u"",
                                 {REG_SZ, u"/lib/module.so"}));
  ASSERT_TRUE(registry->SetValue(Root::LocalMachine,
                                 u"SOFTWARE\\Classes\\clsid\\{1234}\\CtlSettings", u"stubPath",
                                 {REG_EXPAND_SZ, u"/home/u/stub/"}));
  ASSERT_TRUE(registry->CreateKey(Root::ClassesRoot, u"CLSID\\{other}"));

  // The classes root is a view of the machine's classes, and names ignore case.
  const auto module = registry->QueryValue(
      Root::LocalMachine, u"software\\classes\\CLSID\\{1234}\\InprocServer32", u"");
  ASSERT_TRUE(module);
  EXPECT_EQ(module->data, u"/lib/module.so");
  const auto stub = registry->QueryValue(Root::ClassesRoot, clsid + u"\\CtlSettings", u"STUBPATH");
  ASSERT_TRUE(stub);
  EXPECT_EQ(stub->type, REG_EXPAND_SZ);
  EXPECT_EQ(registry->QueryValue(Root::ClassesRoot, clsid, u"missing").code(),
            ERROR_FILE_NOT_FOUND_HR);
  EXPECT_EQ(*registry->SubKeys(Root::ClassesRoot, u"CLSID"),
            (std::vector<std::u16string>{u"{1234}", u"{other}"}));

  ASSERT_TRUE(registry->DeleteTree(Root::ClassesRoot, clsid));
  EXPECT_FALSE(registry->KeyExists(Root::ClassesRoot, clsid + u"\\CtlSettings"));
  EXPECT_FALSE(registry->KeyExists(Root::ClassesRoot, clsid));
  EXPECT_TRUE(registry->KeyExists(Root::ClassesRoot, u"CLSID"));
  EXPECT_TRUE(registry->KeyExists(Root::ClassesRoot, u"CLSID\\{other}"));
  EXPECT_EQ(registry->QueryValue(Root::ClassesRoot, clsid + u"\\CtlSettings", u"stubPath").code(),
            ERROR_FILE_NOT_FOUND_HR);
  EXPECT_EQ(registry->DeleteTree(Root::ClassesRoot, clsid).code(), ERROR_FILE_NOT_FOUND_HR);
  EXPECT_EQ(RootNamed(u"HKCR"), Root::ClassesRoot);
}

}  // namespace
}  // namespace velsor::registry
