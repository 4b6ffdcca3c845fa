#include <gtest/gtest.h>

#include "certs/cert_selection.h"
#include "control/tolvane_velsor.h"
#include "fixtures/test_files.h"
#include "fixtures/test_pki.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/ui/desktop_dialog_host.h"
#include "ui/gtk_driver.h"

namespace velsor::testing {
namespace {

namespace fs = std::filesystem;
using Step = UserSteps::Step;

constexpr char kCaption[] = "选择测试证书";

class GtkDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = ui::MakeDesktopDialogHost();
    ASSERT_TRUE(host) << "no display";
    const auto& pki = SharedTestPki();
    for (const Issued* user : {&pki.alice, &pki.bob, &pki.highSerial}) {
      ASSERT_TRUE(crypt::ImportCertificateWithKey(user->encoded, *user->key, crypt::AT_SIGNATURE,
                                                  crypt::kEnhancedProvider));
    }
    texts = {u"选择测试证书", u"请选一张证书", u"主题",
             u"颁发者",       u"截止日期",     u"好",
             u"不要",         u"看看",         u"版权所有 Velsor 测试"};
  }
  // Runs the chooser over the three certificates in MY while `steps` act.
  crypt::CertContextPtr Choose(std::deque<Step> steps) {
    auto my = crypt::CertStore::Open(u"MY");
    const std::vector<crypt::CertStore> stores{std::move(*my)};
    UserSteps user(std::move(steps));
    auto chosen = certs::ChooseCert(stores, certs::ChooserSetting{texts, *host});
    EXPECT_TRUE(user.done()) << "the dialog closed before every step ran";
    return chosen;
  }
  static GtkTreeView* List(GtkWidget* dialog) {
    return GTK_TREE_VIEW(FindChild(dialog, GTK_TYPE_TREE_VIEW));
  }
  static GtkWidget* Button(GtkWidget* dialog, const char* label) {
    std::function<GtkWidget*(GtkWidget*)> find = [&](GtkWidget* widget) -> GtkWidget* {
      if (GTK_IS_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget)) != nullptr &&
          std::string(gtk_button_get_label(GTK_BUTTON(widget))) == label) {
        return widget;
      }
      if (!GTK_IS_CONTAINER(widget)) return nullptr;
      GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
      GtkWidget* found = nullptr;
      for (GList* at = children; at != nullptr && found == nullptr; at = at->next) {
        found = find(GTK_WIDGET(at->data));
      }
      g_list_free(children);
      return found;
    };
    return find(dialog);
  }
  static void ClickRow(GtkWidget* dialog, int row) {
    GtkTreeView* list = List(dialog);
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle cell;
    gtk_tree_view_get_cell_area(list, path, gtk_tree_view_get_column(list, 1), &cell);
    gtk_tree_path_free(path);
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(list, cell.x + cell.width / 2,
                                                      cell.y + cell.height / 2, &x, &y);
    ClickAt(GTK_WIDGET(list), x, y);
  }
  static std::string FirstRowSubject(GtkWidget* dialog) {
    GtkTreeModel* model = gtk_tree_view_get_model(List(dialog));
    GtkTreeIter first;
    gchar* text = nullptr;
    if (gtk_tree_model_get_iter_first(model, &first))
      gtk_tree_model_get(model, &first, 1, &text, -1);
    std::string subject = text != nullptr ? text : "";
    g_free(text);
    return subject;
  }

  ScopedVelsorHome home;
  std::unique_ptr<ui::DialogHost> host;
  certs::ChooserTexts texts;
};

TEST_F(GtkDialogsTest, AColumnClickAndARowPickTheCertificateShown) {
  std::string firstAfterSort;
  const auto chosen = Choose({
      {kCaption,
       [&](GtkWidget* dialog) {
         EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_tree_view_get_model(List(dialog)), nullptr),
                   3);
         SaveScreenshot(dialog, fs::path(VELSOR_TEST_OUTPUT) / "chooser.png");
         GtkTreeViewColumn* subject = gtk_tree_view_get_column(List(dialog), 0);
         EXPECT_STREQ(gtk_tree_view_column_get_title(subject), "主题");
         EXPECT_EQ(gtk_tree_view_column_get_fixed_width(subject), 140);
         ClickMiddle(gtk_tree_view_column_get_button(subject));
       }},
      {kCaption,
       [&](GtkWidget* dialog) {
         firstAfterSort = FirstRowSubject(dialog);
         ClickRow(dialog, 0);
       }},
      {kCaption, [&](GtkWidget* dialog) { ClickMiddle(Button(dialog, "好")); }},
  });
  ASSERT_TRUE(chosen);
  EXPECT_EQ(firstAfterSort, "High Serial") << "the first click sorts descending";
  EXPECT_EQ(chosen->serialBlob(), (Bytes{0x33, 0x22, 0x11, 0x80, 0x00}));
  EXPECT_TRUE(fs::exists(fs::path(VELSOR_TEST_OUTPUT) / "chooser.png"));
}

