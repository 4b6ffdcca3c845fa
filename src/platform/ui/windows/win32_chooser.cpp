// The chooser on the system's dialog manager: dialog resource 202 with a report-view
// ListView. The handlers decide everything; this file only draws what they ask for and
// feeds the user's clicks back to them.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "chooser_ids.h"
#include "win32_dialogs.h"

namespace velsor::ui {
namespace {

constexpr int kColumnWidth = 140;
constexpr UINT_PTR kDeadlineTimer = 1;

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

class Win32ChooserWindow final : public ChooserWindow {
 public:
  Win32ChooserWindow(HWND dialog, bool forWebPage)
      : dialog_(dialog), list_(GetDlgItem(dialog, IDC_CERT_LIST)), forWebPage_(forWebPage) {}

  void SetCaption(std::u16string_view caption) override {
    SetWindowTextW(dialog_, Wide(std::u16string(caption)));
  }
  void SetPrompt(std::u16string_view prompt) override { SetText(IDC_PROMPT, prompt); }
  void SetButtonTexts(std::u16string_view ok, std::u16string_view cancel,
                      std::u16string_view view) override {
    SetText(IDOK, ok);
    SetText(IDCANCEL, cancel);
    SetText(IDC_VIEW, view);
  }
  void SetCopyright(std::u16string_view text) override { SetText(IDC_COPYRIGHT, text); }
  void SetColumns(const ChooserRow& headers) override {
    for (std::size_t column = 0; column < kChooserColumns; ++column) {
      std::u16string header = headers[column];
      LVCOLUMNW description{};
      description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
      description.fmt = LVCFMT_CENTER;
      description.cx = kColumnWidth;
      description.pszText = const_cast<wchar_t*>(Wide(header));
      // The first column of a list view is always left-aligned; its format is set again.
      ListView_InsertColumn(list_, static_cast<int>(column), &description);
      ListView_SetColumn(list_, static_cast<int>(column), &description);
    }
  }
  void AddRow(const ChooserRow& cells, int itemData) override {
    std::u16string first = cells[0];
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iImage = 0;  // the certificate icon of the list's image list
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = const_cast<wchar_t*>(Wide(first));
    item.lParam = itemData;
    const int at = ListView_InsertItem(list_, &item);
    for (std::size_t column = 1; column < kChooserColumns; ++column) {
      std::u16string cell = cells[column];
      ListView_SetItemText(list_, at, static_cast<int>(column), const_cast<wchar_t*>(Wide(cell)));
    }
  }
  void SortRows(const std::function<bool(int, int)>& less) override {
    ListView_SortItems(list_, &Compare, reinterpret_cast<LPARAM>(&less));
  }
  std::optional<int> SelectedItemData() const override {
    const int selected = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (selected < 0) return std::nullopt;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = selected;
    if (!ListView_GetItem(list_, &item)) return std::nullopt;
    return static_cast<int>(item.lParam);
  }
  std::u16string CellText(int itemData, std::size_t column) const override {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = itemData;
    const int at = ListView_FindItem(list_, -1, &find);
    if (at < 0 || column >= kChooserColumns) return {};
    wchar_t text[512] = {};
    ListView_GetItemText(list_, at, static_cast<int>(column), text, 512);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
  }
  void ShowMessage(std::u16string_view text, std::u16string_view caption) override {
    RunMessageBox(dialog_, text, caption, MB_OK | MB_ICONINFORMATION, forWebPage_, IDOK);
  }
  void Close() override { EndDialog(dialog_, IDOK); }

 private:
  void SetText(int control, std::u16string_view text) {
    SetDlgItemTextW(dialog_, control, Wide(std::u16string(text)));
  }
  static int CALLBACK Compare(LPARAM first, LPARAM second, LPARAM less) {
    const auto& before = *reinterpret_cast<const std::function<bool(int, int)>*>(less);
    if (before(static_cast<int>(first), static_cast<int>(second))) return -1;
    if (before(static_cast<int>(second), static_cast<int>(first))) return 1;
    return 0;
  }

  HWND dialog_;
  HWND list_;
  bool forWebPage_;
};

struct ChooserState {
  ChooserHandlers& handlers;
  std::u16string requesterLine;
  std::optional<Win32ChooserWindow> window{};
};

INT_PTR CALLBACK ChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<ChooserState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      state->window.emplace(dialog, !state->requesterLine.empty());
      HWND list = GetDlgItem(dialog, IDC_CERT_LIST);
      ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
      // One icon for every row; the list destroys its image list with itself.
      if (HIMAGELIST icons = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1)) {
        ImageList_AddIcon(icons, LoadIconW(nullptr, IDI_SHIELD));
        ListView_SetImageList(list, icons, LVSIL_SMALL);
      }
      SetDlgItemTextW(dialog, IDC_REQUESTER, Wide(state->requesterLine));
      // A dialog a web page caused ends as cancelled when the user leaves it.
      if (!state->requesterLine.empty()) {
        SetTimer(dialog, kDeadlineTimer,
                 static_cast<UINT>(DialogAnswerTime().count()) * 1000, nullptr);
      }
      state->handlers.OnInitDialog(*state->window);
      return TRUE;
    }
    case WM_TIMER:
      if (state != nullptr && wParam == kDeadlineTimer) {
        KillTimer(dialog, kDeadlineTimer);
        state->handlers.OnCancel(*state->window);
      }
      return TRUE;
    case WM_COMMAND:
      if (state == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          state->handlers.OnOk(*state->window);
          return TRUE;
        case IDCANCEL:  // the Cancel button, Escape and the close box
          state->handlers.OnCancel(*state->window);
          return TRUE;
        case IDC_VIEW:
          state->handlers.OnView(*state->window);
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (state == nullptr || header->idFrom != IDC_CERT_LIST) return FALSE;
      if (header->code == LVN_COLUMNCLICK) {
        const auto* click = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (click->iSubItem >= 0) {
          state->handlers.OnColumnClick(*state->window, static_cast<std::size_t>(click->iSubItem));
        }
        return TRUE;
      }
      if (header->code == NM_DBLCLK && state->window->SelectedItemData()) {
        state->handlers.OnDoubleClick(*state->window);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

DialogOutcome RunWin32Chooser(ChooserHandlers& handlers, const std::u16string& requesterLine) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  ChooserState state{handlers, requesterLine};
  const INT_PTR ended = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(IDD_CHOOSER), nullptr,
                                        &ChooserProc, reinterpret_cast<LPARAM>(&state));
  return ended == -1 ? DialogOutcome::Unavailable : DialogOutcome::Done;
}

}  // namespace velsor::ui
