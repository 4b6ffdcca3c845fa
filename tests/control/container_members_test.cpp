#include "control/member_fixture.h"
#include "fixtures/test_files.h"
#include "platform/codepage/utf.h"
#include "platform/com/guid.h"
#include "platform/registry/registry.h"

namespace velsor::testing {
namespace {

namespace fs = std::filesystem;

std::string Digits8(std::size_t value) {
  std::string digits = std::to_string(value);
  return std::string(8 - digits.size(), '0') + digits;
}

// A formatted plain text holding one file and no item.
std::string OneFileText(const std::string& name, const std::string& content) {
  const std::size_t entry = 8 + name.size() + content.size();
  return "00000000" + Digits8(8 + entry) + Digits8(entry) + Digits8(name.size()) + name + content;
}

class ContainerMembersTest : public MemberTest {
 protected:
  std::u16string Path16(const fs::path& path) { return codepage::Utf8ToUtf16(path.string()); }
  fs::path FileWith(const std::string& name, std::string_view content) {
    const fs::path path = home.path() / name;
    WriteFile(path, AsBytes(content));
    return path;
  }
  std::string Pending() { return control->state().pendingPlainText.value_or("<none>"); }
    std::u16string StubKey() {
    return u"SOFTWARE\\Classes\\CLSID\\" +
           codepage::AsciiToUtf16(GuidToString(CLSID_OmbrelTolvaneVelsor20_64)) + u"\\CtlSettings";
  }
  void RegisterStubPath(const std::u16string& value) {
    ASSERT_TRUE(registry::Registry::Open()->SetValue(registry::Root::LocalMachine, StubKey(),
                                                     u"stubPath", {registry::REG_SZ, value}));
  }
};

TEST_F(ContainerMembersTest, AddingItemsAndFiles) {
  ASSERT_EQ(Status(u"VLAddFormItem", {Text(u"abc")}), S_OK);
  ASSERT_EQ(Status(u"VLAddFormItem", {Text(u"de")}), S_OK);
  EXPECT_EQ(Pending(), "0000002100000003abc00000002de00000000");
  EXPECT_EQ(Status(u"VLAddFormItem", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), u"加入表单失败");
  EXPECT_EQ(Pending(), "0000002100000003abc00000002de00000000") << "unchanged by a failure";

  SetPlainText(u"plain text, not a container");
  ASSERT_EQ(Status(u"VLAddFile", {Text(Path16(FileWith("a.txt", "hi")))}), S_OK);
  EXPECT_EQ(Pending(), "00000000000000230000001500000005a.txthi");

  EXPECT_EQ(Status(u"VLAddFile", {Text(u"/" + std::u16string(256, u'n'))}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10056);
  EXPECT_EQ(ErrMsg(), u"文件名超长");
  EXPECT_EQ(Status(u"VLAddFile", {Text(u"/" + std::u16string(255, u'n'))}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -1) << "256 characters pass; the file is missing";
  EXPECT_EQ(ErrMsg(), u"读取文件失败");
  EXPECT_EQ(Status(u"VLAddFile", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10004) << "the open dialog was cancelled";
  EXPECT_EQ(host->fileDialogs().back().title, u"Open");
  EXPECT_EQ(host->fileDialogs().back().filter, u"*.*");
  ServerMode(true);
  EXPECT_EQ(Status(u"VLAddFile", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
}

TEST_F(ContainerMembersTest, TakingItemsOut) {
  SetExtracted("0000001100000003abc00000000");
  EXPECT_EQ(Text16(u"VLGetFormItem", {}), u"abc");
  EXPECT_FALSE(Extracted());
  EXPECT_EQ(Status(u"VLGetFormItem"), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"源数据为空");

  SetExtracted("00000000000000230000001500000005a.txthi");
  Outcome none = Method(u"VLGetFormItem", {});
  EXPECT_EQ(none.hr, S_OK);
  EXPECT_EQ(none.result.bstrVal, nullptr);
  EXPECT_EQ(Extracted(), "00000000000000230000001500000005a.txthi");

  SetExtracted("an ordinary signed text");
  EXPECT_EQ(Status(u"VLGetFormItem"), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"不是约定原文，不可分解");
}

TEST_F(ContainerMembersTest, FilesGoToTheSaveFolderInServerMode) {
  ServerMode(true);
  SetExtracted("00000000000000460000001500000005a.txthi0000001500000005b.txtho");
  EXPECT_EQ(Status(u"VLGetFile"), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10006);
  EXPECT_EQ(ErrMsg(), u"找不到包含文件保存路径的注册表记录项!");
  EXPECT_EQ(Extracted(), OneFileText("b.txt", "ho"))
      << "the file left the text although it was not saved";

  RegisterStubPath(u"");
  ASSERT_TRUE(registry::Registry::Open()->DeleteValue(registry::Root::LocalMachine, StubKey(),
                                                      u"stubPath"));
  SetExtracted(OneFileText("b.txt", "ho"));
  EXPECT_EQ(Status(u"VLGetFile"), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10006);
  EXPECT_EQ(ErrMsg(), u"在相应注册表记录项中找不到“stubPath”值域!");

  const fs::path stub = home.path() / "velsorStub";
  RegisterStubPath(Path16(stub) + u"/");
  SetExtracted(OneFileText("b.txt", "ho"));
  EXPECT_EQ(Text16(u"VLGetFile", {}), u"b.txt");
  EXPECT_EQ(AsText(ReadFile(stub / "b.txt")), "ho");
  EXPECT_EQ(fs::status(stub).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_FALSE(Extracted());

  // Registered for the machine, the folder is each user's own.
  RegisterStubPath(u"%VELSOR_HOME%/velsorStub/");
  SetExtracted(OneFileText("m.txt", "mine"));
  EXPECT_EQ(Text16(u"VLGetFile", {}), u"m.txt");
  EXPECT_EQ(AsText(ReadFile(fs::path(std::getenv("VELSOR_HOME")) / "velsorStub" / "m.txt")),
            "mine");

  // Names out of signed content never leave the folder.
  for (const std::string& name :
       {std::string("../evil"), std::string("a/b"), std::string(".."), std::string("x\0y", 3)}) {
    SetExtracted(OneFileText(name, "z"));
    EXPECT_EQ(Status(u"VLGetFile"), S_FALSE) << name;
    EXPECT_EQ(ErrorNum(), -1) << name;
    EXPECT_EQ(ErrMsg(), u"保存文件失败");
  }
  EXPECT_FALSE(fs::exists(home.path() / "evil"));

  // A stub folder that is a link elsewhere is refused: nothing reaches where it points.
  const fs::path elsewhere = home.path() / "elsewhere";
  fs::create_directory(elsewhere);
  const fs::path linked = home.path() / "linkedStub";
  fs::create_directory_symlink(elsewhere, linked);
  RegisterStubPath(Path16(linked) + u"/");
  SetExtracted(OneFileText("c.txt", "hidden"));
  EXPECT_EQ(Status(u"VLGetFile"), S_FALSE);
  EXPECT_EQ(ErrorNum(), -1);
  EXPECT_FALSE(fs::exists(elsewhere / "c.txt"));
}

TEST_F(ContainerMembersTest, FilesAreSavedWhereTheUserSays) {
  SetExtracted("00000000000000230000001500000005a.txthi");
  host->AnswerFileDialog({ui::DialogOutcome::Done, home.path() / "chosen.txt"});
  EXPECT_EQ(Text16(u"VLGetFile", {}), u"a.txt");
  EXPECT_EQ(host->fileDialogs().back().proposedName, u"a.txt");
  EXPECT_EQ(AsText(ReadFile(home.path() / "chosen.txt")), "hi");
  SetExtracted("00000000000000230000001500000005a.txthi");
  EXPECT_EQ(Status(u"VLGetFile"), S_FALSE) << "a cancelled save dialog";
  EXPECT_EQ(ErrorNum(), -1);
}

TEST_F(ContainerMembersTest, SignedFormRoundTrip) {
  ASSERT_EQ(Status(u"VLAddFormItem", {Text(u"金额: 100")}), S_OK);
  ASSERT_EQ(Status(u"VLAddFile", {Text(Path16(FileWith("order.txt", "order body")))}), S_OK);
  const std::u16string signature = Text16(u"VLAttachedSign", {Text(kAliceDn)});
  ASSERT_EQ(Status(u"VLAttachedVerify", {Text(signature)}), S_OK);
  EXPECT_EQ(Text16(u"VLGetFormItem", {}), u"金额: 100");
  host->AnswerFileDialog({ui::DialogOutcome::Done, home.path() / "received.txt"});
  EXPECT_EQ(Text16(u"VLGetFile", {}), u"order.txt");
  EXPECT_EQ(AsText(ReadFile(home.path() / "received.txt")), "order body");
}

}  // namespace
}  // namespace velsor::testing