TEST_F(GtkDialogsTest, EscapeCloseAndOkWithoutARowChooseNothing) {
  EXPECT_FALSE(Choose({{kCaption, [](GtkWidget* dialog) { Keys(dialog, "Escape"); }}}));
  EXPECT_FALSE(
      Choose({{kCaption, [](GtkWidget* dialog) { gtk_window_close(GTK_WINDOW(dialog)); }}}));
  EXPECT_FALSE(Choose({{kCaption, [](GtkWidget* dialog) { ClickMiddle(Button(dialog, "好")); }}}));
}

// The label under `widget` that shows `text`, if any.
GtkWidget* LabelShowing(GtkWidget* widget, const std::string& text) {
  if (GTK_IS_LABEL(widget) &&
      std::string(gtk_label_get_text(GTK_LABEL(widget))).find(text) != std::string::npos) {
    return widget;
  }
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* at = children; at != nullptr && found == nullptr; at = at->next) {
    found = LabelShowing(GTK_WIDGET(at->data), text);
  }
  g_list_free(children);
  return found;
}

bool ShowsLabel(GtkWidget* widget, const std::string& text) {
  return LabelShowing(widget, text) != nullptr;
}

// Whether the whole of `widget` lies on the screen.
bool WhollyOnScreen(GtkWidget* widget) {
  GdkRectangle screen;
  gdk_monitor_get_geometry(gdk_display_get_primary_monitor(gdk_display_get_default()), &screen);
  GtkAllocation area;
  gtk_widget_get_allocation(widget, &area);
  const auto [left, top] = OnScreen(widget, 0, 0);
  return left >= screen.x && top >= screen.y && left + area.width <= screen.x + screen.width &&
         top + area.height <= screen.y + screen.height;
}

// Thousands of no-break spaces: text that cannot be wrapped at a word.
std::u16string NoBreakSpaces(std::size_t count) { return std::u16string(count, u'\u00A0'); }

TEST_F(GtkDialogsTest, ForAWebPageDialogsNameItAndEndAsCancelledWhenLeftUnanswered) {
  // Long enough for the steps below to run on a loaded machine, short for the test.
  setenv("VELSOR_UI_TIMEOUT", "3", 1);
  host->SetRequester(u"https://bank.example");
  bool named = false;
  // The user looks and does nothing; the chooser ends by itself.
  EXPECT_FALSE(Choose({{kCaption, [&](GtkWidget* dialog) {
                          named = ShowsLabel(dialog, "https://bank.example");
                          SaveScreenshot(dialog,
                                         fs::path(VELSOR_TEST_OUTPUT) / "chooser-for-page.png");
                        }}}));
  EXPECT_TRUE(named);

  const ui::ConsentRequest request{u"decrypt data sent to you", u"CN=Alice Zhang"};
  UserSteps allow(
      {{"Velsor", [](GtkWidget* dialog) { ClickMiddle(Button(dialog, "允许 (Allow)")); }}});
  EXPECT_EQ(host->Confirm(request), ui::DialogOutcome::Done);
  EXPECT_EQ(host->Confirm(request), ui::DialogOutcome::Cancelled) << "unanswered";
  unsetenv("VELSOR_UI_TIMEOUT");
}

