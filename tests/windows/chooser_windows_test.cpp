#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <thread>

#include "platform/ui/desktop_dialog_host.h"

namespace velsor::ui {
namespace {

constexpr wchar_t kCaption[] = L"Wine chooser test";
constexpr int kList = 1002;  // the list's control id in dialog resource 202

// Handlers that fill three rows and record what the user did.
class RecordingHandlers final : public ChooserHandlers {
 public:
  void OnInitDialog(ChooserWindow& window) override {
    window.SetCaption(u"Wine chooser test");
    window.SetColumns({u"Subject", u"Issuer", u"Expires"});
    window.AddRow({u"Alpha", u"CA one", u"2030"}, 10);
    window.AddRow({u"Beta", u"CA two", u"2031"}, 20);
    window.AddRow({u"Gamma", u"CA three", u"2032"}, 30);
    window.SetButtonTexts(u"Choose", u"Leave", u"Look");
  }
  void OnOk(ChooserWindow& window) override {
    chosen = window.SelectedItemData();
    betaIssuer = window.CellText(20, 1);
    window.Close();
  }
  void OnCancel(ChooserWindow& window) override {
    cancelled = true;
    window.Close();
  }
  void OnView(ChooserWindow&) override {}
  void OnColumnClick(ChooserWindow& window, std::size_t column) override {
    clickedColumn = column;
    window.SortRows([](int first, int second) { return first > second; });
  }
  void OnDoubleClick(ChooserWindow&) override {}

  std::optional<int> chosen;
  std::u16string betaIssuer;
  std::optional<std::size_t> clickedColumn;
  bool cancelled = false;
};

HWND WaitForDialog(const wchar_t* caption = kCaption) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (HWND dialog = FindWindowW(L"#32770", caption)) return dialog;
    Sleep(50);
  }
  return nullptr;
}

// What a message box shows: its text (the static of id 0xFFFF) and whether it lies on the
// screen.
struct ShownBox {
  std::wstring text;
  bool onScreen = false;
};

ShownBox LookAtBox(const wchar_t* caption) {
  ShownBox shown;
  if (HWND box = WaitForDialog(caption)) {
    std::wstring text(8192, L'\0');
    text.resize(static_cast<std::size_t>(GetDlgItemTextW(box, 0xFFFF, text.data(), 8192)));
    shown.text = text;
    RECT area{};
    GetWindowRect(box, &area);
    shown.onScreen = area.left >= 0 && area.top >= 0 &&
                     area.right <= GetSystemMetrics(SM_CXSCREEN) &&
                     area.bottom <= GetSystemMetrics(SM_CYSCREEN);
  }
  return shown;
}

LPARAM ItemDataAt(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  ListView_GetItem(list, &item);
  return item.lParam;
}

TEST(ChooserWindowsTest, TheDialogResourceShowsTheRowsAndReportsTheUsersChoice) {
  auto host = MakeDesktopDialogHost();
  ASSERT_TRUE(host);
  RecordingHandlers handlers;
  LPARAM firstAfterSort = 0;
  std::thread user([&] {
    HWND dialog = WaitForDialog();
    if (dialog == nullptr) return;
    HWND list = GetDlgItem(dialog, kList);
    NMLISTVIEW click{};
    click.hdr = {list, static_cast<UINT_PTR>(kList), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iSubItem = 2;
    SendMessageW(dialog, WM_NOTIFY, kList, reinterpret_cast<LPARAM>(&click));
    firstAfterSort = ItemDataAt(list, 0);
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = 20;
    const int beta = ListView_FindItem(list, -1, &find);
    ListView_SetItemState(list, beta, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(host->RunChooser(handlers), DialogOutcome::Done);
  user.join();
  EXPECT_EQ(handlers.clickedColumn, 2u);
  EXPECT_EQ(firstAfterSort, 30) << "the handlers' order, by item data";
  EXPECT_EQ(handlers.chosen, 20);
  EXPECT_EQ(handlers.betaIssuer, u"CA two");
  EXPECT_FALSE(handlers.cancelled);
}

TEST(ChooserWindowsTest, ForAWebPageTheChooserEndsAsCancelledWhenLeftAlone) {
  _wputenv(L"VELSOR_UI_TIMEOUT=1");
  auto host = MakeDesktopDialogHost();
  host->SetRequester(u"https://bank.example");
  RecordingHandlers handlers;
  std::wstring requesterLine;
  std::thread user([&] {
    if (HWND dialog = WaitForDialog()) {
      wchar_t text[256] = {};
      GetDlgItemTextW(dialog, 1000, text, 256);
      requesterLine = text;
    }
  });
  EXPECT_EQ(host->RunChooser(handlers), DialogOutcome::Done);
  user.join();
  _wputenv(L"VELSOR_UI_TIMEOUT=");
  EXPECT_TRUE(handlers.cancelled);
  EXPECT_NE(requesterLine.find(L"https://bank.example"), std::wstring::npos);
}

TEST(ChooserWindowsTest, ForAWebPageMessagesKeepItsLineFirstAndAnswerThemselvesWhenLeft) {
  _wputenv(L"VELSOR_UI_TIMEOUT=1");
  auto host = MakeDesktopDialogHost();
  host->SetRequester(u"https://bank.example");
  const std::u16string noBreakSpaces(5000, u'\u00A0');
  ShownBox confirm, message;
  std::thread user([&] {
    confirm = LookAtBox(L"Velsor");
    message = LookAtBox(L"Wine message test");
  });
  EXPECT_EQ(host->Confirm({u"decrypt data sent to you", u"CN=" + noBreakSpaces}),
            DialogOutcome::Cancelled);
  host->ShowMessage(noBreakSpaces, u"Wine message test");  // returns by itself
  user.join();
  _wputenv(L"VELSOR_UI_TIMEOUT=");
  EXPECT_EQ(confirm.text.rfind(L"网页 https://bank.example", 0), 0u);
  EXPECT_LT(confirm.text.size(), 450u) << "the certificate's name cut";
  EXPECT_TRUE(confirm.onScreen);
  std::erase(message.text, L'\n');
  EXPECT_EQ(message.text.size(), 601u) << "cut to 600, with an ellipsis";
  EXPECT_TRUE(message.onScreen);
}

}  // namespace
}  // namespace velsor::ui
