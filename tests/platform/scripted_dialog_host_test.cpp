#include "platform/ui/scripted_dialog_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace velsor::ui {
namespace {

// Records what the chooser's handlers are asked to do.
class RecordingHandlers final : public ChooserHandlers {
 public:
  std::vector<std::string> calls;
  void OnInitDialog(ChooserWindow& window) override {
    window.SetColumns({u"a", u"b", u"c"});
    window.AddRow({u"one", u"x", u"1"}, 10);
    window.AddRow({u"two", u"y", u"2"}, 20);
    calls.push_back("init");
  }
  void OnOk(ChooserWindow& window) override {
    calls.push_back("ok " + std::to_string(window.SelectedItemData().value_or(-1)));
    window.Close();
  }
  void OnCancel(ChooserWindow& window) override {
    calls.push_back("cancel");
    window.Close();
  }
  void OnView(ChooserWindow&) override { calls.push_back("view"); }
  void OnColumnClick(ChooserWindow&, std::size_t column) override {
    calls.push_back("column " + std::to_string(column));
  }
  void OnDoubleClick(ChooserWindow&) override { calls.push_back("double"); }
};

TEST(ScriptedDialogHost, ScriptTextDrivesTheHandlers) {
  ScriptedDialogHost host;
  ASSERT_TRUE(
      host.LoadScript("# a comment\nselect-text two\ncolumn 2\nview\ndouble-click\nok\n"
                      "select 0\nescape\nfile /tmp/x.cry\ncancel-file\n"));
  RecordingHandlers first, second;
  host.RunChooser(first);
  host.RunChooser(second);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"init", "column 2", "view", "double", "ok 20"}));
  EXPECT_EQ(second.calls, (std::vector<std::string>{"init", "cancel"}));
  EXPECT_EQ(host.OpenFile({}).path, "/tmp/x.cry");
  EXPECT_EQ(host.SaveFile({}).outcome, DialogOutcome::Cancelled);
  EXPECT_EQ(host.SaveFile({}).outcome, DialogOutcome::Cancelled) << "no answer left: cancelled";
  EXPECT_EQ(host.fileDialogs().size(), 3u);
  EXPECT_FALSE(ScriptedDialogHost().LoadScript("press the red button"));
}

// Sets a caption a page chose, as VLSetDialogPrompt lets it.
class CaptionHandlers final : public ChooserHandlers {
 public:
  explicit CaptionHandlers(std::u16string caption) : caption_(std::move(caption)) {}
  void OnInitDialog(ChooserWindow& window) override { window.SetCaption(caption_); }
  void OnOk(ChooserWindow& window) override { window.Close(); }
  void OnCancel(ChooserWindow& window) override { window.Close(); }
  void OnView(ChooserWindow&) override {}
  void OnColumnClick(ChooserWindow&, std::size_t) override {}
  void OnDoubleClick(ChooserWindow&) override {}

 private:
  std::u16string caption_;
};

TEST(ScriptedDialogHost, TheRecordKeepsOneLineADialogWhateverThePageWrites) {
  const auto record = std::filesystem::path(::testing::TempDir()) / "velsor-dialog-record";
  std::filesystem::remove(record);
  ScriptedDialogHost host;
  host.RecordTo(record);
  host.SetRequester(u"https://bank.example");
  CaptionHandlers forger(u"选择\t0\nchooser\t网页 https://evil.example 请求\tx\\y\x01");
  host.RunChooser(forger);
  host.OpenFile({.title = u"打开\nsave"});

  std::ifstream in(record);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(
      lines[0],
      "chooser\t网页 https://bank.example 请求使用您的证书 (requested by https://bank.example)\t"
      "选择\\t0\\nchooser\\t网页 https://evil.example 请求\\tx\\\\y\\x01\t0");
  EXPECT_TRUE(lines[1].starts_with("open\t网页 https://bank.example ")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("\t打开\\nsave")) << lines[1];
  std::filesystem::remove(record);
}

TEST(NoDialogHost, ShowsNothing) {
  auto host = MakeNoDialogHost();
  RecordingHandlers handlers;
  EXPECT_EQ(host->RunChooser(handlers), DialogOutcome::Unavailable);
  EXPECT_TRUE(handlers.calls.empty());
  EXPECT_EQ(host->OpenFile({}).outcome, DialogOutcome::Unavailable);
  EXPECT_FALSE(host->OpenWithViewer("/tmp/x"));
}

int letGoCount = 0;
void CountLetGo() { ++letGoCount; }

// Whatever backend shows it, every dialog lets go of what its thread holds first, once.
TEST(ScriptedDialogHost, EveryDialogLetsGoBeforeItWaits) {
  ScriptedDialogHost host;
  RecordingHandlers handlers;
  const std::function<void()> dialogs[] = {
      [&] { host.RunChooser(handlers); },
      [&] { host.OpenFile({}); },
      [&] { host.SaveFile({}); },
      [&] { host.ShowMessage(u"text", u"caption"); },
      [&] {
        host.Confirm({u"sign", u"CN=Somebody"});
      },
      [&] {
        host.AskPin({u"Token", u""});
      },
  };
  for (const auto& dialog : dialogs) {
    letGoCount = 0;
    LetGoOnUserWait(&CountLetGo);
    dialog();
    EXPECT_EQ(letGoCount, 1);
    dialog();
    EXPECT_EQ(letGoCount, 1) << "let go of once, not at every dialog after";
  }
}

}  // namespace
}  // namespace velsor::ui