TEST_F(GtkDialogsTest, APagesLongTextsLeaveTheLineNamingItWhollyOnTheScreen) {
  setenv("VELSOR_UI_TIMEOUT", "3", 1);
  host->SetRequester(u"https://bank.example");
  texts[1] = NoBreakSpaces(5000) + u"网页 https://evil.example 请求";
  texts[5] = NoBreakSpaces(3000);
  bool originShown = false, dialogShown = false;
  EXPECT_FALSE(Choose({{kCaption, [&](GtkWidget* dialog) {
                          GtkWidget* origin = LabelShowing(dialog, "https://bank.example");
                          originShown = origin != nullptr && WhollyOnScreen(origin);
                          dialogShown = WhollyOnScreen(dialog);
                          SaveScreenshot(dialog,
                                         fs::path(VELSOR_TEST_OUTPUT) / "chooser-long-texts.png");
                          Keys(dialog, "Escape");
                        }}}));
  EXPECT_TRUE(originShown);
  EXPECT_TRUE(dialogShown);

  // The confirmation, however long the certificate's name; and a message left unanswered
  // ends by itself.
  originShown = dialogShown = false;
  UserSteps deny({{"Velsor", [&](GtkWidget* dialog) {
                     GtkWidget* origin = LabelShowing(dialog, "https://bank.example");
                     originShown = origin != nullptr && WhollyOnScreen(origin);
                     dialogShown = WhollyOnScreen(dialog);
                     ClickMiddle(Button(dialog, "拒绝 (Deny)"));
                   }}});
  EXPECT_EQ(host->Confirm({u"decrypt data sent to you", u"CN=" + NoBreakSpaces(5000)}),
            ui::DialogOutcome::Cancelled);
  EXPECT_TRUE(originShown);
  EXPECT_TRUE(dialogShown);
  dialogShown = false;
  UserSteps look({{"Velsor message", [&](GtkWidget* box) { dialogShown = WhollyOnScreen(box); }}});
  host->ShowMessage(NoBreakSpaces(5000), u"Velsor message");
  EXPECT_TRUE(dialogShown);
  unsetenv("VELSOR_UI_TIMEOUT");
}

TEST_F(GtkDialogsTest, PinDialogNamesTokenAndRequesterAndHidesWhatIsTyped) {
  setenv("VELSOR_UI_TIMEOUT", "3", 1);
  const PinRequest request{u"Bank Token", u"PIN 不正确 (wrong PIN)"};
  bool named = false;
  bool hidden = false;
  UserSteps typed({{"Velsor", [&](GtkWidget* dialog) {
                      named = ShowsLabel(dialog, "Bank Token") && ShowsLabel(dialog, "wrong PIN") &&
                              ShowsLabel(dialog, "gtk_dialogs_tests");
                      GtkWidget* entry = FindChild(dialog, GTK_TYPE_ENTRY);
                      hidden = entry != nullptr && !gtk_entry_get_visibility(GTK_ENTRY(entry));
                      SaveScreenshot(dialog, fs::path(VELSOR_TEST_OUTPUT) / "pin-dialog.png");
                      Type(dialog, "4711");
                      Keys(dialog, "Return");
                    }}});
  const PinAnswer answer = host->AskPin(request);
  EXPECT_EQ(answer.outcome, PinOutcome::Entered);
  EXPECT_EQ(std::string(answer.pin.begin(), answer.pin.end()), "4711");
  EXPECT_TRUE(named);
  EXPECT_TRUE(hidden);

  UserSteps cancel({{"Velsor", [](GtkWidget* dialog) { Keys(dialog, "Escape"); }}});
  EXPECT_EQ(host->AskPin(request).outcome, PinOutcome::Cancelled);
  EXPECT_EQ(host->AskPin(request).outcome, PinOutcome::TimedOut) << "unanswered";
  unsetenv("VELSOR_UI_TIMEOUT");
}

TEST_F(GtkDialogsTest, ViewHandsTheCertificateToTheViewer) {
  // A viewer that keeps a copy of what it was given.
  const fs::path viewer = home.path() / "viewer.sh";
  const fs::path shown = home.path() / "shown.cer";
  WriteFile(viewer, AsBytes("#!/bin/sh\ncp \"$1\" " + shown.string() + "\n"));
  fs::permissions(viewer, fs::perms::owner_all);
  ::setenv("VELSOR_CERT_VIEWER", viewer.c_str(), 1);
  const auto chosen = Choose({
      {kCaption, [](GtkWidget* dialog) { ClickRow(dialog, 1); }},
      {kCaption, [](GtkWidget* dialog) { ClickMiddle(Button(dialog, "看看")); }},
      {kCaption,
       [&](GtkWidget* dialog) {
         for (int i = 0; i < 50 && !fs::exists(shown); ++i) g_usleep(100000);
         Keys(dialog, "Escape");
       }},
  });
  ::unsetenv("VELSOR_CERT_VIEWER");
  EXPECT_FALSE(chosen);
  EXPECT_EQ(ReadFile(shown), SharedTestPki().bob.encoded);
}

