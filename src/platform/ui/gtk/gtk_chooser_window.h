#pragma once
// The certificate chooser as a modal GTK dialog, laid out as its dialog resource gives it in
// dialog units scaled to the font: the list with three centred 140-pixel columns and the
// row icon, OK (the default), Cancel and View, the prompt above the list and the
// copyright box below it. Clicks, column clicks, double clicks, Escape and closing the
// window go to the same handlers every backend drives.

#include <optional>

#include "platform/ui/dialog_host.h"
#include "platform/ui/gtk/gtk_handles.h"

namespace velsor::ui::gtk {

class GtkChooserWindow final : public ChooserWindow {
 public:
  // A `requesterLine` is shown above everything the handlers set, and the dialog then
  // counts as cancelled when left unanswered past DialogAnswerTime().
  GtkChooserWindow(ChooserHandlers& handlers, std::u16string requesterLine = {});
  ~GtkChooserWindow();
  GtkChooserWindow(const GtkChooserWindow&) = delete;
  GtkChooserWindow& operator=(const GtkChooserWindow&) = delete;

  // Shows the dialog and runs its modal loop until the handlers close it.
  void Run();

  void SetCaption(std::u16string_view caption) override;
  void SetPrompt(std::u16string_view prompt) override;
  void SetButtonTexts(std::u16string_view ok, std::u16string_view cancel,
                      std::u16string_view view) override;
  void SetCopyright(std::u16string_view text) override;
  void SetColumns(const ChooserRow& headers) override;
  void AddRow(const ChooserRow& cells, int itemData) override;
  void SortRows(const std::function<bool(int, int)>& less) override;
  std::optional<int> SelectedItemData() const override;
  std::u16string CellText(int itemData, std::size_t column) const override;
  void ShowMessage(std::u16string_view text, std::u16string_view caption) override;
  void Close() override;

 private:
  void Build();
  std::vector<int> ItemDataInOrder() const;

  ChooserHandlers& handlers_;
  std::u16string requesterLine_;
  TopLevel dialog_;
  GtkWidget* prompt_ = nullptr;
  GtkWidget* ok_ = nullptr;
  GtkWidget* cancel_ = nullptr;
  GtkWidget* view_ = nullptr;
  GtkWidget* list_ = nullptr;
  GtkWidget* copyright_ = nullptr;
  GtkListStore* rows_ = nullptr;  // owned by the list
  ObjectRef<GdkPixbuf> rowIcon_;
  MainLoop loop_;
  std::optional<AnswerDeadline> deadline_;  // while the loop runs for a web page
  bool closed_ = false;
};

}  // namespace velsor::ui::gtk
