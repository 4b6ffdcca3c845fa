#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

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

// What root registers for the machine every user reads; a user's own key wins, and only a
// machine-wide registration changes the machine's.
TEST(Registry, TheMachinesKeysServeEveryUserAndTheUsersOwnWin) {
  const std::filesystem::path machine = testing::MakeTemporaryFolder("velsor-machine") / "lib";
  testing::ScopedEnvironment machineHome("VELSOR_MACHINE_HOME", machine.string());
  const std::u16string server = u"CLSID\\{1234}\\InprocServer32";
  {
    testing::ScopedEnvironment wide("VELSOR_MACHINE_WIDE", "1");
    testing::ScopedVelsorHome rootsHome;
    auto registry = Registry::Open();
    ASSERT_TRUE(registry);
    ASSERT_TRUE(registry->SetValue(Root::ClassesRoot, server, u"", {REG_SZ, u"/usr/lib/m.so"}));
    ASSERT_TRUE(registry->SetValue(Root::ClassesRoot, server, u"ThreadingModel",
                                   {REG_SZ, u"Apartment"}));
    EXPECT_EQ(registry->SetValue(Root::CurrentUser, u"Software\\Root", u"", {REG_SZ, u"x"}).code(),
              E_ACCESSDENIED)
        << "a machine-wide registration has no current user";
    EXPECT_FALSE(std::filesystem::exists(rootsHome.path() / "home")) << "root's folder untouched";
  }
  struct stat status {};
  ASSERT_EQ(::stat((machine / "registry.db").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u) << "every user reads it";

  testing::ScopedVelsorHome usersHome;
  auto registry = Registry::Open();
  ASSERT_TRUE(registry);
  ASSERT_TRUE(registry->KeyExists(Root::ClassesRoot, server));
  EXPECT_EQ(registry->QueryValue(Root::LocalMachine, u"Software\\Classes\\" + server, u"")->data,
            u"/usr/lib/m.so");
  // The user's registration wins where both have the value; the rest stays the machine's.
  ASSERT_TRUE(registry->SetValue(Root::ClassesRoot, server, u"", {REG_SZ, u"/home/u/m.so"}));
  ASSERT_TRUE(registry->CreateKey(Root::ClassesRoot, u"CLSID\\{5678}"));
  EXPECT_EQ(registry->QueryValue(Root::ClassesRoot, server, u"")->data, u"/home/u/m.so");
  EXPECT_EQ(registry->QueryValue(Root::ClassesRoot, server, u"ThreadingModel")->data,
            u"Apartment");
  EXPECT_EQ(*registry->SubKeys(Root::ClassesRoot, u"CLSID"),
            (std::vector<std::u16string>{u"{1234}", u"{5678}"}));
  // Removing its own key leaves the machine's; the machine's is not the user's to remove.
  ASSERT_TRUE(registry->DeleteTree(Root::ClassesRoot, u"CLSID\\{1234}"));
  EXPECT_EQ(registry->QueryValue(Root::ClassesRoot, server, u"")->data, u"/usr/lib/m.so");
  EXPECT_EQ(registry->DeleteTree(Root::ClassesRoot, u"CLSID\\{1234}").code(), E_ACCESSDENIED);

  // A machine registry others may write is not read at all.
  ASSERT_EQ(::chmod(machine.c_str(), 0777), 0);
  auto distrusting = Registry::Open();
  ASSERT_TRUE(distrusting);
  EXPECT_FALSE(distrusting->KeyExists(Root::ClassesRoot, server));
  std::filesystem::remove_all(machine.parent_path());
}

}  // namespace
}  // namespace velsor::registry