TEST_F(GtkDialogsTest, ViewWithoutARowSaysSoAndKeepsTheDialogOpen) {
  std::string message;
  const auto chosen = Choose({
      {kCaption, [](GtkWidget* dialog) { ClickMiddle(Button(dialog, "看看")); }},
      {"",
       [&](GtkWidget* box) {
         gchar* text = nullptr;
         g_object_get(box, "text", &text, nullptr);
         message = text != nullptr ? text : "";
         g_free(text);
         gtk_window_close(GTK_WINDOW(box));
       }},
      {kCaption, [](GtkWidget* dialog) { Keys(dialog, "Escape"); }},
  });
  EXPECT_FALSE(chosen);
  EXPECT_EQ(message, "No certificate selected.");
}

TEST_F(GtkDialogsTest, ForAWebPageFileDialogsNameItAndTheReplaceQuestionEndsWhenLeft) {
  setenv("VELSOR_UI_TIMEOUT", "3", 1);
  host->SetRequester(u"https://bank.example");
  const fs::path existing = home.path() / "kept.cry";
  WriteFile(existing, AsBytes(std::string_view("kept")));
  bool named = false;
  UserSteps user({{"Save", [&](GtkWidget* dialog) {
                     named = ShowsLabel(dialog, "https://bank.example");
                     Keys(dialog, "ctrl+a");
                   }},
                  {"Save", [&](GtkWidget* dialog) { Type(dialog, existing.string()); }},
                  {"Save", [&](GtkWidget* dialog) { Keys(dialog, "Return"); }}});
  // Nobody answers whether to replace the file: the save ends as cancelled.
  const ui::FileDialogResult saved =
      host->SaveFile({.title = u"Save", .filter = u"*.cry", .confirmOverwrite = true});
  EXPECT_EQ(saved.outcome, ui::DialogOutcome::Cancelled);
  EXPECT_TRUE(named);
  EXPECT_EQ(ReadFile(existing), (Bytes{'k', 'e', 'p', 't'}));
  unsetenv("VELSOR_UI_TIMEOUT");
}

TEST_F(GtkDialogsTest, OpenAndSaveDialogs) {
  const fs::path file = home.path() / "picked.txt";
  WriteFile(file, AsBytes(std::string_view("picked content")));
  {
    UserSteps user({{"打开", [&](GtkWidget* dialog) { Keys(dialog, "ctrl+l"); }},
                    {"打开", [&](GtkWidget* dialog) { Type(dialog, file.string()); }},
                    {"打开", [&](GtkWidget* dialog) { Keys(dialog, "Return"); }}});
    const ui::FileDialogResult opened = host->OpenFile({.title = u"打开", .filter = u"*.*"});
    EXPECT_EQ(opened.outcome, ui::DialogOutcome::Done);
    EXPECT_EQ(opened.path, file);
  }
  {
    UserSteps user(
        {{"Save", [&](GtkWidget* dialog) { Keys(dialog, "ctrl+a"); }},
         {"Save", [&](GtkWidget* dialog) { Type(dialog, (home.path() / "secret").string()); }},
         {"Save", [&](GtkWidget* dialog) { Keys(dialog, "Return"); }}});
    const ui::FileDialogResult saved = host->SaveFile({.title = u"Save",
                                                       .filter = u"*.cry",
                                                       .defaultExtension = u"cry",
                                                       .confirmOverwrite = true});
    EXPECT_EQ(saved.outcome, ui::DialogOutcome::Done);
    EXPECT_EQ(saved.path, home.path() / "secret.cry");
  }
  // Cancelling the open dialog of VLAddFileForEncrypt.
  auto control = CTolvaneVelsor::Create();
  control->state().dialogHost = std::shared_ptr<ui::DialogHost>(std::move(host));
  UserSteps user({{"Open", [](GtkWidget* dialog) { Keys(dialog, "Escape"); }}});
  EXPECT_EQ(control->VLAddFileForEncrypt(nullptr), S_FALSE);
  EXPECT_EQ(control->state().errorNum, -10004);
}

}  // namespace
}  // namespace velsor::testing
